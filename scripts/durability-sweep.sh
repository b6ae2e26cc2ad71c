#!/usr/bin/env bash
# Durability sweep: kills pardow-cli at each of its file writes in turn and
# checks what the killed run leaves behind.
#
#   scripts/durability-sweep.sh [PATH/TO/pardow-cli] [PART...]
#
# PART is one of apply, edits, upgrade, demo, import; all when none is given.
# Every cut is made by strace, which kills the process as it enters its N-th
# pwrite, for every N of an undisturbed run of the same command.
#
# apply: a demo database with overdue planned transactions of every schedule
#   kind is applied. After each cut:
#   - the file opens (`info` succeeds);
#   - every transaction stored before the run is still there, unchanged;
#   - every new transaction equals one of the occurrences of the clean run,
#     description and comment included (nothing half-written shows);
#   - no id is used twice and the id counter is not behind any stored id;
#   - a second apply completes the run: its transactions equal the clean
#     run's, with no occurrence stored twice (one stored just before the
#     cut counts as executed); the planned transactions and every directory
#     equal the clean run's.
# edits: each add-/edit-/delete- command of every item kind. After each cut
#   the file opens, no id is used twice, the counters are not behind, and
#   every item is either as it was before the command or as the clean run
#   left it (nothing half-changed, nothing else touched). When the cut left
#   the change undone or half done, running the command again completes it
#   exactly as the clean run did.
# upgrade: the upgrade of a 2.20 file by `info`. After each cut the file
#   holds no two live records with one id, and opening it again gives every
#   item exactly once, as the clean upgrade does.
# import: `import` of a bank statement (new categories, quoted texts). After
#   each cut the file opens, no id is used twice, the counters are not
#   behind, every item from before is unchanged, and every new transaction
#   equals one of the clean run's (nothing half-written shows). Importing
#   again then skips what was stored as duplicates and leaves the same
#   transactions as the clean run.
# demo: `demo` over an existing database file. After each cut the file is
#   byte for byte the one that was there; the clean run replaces it whole.
# Prints a summary line per part; exits 1 on any violation.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="$(realpath "${1:-$here/build/pardow-cli}")"
[ -x "$cli" ] || { echo "durability-sweep: no pardow-cli at $cli" >&2; exit 2; }
command -v strace >/dev/null || { echo "durability-sweep: strace is missing" >&2; exit 2; }
shift || true
parts=("$@")
[ ${#parts[@]} -eq 0 ] && parts=(apply edits upgrade demo import)

# The demo ends on CREATED; applying on DUE finds two months of occurrences.
CREATED=2024-05-15
DUE=2024-07-16

# A sanitizer build's LeakSanitizer cannot work under ptrace (strace): it
# would fail every traced run at exit. Leaks are checked by the other tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# The number of pwrites of `pardow-cli ARGS...`, run undisturbed.
count_writes() {
  strace -f -o writes.txt -e trace=pwrite64 "$cli" "$@" >clean-out.txt 2>clean-err.txt
  grep -c 'pwrite64(' writes.txt || true
}

# cut N RCFILE ARGS...: runs `pardow-cli ARGS...`, killed as it enters its
# N-th pwrite; writes the exit status to RCFILE.
cut() {
  local n=$1 rcfile=$2
  shift 2
  # In a subshell, whose own report of the killed process goes nowhere.
  (
    rc=0
    strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:signal=KILL:when="$n" \
      "$cli" "$@" >/dev/null 2>&1 || rc=$?
    echo "$rc" >"$rcfile"
  ) 2>/dev/null
}

# run NAME ARGS...: runs `pardow-cli ARGS...`, keeping its output in NAME.out,
# its errors in NAME.err and its exit status in NAME.rc.
run() {
  local name=$1 rc=0
  shift
  "$cli" "$@" >"$name.out" 2>"$name.err" || rc=$?
  echo "$rc" >"$name.rc"
}

"$cli" --today "$CREATED" demo base.vlt --transactions 200 --seed 7
status=0

# ---------------------------------------------------------------------------
sweep_apply() {
  mkdir apply && cd apply
  cp ../base.vlt look.vlt && "$cli" --today "$DUE" dump look.vlt >before.json
  cp ../base.vlt clean.vlt
  local writes n
  writes=$(count_writes --today "$DUE" apply clean.vlt)
  "$cli" --today "$DUE" dump clean.vlt >clean.json
  mkdir cuts
  for ((n = 1; n <= writes; n++)); do
    cp ../base.vlt cut.vlt
    cut "$n" "cuts/$n.cut-rc" --today "$DUE" apply cut.vlt
    cp cut.vlt look.vlt
    run "cuts/$n.info" info look.vlt
    "$cli" --today "$DUE" dump look.vlt >"cuts/$n.cut.json" 2>/dev/null || true
    run "cuts/$n.apply" --today "$DUE" apply cut.vlt
    "$cli" --today "$DUE" dump cut.vlt >"cuts/$n.final.json" 2>/dev/null || true
  done

  python3 - "$writes" <<'EOF'
import collections, sys
sys.path.insert(0, "..")
from items import cut_and_opens, load, report, text

writes = int(sys.argv[1])
FIELDS = ("date", "from", "to", "amountOut", "amountIn", "quantity", "member",
          "category", "section", "description", "comment")

def content(t):
    return tuple(t[k] for k in FIELDS)

def ids(dump):
    out = []
    for table in ("currencies", "accounts", "subtypes", "transactions", "planned"):
        out += [item["id"] for item in dump[table]]
    return out

def directories(dump):
    # Everything but the transactions and the computed figures.
    accounts = [{k: v for k, v in a.items()
                 if k not in ("balance", "plannedIn", "plannedOut", "budgetUsed")}
                for a in dump["accounts"]]
    return (dump["currencies"], accounts, dump["subtypes"], dump["rates"],
            dump["interval"], dump["password"])

before = load("before.json")
clean = load("clean.json")
old = {t["id"]: t for t in before["transactions"]}
clean_new = collections.Counter(content(t) for t in clean["transactions"] if t["id"] not in old)
if not clean_new:
    sys.exit("durability-sweep: the clean apply added nothing; the sweep tests nothing")

violations = []
def bad(n, text):
    violations.append(f"apply cut {n}: {text}")

def check_common(n, dump, stage):
    every = ids(dump)
    if len(every) != len(set(every)):
        dupes = [i for i, c in collections.Counter(every).items() if c > 1]
        bad(n, f"{stage}: ids used twice: {dupes[:5]}")
    if every and dump["nextItemId"] < max(every):
        bad(n, f"{stage}: id counter {dump['nextItemId']} behind id {max(every)}")
    have = {t["id"]: t for t in dump["transactions"]}
    for i, t in old.items():
        if have.get(i) != t:
            bad(n, f"{stage}: transaction {i} lost or changed")
    if directories(dump) != directories(before):
        bad(n, f"{stage}: directories changed")
    return [t for t in dump["transactions"] if t["id"] not in old]

for n in range(1, writes + 1):
    if not cut_and_opens("cuts", n, bad):
        continue
    cut = load(f"cuts/{n}.cut.json")
    if cut is None:
        bad(n, "no dump of the cut file")
        continue
    added = check_common(n, cut, "after the cut")
    for t in added:
        if content(t) not in clean_new:
            bad(n, f"after the cut: transaction {t['id']} is no clean occurrence: {t}")
    if int(text(f"cuts/{n}.apply.rc")) != 0:
        bad(n, "the second apply failed: " + text(f"cuts/{n}.apply.err"))
        continue
    final = load(f"cuts/{n}.final.json")
    if final is None:
        bad(n, "no dump after the second apply")
        continue
    got = collections.Counter(content(t) for t in check_common(n, final, "after the second apply"))
    missing = clean_new - got
    extra = got - clean_new
    if missing:
        bad(n, f"occurrences missing after the second apply: {list(missing)[:3]}")
    if extra:
        bad(n, f"occurrences stored twice: {list(extra)[:3]}")
    if final["planned"] != clean["planned"]:
        bad(n, "planned transactions differ from the clean run's")

report(f"apply: {writes} cut points, {sum(clean_new.values())} occurrences", violations)
EOF
}

# ---------------------------------------------------------------------------
# The items of a dump by table and id, with what only follows from other items
# (the account figures, the counters) left out; used by the checks below.
cat >items.py <<'EOF'
import collections, json, sys

COMPUTED = ("balance", "plannedIn", "plannedOut", "budgetUsed")
TABLES = ("currencies", "accounts", "subtypes", "transactions", "planned")

def load(path):
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError):
        return None

def text(path):
    try:
        return open(path).read().strip()
    except OSError:
        return ""

def items(dump, rename=None):
    """{(table, id): item} plus the file's settings under ("file", 0)."""
    out = {}
    for table in TABLES:
        for item in dump[table]:
            item = {k: v for k, v in item.items() if k not in COMPUTED}
            key = (table, (rename or {}).get(item["id"], item["id"]))
            item["id"] = key[1]
            out[key] = item
    for rate in dump["rates"]:
        out[("rates", (rate["a"], rate["b"]))] = rate
    out[("file", 0)] = {k: dump[k] for k in
                        ("version", "interval", "selectedAccount", "selectedCurrency",
                         "password")}
    return out

def id_problems(dump):
    """Ids used twice, and counters behind a stored id."""
    every = [item["id"] for table in TABLES for item in dump[table]]
    out = []
    dupes = [i for i, c in collections.Counter(every).items() if c > 1]
    if dupes:
        out.append(f"ids used twice: {dupes[:5]}")
    if every and dump["nextItemId"] < max(every):
        out.append(f"id counter {dump['nextItemId']} behind id {max(every)}")
    return out

def differences(got, want, limit=3):
    keys = sorted(set(got) | set(want), key=str)
    return [f"{k}: {got.get(k)} instead of {want.get(k)}" for k in keys
            if got.get(k) != want.get(k)][:limit]

def cut_and_opens(prefix, n, bad):
    """Whether cut n (files prefix/n.*) killed the run and left a file that opens."""
    if int(text(f"{prefix}/{n}.cut-rc")) == 0:
        bad(n, "the run was not cut")
    if int(text(f"{prefix}/{n}.info.rc")) != 0:
        bad(n, "the file does not open: " + text(f"{prefix}/{n}.info.err"))
        return False
    return True

def report(summary, violations):
    """Prints the first violations and the part's summary line; exits 1 on any."""
    for v in violations[:40]:
        print(v)
    if len(violations) > 40:
        print(f"... and {len(violations) - 40} more")
    status = "FAILED" if violations else "ok"
    print(f"durability sweep, {summary}, {len(violations)} violations: {status}")
    sys.exit(1 if violations else 0)
EOF

sweep_edits() {
  mkdir edits && cd edits
  cp ../base.vlt base.vlt
  cp base.vlt look.vlt && "$cli" dump look.vlt >base.json
  # Ids to work on, and a copy of the base with an account no item uses.
  read -r account currency category transaction planned parent leaf < <(python3 - <<'EOF'
import json
d = json.load(open("base.json"))
used = {}
for s in d["subtypes"]:
    used[s["parent"]] = used.get(s["parent"], 0) + 1
parent = next(s["id"] for s in d["subtypes"] if used.get(s["id"], 0) >= 2)
leaf = next(s["id"] for s in d["subtypes"] if s["id"] not in used and s["parent"] != parent)
category = next(s["id"] for s in d["subtypes"] if s["parent"] == 2)
print(d["accounts"][0]["id"], d["currencies"][0]["id"], category, d["transactions"][5]["id"],
      d["planned"][0]["id"], parent, leaf)
EOF
)
  cp ../base.vlt spare.vlt
  spare=$("$cli" add-account spare.vlt "{\"name\": \"Spare\", \"currency\": $currency}" |
    python3 -c 'import json, sys; print(json.load(sys.stdin)["id"])')

  local -a cases=(
    "base|add-transaction|{\"date\": \"2024-05-10\", \"from\": $account, \"amountOut\": 123400, \"amountIn\": 123400, \"category\": $category, \"quantity\": 2.5, \"description\": \"Sweep purchase\", \"comment\": \"bought while the sweep ran\"}"
    "base|edit-transaction|{\"id\": $transaction, \"amountOut\": 98700, \"amountIn\": 98700, \"description\": \"Edited purchase\", \"comment\": \"edited while the sweep ran\"}"
    "base|delete-transaction|$transaction"
    "base|add-planned|{\"from\": $account, \"amountOut\": 50000, \"amountIn\": 50000, \"description\": \"Sweep plan\", \"comment\": \"planned\", \"schedule\": {\"kind\": 3, \"lastProcessed\": \"2024-05-15\", \"weekdays\": [1, 0, 1, 0, 1, 0, 0]}}"
    "base|edit-planned|{\"id\": $planned, \"description\": \"Edited plan\", \"comment\": \"edited plan\", \"schedule\": {\"kind\": 2, \"period\": 10}}"
    "base|delete-planned|$planned"
    "base|add-account|{\"name\": \"Sweep account\", \"currency\": $currency, \"comment\": \"opened by the sweep\", \"budget\": {\"enabled\": true, \"from\": \"2024-05-01\", \"to\": \"2024-05-31\", \"sum\": 5000000}}"
    "base|edit-account|{\"id\": $account, \"name\": \"Renamed account\", \"comment\": \"renamed by the sweep\"}"
    "spare|delete-account|$spare"
    "base|add-subtype|{\"name\": \"Sweep category\", \"parent\": 2, \"showQuantity\": true}"
    "base|edit-subtype|{\"id\": $leaf, \"name\": \"Renamed category\"}"
    "base|delete-subtype|$parent"
    "base|delete-subtype|$parent|--with-children"
  )
  local c=0 n writes setup command arg extra
  for case_line in "${cases[@]}"; do
    c=$((c + 1))
    IFS='|' read -r setup command arg extra <<<"$case_line"
    local -a args=("$command" cut.vlt "$arg")
    [ -n "$extra" ] && args+=("$extra")
    mkdir "case$c"
    echo "$command $arg $extra" >"case$c/name"
    cp "$setup.vlt" look.vlt && "$cli" dump look.vlt >"case$c/before.json"
    cp "$setup.vlt" cut.vlt
    writes=$(count_writes "${args[@]}")
    cp clean-out.txt "case$c/clean.out"
    "$cli" dump cut.vlt >"case$c/after.json"
    echo "$writes" >"case$c/writes"
    for ((n = 1; n <= writes; n++)); do
      cp "$setup.vlt" cut.vlt
      cut "$n" "case$c/$n.cut-rc" "${args[@]}"
      cp cut.vlt look.vlt
      run "case$c/$n.info" info look.vlt
      "$cli" dump look.vlt >"case$c/$n.cut.json" 2>/dev/null || true
      run "case$c/$n.again" "${args[@]}"
      "$cli" dump cut.vlt >"case$c/$n.final.json" 2>/dev/null || true
    done
  done

  python3 - "$c" <<'EOF'
import json, sys
sys.path.insert(0, "..")
from items import *

violations = []
total = 0
for c in range(1, int(sys.argv[1]) + 1):
    d = f"case{c}"
    name = text(f"{d}/name")
    def bad(n, what):
        violations.append(f"{name}: cut {n}: {what}")
    before, after = items(load(f"{d}/before.json")), items(load(f"{d}/after.json"))
    if before == after:
        bad(0, "the clean run changed nothing; the case tests nothing")
    clean_id = json.loads(text(f"{d}/clean.out"))["id"]
    writes = int(text(f"{d}/writes"))
    total += writes
    for n in range(1, writes + 1):
        if not cut_and_opens(d, n, bad):
            continue
        dump = load(f"{d}/{n}.cut.json")
        for problem in id_problems(dump):
            bad(n, "after the cut: " + problem)
        cut = items(dump)
        for key in set(cut) | set(before) | set(after):
            if cut.get(key) not in (before.get(key), after.get(key)):
                bad(n, f"after the cut: {key} is {cut.get(key)}, neither as before "
                       f"({before.get(key)}) nor as after ({after.get(key)})")
        if cut == after:
            continue  # done; running the command again would do it twice
        if int(text(f"{d}/{n}.again.rc")) != 0:
            bad(n, "running the command again fails: " + text(f"{d}/{n}.again.err"))
            continue
        again_id = json.loads(text(f"{d}/{n}.again.out"))["id"]
        final = load(f"{d}/{n}.final.json")
        for problem in id_problems(final):
            bad(n, "after running again: " + problem)
        # An add run again may hand out a later id than the clean run did.
        table = {"add-transaction": "transactions", "add-planned": "planned",
                 "add-account": "accounts", "add-subtype": "subtypes"}.get(name.split()[0])
        final = items(final, {again_id: clean_id} if table else None)
        if final != after:
            bad(n, "running the command again does not complete it: " +
                "; ".join(differences(final, after)))

report(f"edits: {int(sys.argv[1])} commands, {total} cut points", violations)
EOF
}

# ---------------------------------------------------------------------------
sweep_upgrade() {
  mkdir upgrade && cd upgrade
  # A 2.20 file: accounts of the old layout and transactions of the four old
  # kinds (income, expense, planned, transfer), with texts and a deleted one.
  python3 - <<'EOF'
import struct

def header(version, items, strings):
    h = bytearray(1024)
    struct.pack_into("<Ii10s", h, 0, 1024, version, b"Omrin DBE\0")
    struct.pack_into("<IIdd", h, 256, items, strings, 45413.0, 45443.0)
    return bytes(h)

def record(state, rtype, rid, data):
    return struct.pack("<BBHII", state, rtype, 0, rid, len(data)) + data

def string(sid, text):
    k = next(k for k in range(1, 8) if len(text) < 4 ** (k + 1))
    return record(0, k, sid, text + b"\0" * (4 ** (k + 1) - len(text)))

def legacy(date, account, amount, desc, second=None):
    data = struct.pack("<dIfqIIIIII", date, account, 1.0, amount, 0, 0, 0, desc, 0, 0)
    if second is not None:
        data += struct.pack("<IIq", second, 0, amount * 2)
    return data

body = b""
sid, iid = 100, 100
accounts = []
for name in (b"Wallet", b"Bank", b"Savings"):
    sid += 1
    iid += 1
    body += string(sid, name) + record(0, 101, iid, struct.pack("<IIII", sid, 0, 100, 0))
    accounts.append(iid)
for i in range(24):
    sid += 1
    iid += 1
    kind = 200 + i % 4
    text = b"Old entry %d" % i
    second = accounts[(i + 1) % 3] if kind == 203 else None
    body += string(sid, text)
    body += record(1 if i == 9 else 0, kind, iid,
                   legacy(45400.0 + i, accounts[i % 3], 10000 * (i + 1), sid, second))
with open("old.vlt", "wb") as f:
    f.write(header(220, iid, sid) + body)
EOF
  cp old.vlt clean.vlt
  local writes n
  writes=$(count_writes info clean.vlt)
  "$cli" dump clean.vlt >clean.json
  cp clean.vlt clean.raw
  mkdir cuts
  for ((n = 1; n <= writes; n++)); do
    cp old.vlt cut.vlt
    cut "$n" "cuts/$n.cut-rc" info cut.vlt
    cp cut.vlt "cuts/$n.cut.raw"
    run "cuts/$n.info" info cut.vlt
    "$cli" dump cut.vlt >"cuts/$n.final.json" 2>/dev/null || true
    cp cut.vlt "cuts/$n.final.raw"
  done

  python3 - "$writes" <<'EOF'
import collections, struct, sys
sys.path.insert(0, "..")
from items import *

def live_ids_twice(path):
    """Ids held by more than one live item record of the file."""
    data = open(path, "rb").read()
    pos = struct.unpack_from("<I", data, 0)[0] if len(data) >= 4 else len(data)
    seen = collections.Counter()
    while pos + 12 <= len(data):
        state, rtype, _, rid, size = struct.unpack_from("<BBHII", data, pos)
        if state != 1 and rtype >= 100:
            seen[rid] += 1
        pos += 12 + size
    return sorted(i for i, c in seen.items() if c > 1)

writes = int(sys.argv[1])
clean = load("clean.json")
want = items(clean)
if clean["version"] != 230 or not clean["transactions"]:
    sys.exit("durability-sweep: the clean upgrade did not convert the file")
violations = []
if live_ids_twice("clean.raw"):
    violations.append(f"clean upgrade: live records share ids {live_ids_twice('clean.raw')[:5]}")
def bad(n, what):
    violations.append(f"upgrade cut {n}: {what}")
for n in range(1, writes + 1):
    if int(text(f"cuts/{n}.cut-rc")) == 0:
        bad(n, "the run was not cut")
    twice = live_ids_twice(f"cuts/{n}.cut.raw")
    if twice:
        bad(n, f"two live records with one id after the cut: ids {twice[:8]}")
    if int(text(f"cuts/{n}.info.rc")) != 0:
        bad(n, "the file does not open again: " + text(f"cuts/{n}.info.err"))
        continue
    twice = live_ids_twice(f"cuts/{n}.final.raw")
    if twice:
        bad(n, f"two live records with one id after opening again: ids {twice[:8]}")
    final = load(f"cuts/{n}.final.json")
    for problem in id_problems(final):
        bad(n, "after opening again: " + problem)
    if items(final) != want:
        bad(n, "opening again does not give the clean upgrade: " +
            "; ".join(differences(items(final), want)))

report(f"upgrade: {writes} cut points, {len(clean['transactions'])} transactions", violations)
EOF
}

# ---------------------------------------------------------------------------
sweep_import() {
  mkdir import && cd import
  local account
  account=$("$cli" dump ../base.vlt |
    python3 -c 'import json, sys; print(json.load(sys.stdin)["accounts"][0]["id"])')
  printf '%s\r\n' 'Day;Text;Amount;Category;Notes' \
    '02.06.2024;"Market; stall 4";-12,40;Food:Market;"fresh' 'fruit"' \
    '02.06.2024;"Market; stall 4";-12,40;Food:Market;"fresh' 'fruit"' \
    '03.06.2024;Refund;5,00;Returns;' \
    '04.06.2024;Bookshop;-23,99;Leisure:Books:Used;second hand' \
    '05.06.2024;Rent June;-800,00;Home;' \
    '06.06.2024;Interest;0,42;;' >statement.csv
  local -a args=(--today "$CREATED" import cut.vlt statement.csv --account "$account"
                 --columns date,description,sum,category,notes --create-categories)
  local writes n
  cp ../base.vlt look.vlt && "$cli" dump look.vlt >before.json
  cp ../base.vlt cut.vlt
  writes=$(count_writes "${args[@]}")
  "$cli" dump cut.vlt >clean.json
  mkdir cuts
  for ((n = 1; n <= writes; n++)); do
    cp ../base.vlt cut.vlt
    rm -f cut.vlt.companion cut.vlt.fitids
    cut "$n" "cuts/$n.cut-rc" "${args[@]}"
    cp cut.vlt look.vlt
    run "cuts/$n.info" info look.vlt
    "$cli" dump look.vlt >"cuts/$n.cut.json" 2>/dev/null || true
    run "cuts/$n.again" "${args[@]}"
    "$cli" dump cut.vlt >"cuts/$n.final.json" 2>/dev/null || true
  done

  python3 - "$writes" <<'EOF'
import collections, sys
sys.path.insert(0, "..")
from items import *

writes = int(sys.argv[1])
before, clean = load("before.json"), load("clean.json")
violations = []

def bad(n, what):
    violations.append(f"import cut {n}: {what}")

def rows(dump):
    """The transactions not in `before`, by content (subtypes by path)."""
    names = {s["id"]: (s["parent"], s["name"]) for s in dump["subtypes"]}
    def path(i):
        parts = []
        while i in names and len(parts) < 50:
            parts.insert(0, names[i][1])
            i = names[i][0]
        return ":".join(parts)
    old = {t["id"] for t in before["transactions"]}
    return collections.Counter(
        (t["date"], t["from"], t["to"], t["amountOut"], t["amountIn"], t["quantity"],
         path(t["category"]), t["description"], t["comment"])
        for t in dump["transactions"] if t["id"] not in old)

want = rows(clean)
if sum(want.values()) != 6:
    bad(0, f"the clean run stored {sum(want.values())} transactions, not 6")
old_items = items(before)
for n in range(1, writes + 1):
    if not cut_and_opens("cuts", n, bad):
        continue
    cut = load(f"cuts/{n}.cut.json")
    for problem in id_problems(cut):
        bad(n, "after the cut: " + problem)
    now = items(cut)
    for key, item in old_items.items():
        if key[0] in ("transactions", "planned", "currencies", "subtypes") and now.get(key) != item:
            bad(n, f"{key} changed: {now.get(key)}")
    got = rows(cut)
    if got - want:
        bad(n, f"half-written or unknown rows: {list((got - want).elements())[:2]}")
    if int(text(f"cuts/{n}.again.rc")) != 0:
        bad(n, "importing again fails: " + text(f"cuts/{n}.again.err"))
        continue
    final = load(f"cuts/{n}.final.json")
    for problem in id_problems(final):
        bad(n, "after importing again: " + problem)
    if rows(final) != want:
        bad(n, "importing again does not give the clean run's transactions: "
               f"{sorted((rows(final) - want).elements())[:2]} / "
               f"{sorted((want - rows(final)).elements())[:2]}")

report(f"import: {writes} cut points, {sum(want.values())} rows", violations)
EOF
}

# ---------------------------------------------------------------------------
sweep_demo() {
  mkdir demo && cd demo
  "$cli" create orig.vlt
  local -a args=(--today "$CREATED" demo target.vlt --transactions 20 --seed 3)
  local writes n violations=0
  cp orig.vlt target.vlt
  writes=$(count_writes "${args[@]}")
  "$cli" --today "$CREATED" demo whole.vlt --transactions 20 --seed 3
  if ! cmp -s target.vlt whole.vlt || [ -e target.vlt.part ]; then
    echo "demo: the clean run did not replace the file with the whole demo"
    violations=$((violations + 1))
  fi
  for ((n = 1; n <= writes; n++)); do
    cp orig.vlt target.vlt
    cut "$n" cut-rc "${args[@]}"
    if [ "$(cat cut-rc)" = 0 ]; then
      echo "demo cut $n: the run was not cut"
      violations=$((violations + 1))
    elif ! cmp -s target.vlt orig.vlt; then
      echo "demo cut $n: the file that was there is changed"
      violations=$((violations + 1))
    fi
  done
  local result=ok
  [ "$violations" -gt 0 ] && result=FAILED
  echo "durability sweep, demo: $writes cut points, $violations violations: $result"
  [ "$violations" -eq 0 ]
}

for part in "${parts[@]}"; do
  case "$part" in
    apply | edits | upgrade | demo | import) ;;
    *) echo "durability-sweep: unknown part $part" >&2; exit 2 ;;
  esac
  ( "sweep_$part" ) || status=1
done
exit "$status"

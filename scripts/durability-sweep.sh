#!/usr/bin/env bash
# Durability sweep: kills `pardow-cli apply` at each of its file writes in turn
# and checks what the killed run leaves behind.
#
#   scripts/durability-sweep.sh [PATH/TO/pardow-cli]
#
# A demo database with overdue planned transactions of every schedule kind is
# applied once cleanly. Then, for every write N of that run, a fresh copy is
# applied under strace, which kills the process as it enters its N-th pwrite.
# After each cut:
#   - the file opens (`info` succeeds);
#   - every transaction stored before the run is still there, unchanged;
#   - every new transaction equals one of the occurrences of the clean run,
#     description and comment included (nothing half-written shows);
#   - no id is used twice and the id counter is not behind any stored id;
#   - a second apply completes the run: its transactions equal the clean
#     run's, except that the one occurrence in flight at the cut may be
#     stored twice; the planned transactions and every directory equal the
#     clean run's.
# Prints one summary line; exits 1 on any violation.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="$(realpath "${1:-$here/build/pardow-cli}")"
[ -x "$cli" ] || { echo "durability-sweep: no pardow-cli at $cli" >&2; exit 2; }
command -v strace >/dev/null || { echo "durability-sweep: strace is missing" >&2; exit 2; }

# The demo ends on CREATED; applying on DUE finds two months of occurrences.
CREATED=2024-05-15
DUE=2024-07-16

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

"$cli" --today "$CREATED" demo base.vlt --transactions 200 --seed 7
cp base.vlt look.vlt && "$cli" --today "$DUE" dump look.vlt >before.json

cp base.vlt clean.vlt
strace -f -o writes.txt -e trace=pwrite64 "$cli" --today "$DUE" apply clean.vlt >/dev/null
writes=$(grep -c 'pwrite64(' writes.txt)
"$cli" --today "$DUE" dump clean.vlt >clean.json

mkdir cuts
for ((n = 1; n <= writes; n++)); do
  cp base.vlt cut.vlt
  # In a subshell, whose own report of the killed process goes nowhere.
  (
    rc=0
    strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:signal=KILL:when=$n \
      "$cli" --today "$DUE" apply cut.vlt >/dev/null 2>&1 || rc=$?
    echo "$rc" >"cuts/$n.cut-rc"
  ) 2>/dev/null
  cp cut.vlt look.vlt
  rc=0
  "$cli" info look.vlt >/dev/null 2>"cuts/$n.info-err" || rc=$?
  echo "$rc" >"cuts/$n.info-rc"
  "$cli" --today "$DUE" dump look.vlt >"cuts/$n.cut.json" 2>/dev/null || true
  rc=0
  "$cli" --today "$DUE" apply cut.vlt >/dev/null 2>"cuts/$n.apply-err" || rc=$?
  echo "$rc" >"cuts/$n.apply-rc"
  "$cli" --today "$DUE" dump cut.vlt >"cuts/$n.final.json" 2>/dev/null || true
done

python3 - "$writes" <<'EOF'
import collections, json, sys

writes = int(sys.argv[1])
FIELDS = ("date", "from", "to", "amountOut", "amountIn", "quantity", "member",
          "category", "section", "description", "comment")

def load(path):
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError):
        return None

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
    sys.exit("durability-sweep: the clean run added nothing; the sweep tests nothing")

violations = []
def bad(n, text):
    violations.append(f"cut {n}: {text}")

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
    if int(open(f"cuts/{n}.cut-rc").read()) == 0:
        bad(n, "the run was not cut")
    if int(open(f"cuts/{n}.info-rc").read()) != 0:
        bad(n, "the file does not open: " + open(f"cuts/{n}.info-err").read().strip())
        continue
    cut = load(f"cuts/{n}.cut.json")
    if cut is None:
        bad(n, "no dump of the cut file")
        continue
    added = check_common(n, cut, "after the cut")
    for t in added:
        if content(t) not in clean_new:
            bad(n, f"after the cut: transaction {t['id']} is no clean occurrence: {t}")
    if int(open(f"cuts/{n}.apply-rc").read()) != 0:
        bad(n, "the second apply failed: " + open(f"cuts/{n}.apply-err").read().strip())
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
    if sum(extra.values()) > 1:
        bad(n, f"more than one occurrence stored twice: {list(extra)[:3]}")
    if final["planned"] != clean["planned"]:
        bad(n, "planned transactions differ from the clean run's")

for v in violations[:40]:
    print(v)
status = "FAILED" if violations else "ok"
print(f"durability sweep: {writes} cut points, {sum(clean_new.values())} occurrences, "
      f"{len(violations)} violations: {status}")
sys.exit(1 if violations else 0)
EOF

#!/usr/bin/env bash
# The demo database exported as a journal: ledger and hledger both read it
# without error, and each account's balance they compute equals the one
# `pardow-cli balance` prints.
#
#   tests/cli/journal-test.sh PATH/TO/pardow-cli
set -euo pipefail
cli="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
"$cli" --today 2024-05-15 demo demo.vlt --transactions 3000 --seed 11 >/dev/null
"$cli" export demo.vlt --format ledger --output demo.journal
"$cli" balance demo.vlt >balance.txt
"$cli" dump demo.vlt >dump.json
ledger -f demo.journal --flat --no-total --balance-format '%(account)\t%(quantity(scrub(display_total)))\n' bal '^Assets:' >ledger.txt
hledger -f demo.journal bal '^Assets:' --flat --no-total -O csv >hledger.csv
python3 - <<'PY'
import csv, json
from decimal import Decimal, ROUND_HALF_UP

dump = json.load(open("dump.json"))
cents = lambda x: Decimal(x).quantize(Decimal("0.01"), rounding=ROUND_HALF_UP)
want = {}
for a in dump["accounts"]:
    want["Assets:" + a["name"]] = cents(Decimal(a["balance"]) / 10000)
# pardow-cli balance prints the same figures.
for line in open("balance.txt"):
    for name, value in want.items():
        if line.startswith(name[len("Assets:"):] + " "):
            assert str(value) in line.split(), (line, value)

def check(tool, got):
    for name, value in want.items():
        if got.get(name, Decimal(0)) != value:
            raise SystemExit(f"{tool}: {name} is {got.get(name)} instead of {value}")
    extra = set(got) - set(want)
    if extra:
        raise SystemExit(f"{tool}: unknown accounts {extra}")

got = {}
for line in open("ledger.txt"):
    name, value = line.rstrip("\n").split("\t")
    got[name] = cents(value)
check("ledger", got)
got = {}
for row in list(csv.reader(open("hledger.csv")))[1:]:
    amount = row[1].split()[0].replace('"', "")
    got[row[0]] = cents(amount)
check("hledger", got)
print(f"journal: {len(want)} accounts balance in ledger and hledger as in pardow-cli")
PY

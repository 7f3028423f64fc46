#!/usr/bin/env bash
# Formulas over every card beside two peer tools doing the same sums: a deck of
# CARDS cards (default 100,000) with a per-card product (amount = qty * price)
# and a running total (total = BEFORE(total) + amount), recalculated by
# velum-cli recalc, by a Python script and by Miller's put. Prints wall and CPU
# seconds of each, measured one after the other in one run.
#   bench/recalc_peers.sh [VELUM_CLI] [CARDS]
# Miller (Debian package "miller") is a peer for measurement only; without it
# its line says so.
set -euo pipefail
cli=${1:-build-rel/cli/velum-cli}
cards=${2:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/deck.csv" "$cards" <<'PY'
import random, sys
random.seed(1)
with open(sys.argv[1], 'w', newline='') as f:
    f.write('id,qty,price,amount,total\r\n')
    for i in range(int(sys.argv[2])):
        f.write(f'{i + 1},{random.randint(1, 9)},{random.randint(1, 999)},,\r\n')
PY
printf 'prop amount formula %%[qty]*%%[price]\nprop total formula BEFORE(%%[total])+%%[amount]\nsave\n' |
  "$cli" batch "$work/deck.csv" >/dev/null

cat >"$work/sums.py" <<'PY'
import csv, sys
with open(sys.argv[1], newline='') as f, open(sys.argv[2], 'w', newline='') as out:
    rows = csv.reader(f)
    w = csv.writer(out)
    w.writerow(next(rows))
    total = 0
    for r in rows:
        amount = int(r[1]) * int(r[2])
        total += amount
        r[3], r[4] = amount, total
        w.writerow(r)
PY

run() {
  local name=$1
  shift
  /usr/bin/time -f "$name: %e s wall, %U s user + %S s system, %M KiB peak" "$@"
}
run "velum-cli recalc" "$cli" recalc "$work/deck.csv" -o "$work/velum.csv"
run "python3 csv     " python3 "$work/sums.py" "$work/deck.csv" "$work/python.csv"
if command -v mlr >/dev/null; then
  run "mlr put         " sh -c "mlr --csv put '\$amount = \$qty * \$price; @total += \$amount; \$total = @total' \
    '$work/deck.csv' > '$work/mlr.csv'"
else
  echo "mlr put         : not installed (Debian package miller)"
fi
# The three agree on the last total.
tail -n 1 "$work/velum.csv" "$work/python.csv" $(test -f "$work/mlr.csv" && echo "$work/mlr.csv") | tr -d '\r'

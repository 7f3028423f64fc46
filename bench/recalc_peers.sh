#!/usr/bin/env bash
# Formulas over every card beside three peer tools doing the same work: a deck
# of CARDS cards (default 100,000) with five formula items
#   amount = %[qty]*%[price]                  arithmetic
#   total  = BEFORE(%[total])+%[amount]       a running total
#   code   = LEFT(%[name],3)                  a text function
#   days   = DATEDIFF("d",%[start],%[end])    a date difference
#   net    = IF(%[amount]>2500,%[amount]-250,%[amount])   a condition
# recalculated by velum-cli recalc, by a Python csv script, by Miller's put and
# by awk. The peers' five columns must agree with Velum's (numbers compared as
# numbers). Each runs ROUNDS times (default 5), interleaved; the medians of
# wall and CPU (user + system) seconds are printed.
#   bench/recalc_peers.sh [VELUM_CLI] [CARDS] [ROUNDS]
# KEEP_WORK=1 keeps the deck and the outputs (for profiling).
# Miller (Debian package "miller") is a peer for measurement only; without it
# its line says so. awk: gawk and mawk where installed, else the system's awk.
set -euo pipefail
cli=${1:-build-rel/cli/velum-cli}
cards=${2:-100000}
rounds=${3:-5}
work=$(mktemp -d)
if [[ -n ${KEEP_WORK:-} ]]; then
  echo "work files kept in $work"
else
  trap 'rm -rf "$work"' EXIT
fi

# ASCII only, so that the deck reads the same as CP932 and as UTF-8 and the
# peers' byte-based LEFT takes the same three characters.
python3 - "$work/deck.csv" "$cards" <<'PY'
import datetime, random, sys
random.seed(1)
base = datetime.date(2000, 1, 1).toordinal()
names = ['Tanaka', 'Suzuki', 'Sato', 'Takahashi', 'Ito', 'Watanabe', 'Yamamoto', 'Nakamura']
with open(sys.argv[1], 'w', newline='') as f:
    f.write('id,name,qty,price,start,end,amount,total,code,days,net\r\n')
    for i in range(int(sys.argv[2])):
        start = base + random.randint(0, 9000)
        end = start + random.randint(0, 400)
        d0, d1 = datetime.date.fromordinal(start), datetime.date.fromordinal(end)
        f.write(f'{i + 1},{random.choice(names)}{random.randint(1, 999)},{random.randint(1, 9)},'
                f'{random.randint(1, 999)},{d0:%Y/%m/%d},{d1:%Y/%m/%d},,,,,\r\n')
PY
"$cli" batch "$work/deck.csv" >/dev/null <<'BATCH'
prop amount formula %[qty]*%[price]
prop total formula BEFORE(%[total])+%[amount]
prop code formula LEFT(%[name],3)
prop days formula "DATEDIFF(\"d\",%[start],%[end])"
prop net formula IF(%[amount]>2500,%[amount]-250,%[amount])
save
BATCH

cat >"$work/peer.py" <<'PY'
import csv, datetime, sys

def day(text):
    y, m, d = text.split('/')
    return datetime.date(int(y), int(m), int(d)).toordinal()

with open(sys.argv[1], newline='') as f, open(sys.argv[2], 'w', newline='') as out:
    rows = csv.reader(f)
    w = csv.writer(out)
    w.writerow(next(rows))
    total = 0
    for r in rows:
        amount = int(r[2]) * int(r[3])
        total += amount
        r[6], r[7], r[8] = amount, total, r[1][:3]
        r[9] = day(r[5]) - day(r[4])
        r[10] = amount - 250 if amount > 2500 else amount
        w.writerow(r)
PY

# Day numbers by the civil calendar, so that no time zone or daylight saving
# moves a difference.
cat >"$work/peer.awk" <<'AWK'
function day(text,    p, y, m, era, yoe, doy) {
  split(text, p, "/")
  y = p[1] - (p[2] <= 2); m = p[2] + 0
  era = int(y / 400); yoe = y - era * 400
  doy = int((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5) + p[3] - 1
  return era * 146097 + yoe * 365 + int(yoe / 4) - int(yoe / 100) + doy
}
BEGIN { FS = OFS = ","; ORS = "\r\n" }
{ sub(/\r$/, "") }
NR == 1 { print; next }
{
  $7 = $3 * $4
  total += $7
  $8 = total
  $9 = substr($2, 1, 3)
  $10 = day($6) - day($5)
  $11 = $7 > 2500 ? $7 - 250 : $7
  print
}
AWK

mlr_put='$amount = $qty * $price; @total += $amount; $total = @total; $code = substr1($name, 1, 3);
  $days = int((strptime($end, "%Y/%m/%d") - strptime($start, "%Y/%m/%d")) / 86400);
  $net = $amount > 2500 ? $amount - 250 : $amount'

# Each awk there is (gawk and mawk differ in speed), else the system's awk.
peers=(velum python)
for a in gawk mawk; do command -v $a >/dev/null && peers+=($a); done
[[ " ${peers[*]} " == *awk* ]] || peers+=(awk)
command -v mlr >/dev/null && peers+=(mlr)
timed() {
  local name=$1
  shift
  /usr/bin/time -a -o "$work/times" -f "$name %e %U %S" "$@"
}
for ((r = 0; r < rounds; r++)); do
  for p in "${peers[@]}"; do
    case $p in
      velum) timed velum "$cli" recalc "$work/deck.csv" -o "$work/velum.csv" ;;
      python) timed python python3 "$work/peer.py" "$work/deck.csv" "$work/python.csv" ;;
      *awk) timed $p $p -f "$work/peer.awk" "$work/deck.csv" >"$work/$p.csv" ;;
      mlr) timed mlr mlr --csv --ors crlf put "$mlr_put" "$work/deck.csv" >"$work/mlr.csv" ;;
    esac
  done
done

python3 - "$work" "$rounds" "${peers[@]}" <<'PY'
import csv, statistics, sys
work, rounds, peers = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
columns = ['amount', 'total', 'code', 'days', 'net']

def read(path, encoding):
    with open(path, newline='', encoding=encoding) as f:
        rows = list(csv.reader(f))
    at = [rows[0].index(c) for c in columns]
    return [[r[i] for i in at] for r in rows[1:]]

def norm(text):
    try:
        return repr(float(text.replace(',', '')))
    except ValueError:
        return text

velum = read(f'{work}/velum.csv', 'cp932')
ok = True
for p in peers[1:]:
    other = read(f'{work}/{p}.csv', 'utf-8')
    bad = [k for k, (a, b) in enumerate(zip(velum, other)) if [norm(x) for x in a] != [norm(x) for x in b]]
    if len(other) != len(velum) or bad:
        ok = False
        k = bad[0] if bad else min(len(velum), len(other))
        print(f'{p}: differs from velum at card {k}: {other[k] if k < len(other) else None} '
              f'vs {velum[k] if k < len(velum) else None}')
print(f'{len(velum)} cards, five formula items, {rounds} rounds interleaved; '
      f'results {"agree" if ok else "DIFFER"}')
times = {}
for line in open(f'{work}/times'):
    name, wall, user, system = line.split()
    times.setdefault(name, []).append((float(wall), float(user) + float(system)))
print(f'{"":8} {"wall s":>8} {"CPU s":>8}   (medians)')
names = {'velum': 'velum-cli recalc', 'python': 'python3 csv', 'mlr': 'mlr put'}
for p in peers:
    print(f'{names.get(p, p):16} {statistics.median(t[0] for t in times[p]):8.2f} '
          f'{statistics.median(t[1] for t in times[p]):8.2f}')
if 'mlr' not in peers:
    print('mlr put: not installed (Debian package miller)')
sys.exit(0 if ok else 1)
PY

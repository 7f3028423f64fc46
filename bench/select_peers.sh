#!/usr/bin/env bash
# Whole-deck operations of velum-cli beside the peer tools installed here doing
# the same work on the generated deck of CARDS cards (default 100,000; 12
# items in CP932, quoted commas and line breaks): convert (open + save; iconv's
# decode of the same file beside it), sort by a text (氏名) and by a number
# (金額), filter (住所 contains ビル, then count 区分 among the cards left),
# count (区分) and totals (金額). Peers: Python's csv module, sqlite3, mawk
# and gawk, Miller; each that is missing is named and left out. Python reads
# the CP932 file itself; the others read a UTF-8 copy made beforehand and not
# timed. Every peer's answer is compared with Velum's (the card numbers in
# sorted order, the counts, the sum) and a difference stops the script.
# Each command runs ROUNDS times (default 5), interleaved; the medians of
# CPU seconds (user + system) and wall seconds are printed, with the
# machine's processors and load.
#   bench/select_peers.sh [CARDS] [ROUNDS] VELUM_CLI...
# Several velum-cli builds may be given (before and after a change); the
# first one's answers are the reference. Decks go to a temporary folder
# (TMPDIR), never into the repository.
set -euo pipefail
cards=${1:-100000}
rounds=${2:-5}
shift 2 || true
clis=("$@")
[[ ${#clis[@]} -gt 0 ]] || clis=(build-rel/cli/velum-cli)
here=$(cd "$(dirname "$0")" && pwd)
generate=${GENERATE:-$(dirname "${clis[0]}")/../bench/core/card_file_generate}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$generate" "$work/deck.csv" "$cards"
iconv -f CP932 -t UTF-8 "$work/deck.csv" >"$work/deck8.csv"
echo "$cards cards, $(stat -c %s "$work/deck.csv") bytes; $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"

cat >"$work/peer.py" <<'PY'
import collections, csv, sys
op, src, out = sys.argv[1:4]
def own(t):  # the file's own escapes inside items
    return t.replace('\x01\x02', '\r\n').replace('\x03\x03', '"').replace('\x04', ',')
def num(t):
    try:
        return float(t.replace(',', ''))
    except ValueError:
        return 0.0
enc = 'cp932' if op == 'convert' else 'utf-8'
with open(src, newline='', encoding=enc) as f:
    reader = csv.reader(f)
    header = next(reader)
    rows = list(reader)
with open(out, 'w', newline='', encoding=enc) as o:
    if op in ('convert', 'sorttext', 'sortnum'):
        if op == 'sorttext':
            rows.sort(key=lambda r: r[1].lower())
        elif op == 'sortnum':
            rows.sort(key=lambda r: num(r[7]))
        w = csv.writer(o, lineterminator='\r\n')
        w.writerow(header)
        w.writerows(rows)
    elif op in ('filter', 'count'):
        c = collections.Counter(own(r[9]) for r in rows if op == 'count' or 'ビル' in own(r[4]))
        for text, n in c.items():
            o.write(f'{n}\t{text}\n')
    else:
        o.write('%d\n' % sum(num(r[7]) for r in rows))
PY

cat >"$work/peer.awk" <<'AWK'
# Items split at commas outside quotes; quotes taken off, "" read as ".
function split_csv(line, f,   a, m, n, i, cur) {
  m = split(line, a, ","); n = 0
  for (i = 1; i <= m; i++) {
    cur = a[i]
    while (gsub(/"/, "\"", cur) % 2 == 1 && i < m) cur = cur "," a[++i]
    if (cur ~ /^"/) { cur = substr(cur, 2, length(cur) - 2); gsub(/""/, "\"", cur) }
    f[++n] = cur
  }
  return n
}
NR > 1 {
  split_csv($0, f)
  kind = f[10]; gsub(/\004/, ",", kind)
  if (op == "count" || (op == "filter" && index(f[5], "ビル") > 0)) c[kind]++
  if (op == "totals") sum += f[8]
}
END {
  if (op == "totals") printf "%.0f\n", sum
  else for (k in c) printf "%d\t%s\n", c[k], k
}
AWK

# The answers, normalised: card numbers one a line, or sorted "count<TAB>text", or the sum.
ids() { tail -n +2 "$1" | cut -d, -f1 | tr -d '"'; }
velum_counts() { tail -n +2 "$1" | grep -v '^総数' | awk '{ n = $1; $1 = ""; sub(/^ +/, ""); printf "%d\t%s\n", n, $0 }' | sort; }

# run NAME OP COMMAND...: one timed run; its output is in $work/out.NAME.OP
declare -A cpu wall
run() {
  local name=$1 op=$2
  shift 2
  /usr/bin/time -o "$work/time" -f "%e %U %S" "$@" >"$work/stdout" 2>/dev/null
  read -r e u s <"$work/time"
  cpu[$name.$op]+="$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }') "
  wall[$name.$op]+="$e "
}

peers=(python)
command -v sqlite3 >/dev/null && peers+=(sqlite3) || echo "sqlite3: not installed"
for a in mawk gawk; do command -v $a >/dev/null && peers+=($a) || echo "$a: not installed"; done
command -v mlr >/dev/null && peers+=(mlr) || echo "Miller (mlr): not installed"

sql=(sqlite3 :memory: -cmd ".mode csv" -cmd ".import $work/deck8.csv t" -cmd ".headers on")
ops=(convert sorttext sortnum filter count totals)
for _ in $(seq "$rounds"); do
  k=0
  for cli in "${clis[@]}"; do
    v="velum$k"
    k=$((k + 1))
    run $v convert "$cli" convert "$work/deck.csv" -o "$work/$v.convert"
    run $v sorttext "$cli" sort "$work/deck.csv" 氏名:0 -o "$work/$v.sorttext"
    run $v sortnum "$cli" sort "$work/deck.csv" 金額:1 -o "$work/$v.sortnum"
    run $v filter "$cli" batch "$work/deck.csv" < <(printf 'filter 0 0 ビル 住所\ncount 区分\n')
    mv "$work/stdout" "$work/$v.filter"
    run $v count "$cli" count "$work/deck.csv" 区分
    mv "$work/stdout" "$work/$v.count"
    run $v totals "$cli" totals "$work/deck.csv" 金額
    grep '^合計' "$work/stdout" | tr -d ',' | awk '{ print $2 }' >"$work/$v.totals"
  done
  run iconv convert iconv -f CP932 -t UTF-16LE "$work/deck.csv"
  for op in "${ops[@]}"; do
    run python $op python3 "$work/peer.py" $op "$([[ $op == convert ]] && echo "$work/deck.csv" || echo "$work/deck8.csv")" "$work/python.$op"
  done
  for p in "${peers[@]}"; do
    case $p in
      sqlite3)
        run $p sorttext "${sql[@]}" "select * from t order by lower(氏名), rowid"
        mv "$work/stdout" "$work/$p.sorttext"
        run $p sortnum "${sql[@]}" "select * from t order by cast(金額 as real), rowid"
        mv "$work/stdout" "$work/$p.sortnum"
        run $p filter "${sql[@]}" "select count(*), 区分 from t where instr(住所, 'ビル') > 0 group by 区分"
        mv "$work/stdout" "$work/$p.filter"
        run $p count "${sql[@]}" "select count(*), 区分 from t group by 区分"
        mv "$work/stdout" "$work/$p.count"
        run $p totals "${sql[@]}" "select sum(cast(金額 as integer)) from t"
        mv "$work/stdout" "$work/$p.totals"
        ;;
      mawk | gawk)
        for op in filter count totals; do
          run $p $op $p -v op=$op -f "$work/peer.awk" "$work/deck8.csv"
          mv "$work/stdout" "$work/$p.$op"
        done
        ;;
      mlr)
        run $p sorttext mlr --csv sort -c 氏名 "$work/deck8.csv"
        mv "$work/stdout" "$work/$p.sorttext"
        run $p sortnum mlr --csv sort -nf 金額 "$work/deck8.csv"
        mv "$work/stdout" "$work/$p.sortnum"
        run $p filter mlr --icsv --ocsv filter '$住所 =~ "ビル"' then count -g 区分 then reorder -f count "$work/deck8.csv"
        mv "$work/stdout" "$work/$p.filter"
        run $p count mlr --icsv --ocsv count -g 区分 then reorder -f count "$work/deck8.csv"
        mv "$work/stdout" "$work/$p.count"
        run $p totals mlr --icsv --ocsv stats1 -a sum -f 金額 "$work/deck8.csv"
        mv "$work/stdout" "$work/$p.totals"
        ;;
    esac
  done
done

# The answers, each compared with the first velum-cli's.
ref=velum0
ids "$work/$ref.sorttext" >"$work/ref.sorttext"
ids "$work/$ref.sortnum" >"$work/ref.sortnum"
velum_counts "$work/$ref.filter" >"$work/ref.filter"
velum_counts "$work/$ref.count" >"$work/ref.count"
cp "$work/$ref.totals" "$work/ref.totals"
check() {
  local name=$1 op=$2 file=$3
  if ! cmp -s "$file" "$work/ref.$op"; then
    echo "$name $op: the answer differs from velum-cli's" >&2
    diff "$file" "$work/ref.$op" | head -5 >&2
    exit 1
  fi
}
for ((k = 1; k < ${#clis[@]}; k++)); do
  for op in sorttext sortnum; do ids "$work/velum$k.$op" >"$work/n" && check velum$k $op "$work/n"; done
  for op in filter count; do velum_counts "$work/velum$k.$op" >"$work/n" && check velum$k $op "$work/n"; done
  check velum$k totals "$work/velum$k.totals"
  cmp -s "$work/velum$k.convert" "$work/$ref.convert" || { echo "velum$k convert: the files differ" >&2; exit 1; }
done
cmp -s "$work/$ref.convert" "$work/deck.csv" || echo "note: convert did not write the deck back byte for byte"
for p in "${peers[@]}"; do
  [[ $p == python ]] || [[ -f $work/$p.count ]] || continue
  for op in sorttext sortnum; do [[ -f $work/$p.$op ]] && { ids "$work/$p.$op" >"$work/n"; check $p $op "$work/n"; }; done
  for op in filter count; do
    [[ -f $work/$p.$op ]] || continue
    tr -d '"' <"$work/$p.$op" | tr '\004' ',' | sed 's/^\([0-9]*\),/\1\t/' | grep -v '^count' | sort >"$work/n"
    check $p $op "$work/n"
  done
  [[ -f $work/$p.totals ]] && { tail -1 "$work/$p.totals" | awk '{ printf "%.0f\n", $NF }' >"$work/n"; check $p totals "$work/n"; }
done
[[ $(wc -l <"$work/python.convert") -ge $cards ]] || { echo "python convert: too few lines" >&2; exit 1; }

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
printf '%-10s' operation
k=0
for cli in "${clis[@]}"; do printf '%14s' "velum$k"; k=$((k + 1)); done
for p in iconv "${peers[@]}"; do printf '%14s' "$p"; done
printf '   (CPU s, median of %d; velumN: %s)\n' "$rounds" "${clis[*]}"
for op in "${ops[@]}"; do
  printf '%-10s' $op
  k=0
  for cli in "${clis[@]}"; do printf '%14s' "$(median <<<"${cpu[velum$k.$op]}")"; k=$((k + 1)); done
  for p in iconv "${peers[@]}"; do
    if [[ -n ${cpu[$p.$op]:-} ]]; then printf '%14s' "$(median <<<"${cpu[$p.$op]}")"; else printf '%14s' -; fi
  done
  printf '\n'
done

#!/usr/bin/env bash
# Import of 100,000 contacts from one .vcf and of a 100,000-row .xlsx by
# velum-cli, beside LibreOffice converting the same files to CSV when it is
# installed: CPU time (user + system) and peak memory of each, side by side.
# Also the memory an .xlsx of 1,048,576 rows takes to read.
#
# Usage: bench/exchange/import_peers.sh [BUILD_DIR] [CARDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cards=${2:-100000}
cli=$build/cli/velum-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELUM_SETTINGS=$work/velum.reg

# The deck: names, readings, postal codes, addresses, telephone numbers, notes.
python3 - "$work/deck.csv" "$cards" <<'PY'
import sys
path, n = sys.argv[1], int(sys.argv[2])
with open(path, "w", encoding="utf-8-sig", newline="") as f:
    f.write("氏名,ふりがな,郵便番号,住所,電話,携帯,メール,誕生日,メモ\r\n")
    for i in range(n):
        f.write(f'山田 太郎{i},やまだ たろう{i},{i % 1000:03d}-{i % 10000:04d},東京都千代田区千代田{i % 9 + 1}-{i % 30 + 1},'
                f'03-{i % 10000:04d}-{(i * 7) % 10000:04d},090-{i % 10000:04d}-{(i * 3) % 10000:04d},'
                f'user{i}@example.jp,19{50 + i % 50}/{i % 12 + 1:02d}/{i % 28 + 1:02d},"一行目\r\n二行目 {i}"\r\n')
PY
"$cli" export "$work/deck.csv" -o "$work/contacts.vcf" >/dev/null
"$cli" export "$work/deck.csv" -o "$work/sheet.xlsx" >/dev/null

measure() {  # label command...
  local label=$1
  shift
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >/dev/null 2>&1 || true
  read -r user sys rss <"$work/time"
  printf '%-34s %8.2f s CPU %8d MB\n' "$label" "$(echo "$user + $sys" | bc)" $((rss / 1024))
}

echo "$cards cards ($(du -h "$work/contacts.vcf" | cut -f1) vCard, $(du -h "$work/sheet.xlsx" | cut -f1) .xlsx)"
measure "velum-cli import .vcf" "$cli" import "$work/contacts.vcf" -o "$work/a.csv"
measure "velum-cli import .xlsx" "$cli" import "$work/sheet.xlsx" -o "$work/b.csv"
if command -v soffice >/dev/null; then
  measure "soffice --convert-to csv .vcf" soffice --headless --convert-to csv --outdir "$work/lo" "$work/contacts.vcf"
  # LibreOffice has no filter that reads contacts into a sheet: say so rather than show a figure of nothing.
  [ -s "$work/lo/contacts.csv" ] || echo "  (soffice wrote no CSV of the .vcf: the figure above is of a failed run)"
  measure "soffice --convert-to csv .xlsx" soffice --headless --convert-to csv --outdir "$work/lo" "$work/sheet.xlsx"
  [ -s "$work/lo/sheet.csv" ] && echo "  soffice's CSV: $(($(wc -l <"$work/lo/sheet.csv"))) lines, Velum's: $(($(wc -l <"$work/b.csv"))) lines"
else
  echo "(LibreOffice is not installed: no side-by-side figures)"
fi

# A sheet of every row a sheet has, one short cell each: read within the
# memory budget, or refused with the row where it stopped.
python3 - "$work/full.csv" <<'PY'
import sys
with open(sys.argv[1], "w", encoding="utf-8-sig", newline="") as f:
    f.write("番号\r\n")
    for i in range(1048575):
        f.write(f"{i}\r\n")
PY
"$cli" export "$work/full.csv" -o "$work/full.xlsx" >/dev/null
measure "velum-cli import 1,048,576 rows" "$cli" import "$work/full.xlsx" -o "$work/c.csv"

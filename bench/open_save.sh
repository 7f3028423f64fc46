#!/usr/bin/env bash
# Open and save of a large card file, as velum-cli convert does both: the
# generated file of CARDS cards (default 1,000,000) of 12 items in CP932, read
# and written again. Prints wall and CPU seconds and the peak resident size,
# beside the UTF-16 size of the texts (what the cards hold at least).
#   bench/open_save.sh [BUILD_DIR] [CARDS]
set -euo pipefail
build=${1:-build-rel}
cards=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/core/card_file_generate" "$work/deck.csv" "$cards"
echo "file: $(stat -c %s "$work/deck.csv") bytes, $cards cards"
"$build/bench/core/card_file_memory" "$work/deck.csv" | grep -E "UTF-16|peak"
/usr/bin/time -f "open+save: %e s wall, %U s user + %S s system, %M KiB peak" \
  "$build/cli/velum-cli" convert "$work/deck.csv" -o "$work/out.csv"
cmp -s "$work/deck.csv" "$work/out.csv" && echo "written back byte for byte" || echo "written back with differences"

#!/usr/bin/env bash
# Open and save of a large card file, as velum-cli convert does both: the
# generated file of CARDS cards (default 1,000,000) of 12 items in CP932, read
# and written again, beside its peer, iconv decoding the same file to UTF-16
# (what the reader does at least). Each figure is the best wall time of RUNS
# runs (default 3) with the CPU seconds of that run, on every processor the
# process may use and on one (taskset -c 0); then open and save alone on 1,
# 2, 4, ... threads, and the peak resident size beside the UTF-16 size of the
# texts (what the cards hold at least). The machine's processors and load are
# printed first: on a busy machine the wall times stretch.
#   bench/open_save.sh [BUILD_DIR] [CARDS] [RUNS]
set -euo pipefail
build=${1:-build-rel}
cards=${2:-1000000}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/core/card_file_generate" "$work/deck.csv" "$cards"
echo "file: $(stat -c %s "$work/deck.csv") bytes, $cards cards; $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"

# best NAME COMMAND...: the best wall time of $runs runs, with its CPU time.
best() {
  local name=$1
  shift
  local out=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$@" >/dev/null 2>&1
    out+=("$(tail -1 "$work/time")")
  done
  printf '%s\n' "${out[@]}" | sort -n | head -1 |
    awk -v n="$name" '{ printf "%-34s %6.2f s wall  %6.2f s cpu  %8d KiB peak\n", n, $1, $2 + $3, $4 }'
}

best "iconv -f CP932 -t UTF-16LE" iconv -f CP932 -t UTF-16LE "$work/deck.csv"
best "velum-cli convert" "$build/cli/velum-cli" convert "$work/deck.csv" -o "$work/out.csv"
best "iconv, one processor" taskset -c 0 iconv -f CP932 -t UTF-16LE "$work/deck.csv"
best "velum-cli convert, one processor" taskset -c 0 "$build/cli/velum-cli" convert "$work/deck.csv" -o "$work/out.csv"
cmp -s "$work/deck.csv" "$work/out.csv" && echo "written back byte for byte" || echo "written back with differences"

"$build/bench/core/card_file_threads" "$work/deck.csv" "$runs"
"$build/bench/core/card_file_memory" "$work/deck.csv" | grep -E "UTF-16|peak"

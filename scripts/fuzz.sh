#!/usr/bin/env bash
# Builds the fuzz harnesses with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ and runs each (or the one named)
# for SECONDS (default 60), one after the other, then prints a table of the
# runs. Exit status 1 when a target found something, 2 on bad usage.
#
# Usage: scripts/fuzz.sh [TARGET] [SECONDS]
#   TARGET   a folder of fuzz/ (date_text) or its harness (date_text_fuzz); all when left out
#   FUZZ_JOBS=N   parallel compile jobs (default: every core)
#
# Each target runs on a scratch corpus in build-fuzz/runs/TARGET/corpus: the
# checked-in corpus is copied in, what the runs find stays there between runs
# and never floods fuzz/. Findings (crash-*, leak-*, timeout-*, oom-*) and the
# log go to build-fuzz/runs/TARGET/. A fuzz/TARGET/*.dict is given to
# libFuzzer as its dictionary.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz

usage() { echo "usage: scripts/fuzz.sh [TARGET] [SECONDS]" >&2; exit 2; }
target=""
seconds=60
for arg in "$@"; do
  if [[ $arg =~ ^[0-9]+$ ]]; then seconds=$arg
  elif [[ -z $target && $arg != -* ]]; then target=${arg%_fuzz}
  else usage
  fi
done
((seconds > 0)) || usage

# Folder and harness name of every target: velum_add_fuzz(NAME ...) in fuzz/DIR/CMakeLists.txt.
dirs=() names=()
for cm in fuzz/*/CMakeLists.txt; do
  dir=$(basename "$(dirname "$cm")")
  name=$(sed -n 's/^velum_add_fuzz(\([A-Za-z0-9_]*\).*/\1/p' "$cm" | head -n 1)
  [[ -n $name ]] || continue
  if [[ -z $target || $target == "$dir" || $target == "${name%_fuzz}" ]]; then
    dirs+=("$dir") names+=("$name")
  fi
done
if ((${#dirs[@]} == 0)); then
  echo "fuzz: no target $target; there are: $(ls fuzz | grep -v '\.' | tr '\n' ' ')" >&2
  exit 2
fi

scripts/setup.sh
if ! command -v clang++ >/dev/null || ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "fuzz: installing clang"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DVELUM_BUILD_FUZZ=ON -DVELUM_BUILD_UI=OFF -DVELUM_BUILD_TESTS=OFF -DVELUM_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "${FUZZ_JOBS:-$(nproc)}" --target "${names[@]/%/_fuzzer}"

# Undefined behaviour stops a run as a crash does; the harnesses use fixed
# clocks, the time zone is the program's home as in the tests.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 TZ=Asia/Tokyo

rows=() failed=0
for i in "${!dirs[@]}"; do
  dir=${dirs[$i]} name=${names[$i]}
  run=$build/runs/$dir
  mkdir -p "$run/corpus"
  touch "$run/.start"
  cp -n fuzz/"$dir"/corpus/* "$run/corpus/" 2>/dev/null || true
  dict=$(ls fuzz/"$dir"/*.dict 2>/dev/null | head -n 1 || true)
  fuzzer=$(find "$build/fuzz/$dir" -maxdepth 1 -name "${name}_fuzzer" -type f | head -n 1)
  echo "fuzz: $name for ${seconds}s${dict:+ with $(basename "$dict")}"
  status=0
  "$fuzzer" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 -artifact_prefix="$run/" \
    ${dict:+-dict="$dict"} "$run/corpus" >"$run/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$run/log" | tail -n 1)
  cov=$( (grep -o "cov: [0-9]*" "$run/log" || true) | tail -n 1 | cut -d" " -f2)
  # Findings of this run; those of earlier runs stay where they are.
  found=$(find "$run" -maxdepth 1 -newer "$run/.start" \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \))
  findings=$(printf '%s' "$found" | grep -c . || true)
  # A run that stopped without leaving an input behind still failed.
  if ((status != 0 && findings == 0)); then findings="exit $status"; fi
  if [[ $findings != 0 ]]; then
    failed=1
    grep -m 3 -E 'ERROR|runtime error|_fuzz: ' "$run/log" | sed "s|^|  $name: |" || true
    for f in $found; do echo "  reduce with: $fuzzer -minimize_crash=1 -max_total_time=60 $f"; done
  fi
  rows+=("$(printf '%-20s %8s %12s %8s %s' "$name" "$seconds" "${runs:-?}" "${cov:-?}" "$findings")")
done

printf '\n%-20s %8s %12s %8s %s\n' target seconds runs cov findings
printf '%s\n' "${rows[@]}"
exit "$failed"

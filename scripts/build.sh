#!/usr/bin/env bash
# Configures (once) and builds Velum into build/ (kept between runs): every
# target, or only the targets named (and what they link).
# Usage: scripts/build.sh [TARGET...] [extra cmake -D options...]
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache shares its cache between checkouts in different folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
targets=()
while [[ $# -gt 0 && $1 != -* ]]; do
  targets+=(--target "$1")
  shift
done
scripts/setup.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build build -j "$(nproc)" "${targets[@]}"

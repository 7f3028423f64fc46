#!/usr/bin/env bash
# Configures (once) and builds Velum into build/ (kept between runs).
# Usage: scripts/build.sh [extra cmake -D options...]
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache shares its cache between checkouts in different folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
scripts/setup.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build build -j "$(nproc)"

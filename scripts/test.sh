#!/usr/bin/env bash
# Builds everything and runs every test; also proves that the logic and
# velum-cli build without Qt Widgets.
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache shares its cache between checkouts in different folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
scripts/setup.sh

echo "== build without Qt Widgets"
if [ ! -f build-noui/build.ninja ]; then
  cmake -S . -B build-noui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUM_BUILD_UI=OFF \
    -DVELUM_BUILD_TESTS=OFF -DVELUM_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-noui -j "$(nproc)"

echo "== build and test"
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"

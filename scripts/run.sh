#!/usr/bin/env bash
# Builds the window and velum-cli (only they and what they link, no tests or
# benchmarks) and shows the bundled sample card file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh velum velum-cli
sample="examples/住所録.csv"
if [ -x build/ui/velum ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/ui/velum "$sample"
fi
exec build/cli/velum-cli show "$sample"

#!/usr/bin/env bash
# Builds Velum and shows the bundled sample card file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
sample="examples/住所録.csv"
if [ -x build/ui/velum ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/ui/velum "$sample"
fi
exec build/cli/velum-cli show "$sample"

#!/usr/bin/env bash
# Starts a PostgreSQL server of its own (initdb into a temporary folder, a
# socket there only; as the user postgres when run as root) and runs
# server_bench on it:  bench/server/server_bench.sh [BUILD_DIR] [CARDS] [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
cards=${2:-100000}
runs=${3:-3}
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
work=$(mktemp -d /tmp/velum-bench-XXXXXX)
as=()
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  chown postgres "$work"
  as=(runuser -u postgres --)
  user=postgres
fi
trap '"${as[@]}" "$bin/pg_ctl" -D "$work/data" -m fast -w stop >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
"${as[@]}" "$bin/initdb" -D "$work/data" -U "$user" --auth=trust -E UTF8 --no-locale --no-sync >/dev/null
"${as[@]}" "$bin/pg_ctl" -D "$work/data" -l "$work/log" -w -o "-k $work -c listen_addresses=" start >/dev/null
echo "$(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/server/server_bench" "$work" "$user" "$build/cli/velum-cli" "$cards" "$runs"

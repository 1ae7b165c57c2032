#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench/ and compares VexaConfig with
# SQLite (statements prepared once, keys bound, both saves synced to disk) and
# with the machine's limits on the same bytes (reading the file, inflating and
# deflating the member, writing the file), then the peak memory of the loads,
# then what a user meets: vexacfg against the sqlite3 shell (bench/user_level.sh).
# Every figure is the median of three runs with their spread, in CPU time of the
# calling thread and in wall time. The machine's load is printed before and after.
#   scripts/bench.sh [ROWS,ROWS,...]    default 10000,100000 (a quick run);
#                                       the full run is 10000,100000,1000000
# The generated configurations are kept in build-bench/data/ for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-10000,100000}
scripts/install-deps.sh bench
cmake -S . -B build-bench -DVEXA_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target vexa_sqlite_bench
echo "load before: $(uptime)"
build-bench/bench/vexa_sqlite_bench --rows="$rows" --data=build-bench/data
build-bench/bench/vexa_sqlite_bench --memory --rows="$rows" --data=build-bench/data
cmake --build build-bench -j2 --target vexacfg >/dev/null
for n in ${rows//,/ }; do bench/user_level.sh "$n"; done
echo "load after: $(uptime)"

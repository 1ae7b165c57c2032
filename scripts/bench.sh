#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench/ and runs the comparison with
# an in-memory SQLite at the row counts given (default 10000,100000), then the
# memory held per 100,000 rows. The generated configurations are kept in
# build-bench/data/ for the next run.
#   scripts/bench.sh [ROWS,ROWS,...] [benchmark flags]
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-10000,100000}
shift || true
scripts/install-deps.sh bench
cmake -S . -B build-bench -DVEXA_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target vexa_sqlite_bench
build-bench/bench/vexa_sqlite_bench --rows="$rows" --data=build-bench/data "$@"
echo
build-bench/bench/vexa_sqlite_bench --memory --rows="$rows" --data=build-bench/data

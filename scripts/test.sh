#!/usr/bin/env bash
# Builds and runs every test: the normal build, then AddressSanitizer + UBSan;
# then the pool, queue, list, index and piecewise deflate tests under
# ThreadSanitizer; then the 32- and 64-bit Windows builds under Wine
# (scripts/test-windows.sh). The workbench's browser tests drive Debian's
# headless Chromium; their screenshots are left in build/workbench-screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh browser
jobs=$(nproc)
# A test that hangs fails after ten minutes instead of holding CI to its limit.
run() {
  local dir=$1 filter=$2; shift 2
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -j"$jobs" ${filter:+-R "$filter"}
}
# Each part says how long it took, so that CI's time can be read off its log.
part() { echo "== $1 (at ${SECONDS}s)"; }
part "normal build"
run build '' -DCMAKE_BUILD_TYPE=RelWithDebInfo
part "an archive member over 1 GiB"
VEXA_LARGE_MEMBER=1 timeout 600 build/tests/vexa_tests --gtest_filter='LargeMember.*'
part "AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run build-asan '' -DCMAKE_BUILD_TYPE=Debug -DVEXA_SANITIZE=ON
part "ThreadSanitizer build (pools, queues, lists, index, piecewise deflate, parsing while reading)"
TSAN_OPTIONS=halt_on_error=1 run build-tsan '^(Pool|HashIndex|QueryIndex|QueryCommit|MemberDeflater|TreeParser)' -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_TSAN=ON
part "Windows builds (32- and 64-bit) under Wine"
timeout 60m bash scripts/test-windows.sh
echo "== all tests passed in ${SECONDS}s"

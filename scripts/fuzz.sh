#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ and runs each one, one after the
# other, for SECONDS (default 60) on its corpus. The corpus starts from seeds that
# fuzz_seeds writes and keeps what the runs find. A crash, leak, sanitizer report
# or hang stops the script with a non-zero exit; the input is left in
# build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_load_text fuzz_load_zip fuzz_statement fuzz_equation)
scripts/install-deps.sh fuzz
cmake -S . -B build-fuzz -DVEXA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j2 --target fuzz_seeds "${targets[@]}"
build-fuzz/fuzz/fuzz_seeds build-fuzz/corpus
mkdir -p build-fuzz/artifacts
for target in "${targets[@]}"; do
  echo "== $target for ${seconds}s"
  # Tree nodes are destroyed on a deleter thread, after the input that freed them
  # has finished, so libFuzzer's leak check after each input would misfire on
  # every target that loads a tree; LeakSanitizer still checks at exit.
  leaks_per_input=0
  [ "$target" = fuzz_equation ] && leaks_per_input=1
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -detect_leaks="$leaks_per_input" \
    -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$target-" "build-fuzz/corpus/$target"
done

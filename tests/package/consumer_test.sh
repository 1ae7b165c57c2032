#!/usr/bin/env bash
# Installs the project from BUILD into WORK/prefix and builds the consumer
# against it, with CMake (shared and static) and with pkg-config; each consumer
# must create a file and print its first parameter set.
#   consumer_test.sh BUILD WORK
set -euo pipefail
build=$1 work=$2
source_dir=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null

expect_first_set() {
  local output
  output=$("$1" "$work/$2.cfg")
  [ "$output" = "ParameterSet1|True" ] || { echo "$1 printed '$output'"; exit 1; }
}

cmake -S "$source_dir" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
expect_first_set "$work/cmake/consumer_shared" shared
expect_first_set "$work/cmake/consumer_static" static

pc_dir=$(dirname "$(find "$work/prefix" -name vexaconfig.pc)")
export PKG_CONFIG_PATH=$pc_dir
libdir=$(pkg-config --variable=libdir vexaconfig)
# shellcheck disable=SC2046
c++ -std=c++17 "$source_dir/consumer.cpp" -o "$work/consumer_pc" $(pkg-config --cflags --libs vexaconfig) \
  -Wl,-rpath,"$libdir"
expect_first_set "$work/consumer_pc" pkg-config
echo "consumers built with CMake and pkg-config against $work/prefix"

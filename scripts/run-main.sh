#!/usr/bin/env bash
# Builds vexacfg and runs it on the given configuration file, or on a new
# version 5 file that it creates first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vexacfg >/dev/null
vexacfg=build/tools/vexacfg
file=${1:-}
if [ -z "$file" ]; then
  file=build/demo.cfg
  echo "\$ vexacfg create $file --force"
  $vexacfg create "$file" --force
fi
echo "\$ vexacfg version $file"
$vexacfg version "$file"
echo "\$ vexacfg tables $file"
$vexacfg tables "$file"
echo "\$ vexacfg query $file \"select * from ParameterDefaultsState\""
$vexacfg query "$file" "select * from ParameterDefaultsState"

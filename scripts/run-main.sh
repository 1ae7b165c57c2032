#!/usr/bin/env bash
# Builds vexacfg and runs it on the given configuration file, or on a small
# demonstration file that it writes first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vexacfg >/dev/null
file=${1:-}
if [ -z "$file" ]; then
  file=build/demo.cfg
  cat > "$file" <<'CFG'
Root VersionFivePointZero
{
   Table ParameterDefaultsState
   {
      TableDefinition ParameterDefaults|Group|isActive|PropertyBag
      TableType String|String|list(True,False)|string
      TableContents 
      {
         0-SunDec0600:00:002026@demo-1 ParameterSet1||True|
      }
   }
   Table Constants
   {
      TableDefinition Name|Value|PropertyBag
      TableType String|Float|String
      TableContents 
   }
}
CFG
fi
echo "vexacfg tables $file"
build/tools/vexacfg tables "$file"

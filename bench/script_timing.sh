#!/usr/bin/env bash
# Times the object-model script both ways, RUNS times each (default 10): the
# VBScript suite under Wine's cscript against the registered 32-bit and 64-bit
# DLLs, and the same calls through `vexacfg script` on Linux. Needs the builds
# of scripts/test-windows.sh and build/tools/vexacfg; registers the DLLs in
# their Wine prefixes and leaves them registered.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
export WINEDEBUG=-all
now() { date +%s.%N; }
mean_ms() { awk -v a="$1" -v b="$2" -v n="$runs" 'BEGIN { printf "%.0f", (b - a) * 1000 / n }'; }

work=$(mktemp -d)
sed "s|FOLDER|$work|g" bench/object_model.vexacfg >"$work/object_model.vexacfg"
build/tools/vexacfg script "$work/object_model.vexacfg" >/dev/null
start=$(now)
for _ in $(seq "$runs"); do build/tools/vexacfg script "$work/object_model.vexacfg" >/dev/null; done
echo "vexacfg script (Linux): $(mean_ms "$start" "$(now)") ms per run"

for target in "win32 build-win32 wine" "win64 build-win64 /usr/lib/wine/wine64"; do
  set -- $target
  export WINEARCH=$1 WINEPREFIX=$PWD/$2/wineprefix
  [ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
  $3 regsvr32 /s "$2/server/VexaConfigInterface.dll"
  folder=$(winepath -w "$work" 2>/dev/null)
  script=$(winepath -w tests/windows/object_model.vbs 2>/dev/null)
  $3 cscript //nologo "$script" "$folder" | tail -n 1
  start=$(now)
  for _ in $(seq "$runs"); do $3 cscript //nologo "$script" "$folder" >/dev/null; done
  echo "cscript object_model.vbs ($1, Wine): $(mean_ms "$start" "$(now)") ms per run"
  wineserver -k 2>/dev/null || true
done
rm -rf "$work"

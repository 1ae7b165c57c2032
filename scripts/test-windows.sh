#!/usr/bin/env bash
# Builds both Windows targets (scripts/build-windows.sh) and runs their tests
# under Wine, each in a fresh prefix of its own: the GoogleTest suite, then
# vexacfg.exe on a file it creates under a name that Windows-1252 cannot write,
# whose output must be the Linux tool's (line ends aside: a Windows console
# program ends its lines with CR LF), then its workbench server through curl,
# then the COM server as its callers meet it (scripts/windows-server-checks.sh);
# last, the installer packages in fresh prefixes (scripts/test-windows-packages.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
export WINEDEBUG=-all
linux_tool=build/tools/vexacfg
[ -x $linux_tool ] || { cmake -S . -B build >/dev/null && cmake --build build -j"$(nproc)" --target vexacfg >/dev/null; }

# The same session on either tool; FILE is created first.
tool_session() {
  local tool=$1 file=$2
  $tool create "$file"
  $tool version "$file"
  $tool tables "$file"
  $tool query "$file" "update Colors set * = 255|red" "select * from Colors" --save
  $tool query "$file" "select Color, PropertyBag from Colors where Color = 255"
  $tool params "$file"
}

for target in "win32 build-win32" "win64 build-win64"; do
  set -- $target
  echo "== Windows tests ($1) under Wine"
  export WINEARCH=$1 WINEPREFIX=$PWD/$2/wineprefix
  [ -d "$WINEPREFIX" ] && { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  if [ "$1" = win32 ]; then
    # Every 32-bit program and DLL built must be large-address-aware.
    while IFS= read -r binary; do
      # Read whole, not piped into grep -q: under pipefail, objdump cut short by SIGPIPE fails the check.
      [[ $(i686-w64-mingw32-objdump -p "$binary") == *"large address aware"* ]] ||
        { echo "$binary: not large-address-aware" >&2; exit 1; }
    done < <(find "$2" \( -path "$2/wineprefix" -o -name CMakeFiles \) -prune -o \( -name '*.exe' -o -name '*.dll' \) -type f -print)
    echo "build-win32: every program and DLL is large-address-aware"
  fi
  ctest --test-dir "$2" --output-on-failure --timeout 1200
  work=$(mktemp -d)
  tool_session $linux_tool "$work/linux-Δοκιμή.cfg" >"$work/linux.out"
  # Wine reads a program's arguments in the locale's character set: UTF-8, as the shell wrote them.
  tool_session "env LC_ALL=C.UTF-8 wine $2/tools/vexacfg.exe" "$work/windows-Δοκιμή.cfg" | tr -d '\r' >"$work/windows.out"
  # A name lost on the way would still give the same output, so the file must exist under its own.
  [ -f "$work/windows-Δοκιμή.cfg" ] || { echo "vexacfg.exe ($1): the file was not created under its name" >&2; exit 1; }
  sed -i "s|$work/linux-Δοκιμή.cfg|FILE|g" "$work/linux.out"
  sed -i "s|$work/windows-Δοκιμή.cfg|FILE|g" "$work/windows.out"
  if diff -u "$work/linux.out" "$work/windows.out"; then
    echo "vexacfg.exe ($1): the same output as on Linux"
  else
    echo "vexacfg.exe ($1): output differs from Linux" >&2
    exit 1
  fi
  # The workbench: vexacfg.exe serve answers an HTTP client from Linux, and
  # refuses a request without its token.
  env LC_ALL=C.UTF-8 wine $2/tools/vexacfg.exe serve "$work/windows-Δοκιμή.cfg" --read-only >"$work/serve.out" 2>&1 &
  for _ in $(seq 200); do grep -q '^http://' "$work/serve.out" && break; sleep 0.3; done
  url=$(grep -m1 '^http://' "$work/serve.out" | tr -d '\r')
  base=${url%%/\?*}
  [[ $(curl -sf -H "X-Vexa-Token: ${url##*token=}" "$base/api/tables") == *'"name":"Colors","rows":1'* ]] ||
    { echo "vexacfg.exe serve ($1): no table list from $url" >&2; exit 1; }
  [ "$(curl -s -o /dev/null -w '%{http_code}' "$base/api/tables")" = 401 ] ||
    { echo "vexacfg.exe serve ($1): a request without the token was not refused" >&2; exit 1; }
  echo "vexacfg.exe serve ($1): answers with the token, refuses without"
  wineserver -k 2>/dev/null || true
  wait
  rm -rf "$work"
  scripts/windows-server-checks.sh "$2" $linux_tool
  wineserver -k 2>/dev/null || true
done
scripts/test-windows-packages.sh $linux_tool

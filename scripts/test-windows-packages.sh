#!/usr/bin/env bash
# The Windows Installer packages in dist/ under Wine, each width in a fresh
# prefix of its own: a package of a lower version is installed, then the
# package itself upgrades it in place; without any regsvr32, the VBScript suite
# and the C++ client drive the installed server, vexacfg.exe runs from the PATH,
# every binary's version resource reads back the project's version, and the
# keys the package wrote are the ones regsvr32 writes for the installed DLLs.
# In the 64-bit prefix the x86 package then installs beside the x64 one and
# serves 32-bit callers. msiexec /x leaves no file, key or PATH entry of ours.
# Usage: test-windows-packages.sh LINUX-VEXACFG (after scripts/package-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
linux_tool=$1
export WINEDEBUG=-all
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win32/CMakeCache.txt)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A package of the same binaries under a lower version, to upgrade from.
old=build-win-packages-old
scripts/package-windows.sh 0.9.0 "$old" >/dev/null

# Every key of ours under the classes root, as KEY|NAME|VALUE lines.
typelib=$($linux_tool typelib)
mapfile -t zlib_uuids < <(sed -n 's/^ *uuid(\(.*\)),$/{\1}/p' server/vexa_zlib_interface.idl)
our_keys=("TypeLib\\$(awk '/^library/ {print $4}' <<<"$typelib")" "TypeLib\\${zlib_uuids[0]}"
          "Interface\\${zlib_uuids[1]}" "VexaZLibInterface.ZlibObj" "VexaZLibInterface.ZlibObj.1"
          "CLSID\\${zlib_uuids[2]}")
while read -r kind name id _; do
  case $kind in
    coclass) our_keys+=("VexaConfigInterface.$name" "VexaConfigInterface.$name.1" "CLSID\\$id") ;;
    interface | source) our_keys+=("Interface\\$id") ;;
  esac
done <<<"$typelib"
dump_once() {
  local reg=$1 key
  for key in "${our_keys[@]}"; do $reg query "HKCR\\$key" /s 2>/dev/null || true; done | tr -d '\r' |
    { grep -E '^(HKEY_|    )' || true; } | sort
}
# A `reg query` that Wine fails now and then looks like a missing key, so the
# dump is taken until two in a row agree.
registry_dump() {
  local previous current attempt
  previous=$(dump_once "$1")
  for attempt in 1 2 3 4; do
    current=$(dump_once "$1")
    [ "$current" = "$previous" ] && break
    echo "registry dump $attempt differed from the one before; taking it again" >&2
    previous=$current
  done
  echo "$current"
}

# Runs the suite against the server installed for one width: WINE starts
# that width's programs, ARCH names its package.
check_installed() {
  local wine=$1 arch=$2 folder work output
  folder=$($wine cmd /c echo %ProgramFiles% | tr -d '\r')\\VexaConfig
  scripts/run-vbscript-suites.sh "$wine" "$linux_tool" $([ "$arch" = "$native" ] && echo "$client" || true) ||
    fail "$arch: the late-bound callers of the installed server"
  work=$(mktemp -d)
  # Found on the PATH that the package set (Wine looks a bare program name up there).
  output=$($wine vexacfg.exe --version 2>&1 | tr -d '\r') || true
  [ "$output" = "vexacfg $version" ] || fail "$arch: vexacfg.exe --version from the PATH: $output"
  cat >"$work/version.vbs" <<EOF
Set files = CreateObject("Scripting.FileSystemObject")
For Each name In Array("VexaConfigInterface.dll", "VexaZLibInterface.dll", "vexacfg.exe")
  WScript.Echo name & " " & files.GetFileVersion("$folder\\" & name)
Next
EOF
  output=$($wine cscript //nologo "$(winepath -w "$work/version.vbs" 2>/dev/null)" | tr -d '\r') || true
  [ "$(grep -c " $version.0$" <<<"$output")" -eq 3 ] || fail "$arch: version resources: $output"
  rm -rf "$work"
}

for target in "win32 x86 build-win32" "win64 x64 build-win64"; do
  set -- $target
  export WINEARCH=$1 WINEPREFIX=$PWD/$3/wineprefix-package
  native=$2 client=$3/tests/late_bound_client.exe
  if [ "$1" = win64 ]; then wine=/usr/lib/wine/wine64; else wine=wine; fi
  echo "== Windows packages ($1) under Wine"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  package=dist/VexaConfig-$version-$2.msi
  $wine msiexec /i "$old/VexaConfig-0.9.0-$2.msi" /qn || fail "$2: installing 0.9.0"
  $wine msiexec /i "$package" /qn || fail "$2: installing $package over 0.9.0"
  wineserver -w
  products=$($wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    { grep -o 'VexaConfig [0-9.]* ([a-z0-9]*)' || true; } | sort -u | tr '\n' ' ')
  [ "$products" = "VexaConfig $version ($2) " ] || fail "$2: installed products after the upgrade: $products"
  installed=$(registry_dump "$wine reg")
  [ -n "$installed" ] || fail "$2: no registry keys after install"
  check_installed "$wine" "$2"
  if [ "$1" = win64 ]; then
    wine msiexec /i dist/VexaConfig-$version-x86.msi /qn || fail "x86 beside x64: install"
    wineserver -w
    check_installed wine x86
    wine msiexec /x dist/VexaConfig-$version-x86.msi /qn || fail "x86 beside x64: uninstall"
  fi
  $wine msiexec /x "$package" /qn || fail "$2: uninstalling"
  wineserver -w
  left=$(registry_dump "$wine reg")
  [ -z "$left" ] || { fail "$2: keys left after uninstall:"; echo "$left" >&2; }
  [ ! -e "$WINEPREFIX/drive_c/Program Files/VexaConfig" ] && [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/VexaConfig" ] ||
    fail "$2: files left after uninstall"
  $wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH 2>/dev/null |
    grep -qi VexaConfig && fail "$2: the PATH still names VexaConfig"
  $wine vexacfg.exe --version >/dev/null 2>&1 && fail "$2: vexacfg.exe is still found"
  # What regsvr32 writes for the same DLLs at the same place must be what the package wrote.
  folder="$WINEPREFIX/drive_c/Program Files/VexaConfig"
  mkdir -p "$folder"
  cp $3/server/VexaConfigInterface.dll $3/server/VexaZLibInterface.dll "$folder/"
  for dll in VexaConfigInterface.dll VexaZLibInterface.dll; do $wine regsvr32 /s "C:\\Program Files\\VexaConfig\\$dll"; done
  registered=$(registry_dump "$wine reg")
  diff <(echo "$installed") <(echo "$registered") >&2 || fail "$2: the package's keys differ from regsvr32's"
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
done
rm -rf "$old"
[ $failures -eq 0 ] && echo "Windows package checks: passed"
exit $((failures > 0))

#!/usr/bin/env bash
# The COM server of one Windows build under Wine, in the prefix the caller has
# set up (WINEPREFIX, WINEARCH): regsvr32 registers the server DLL and the
# archive component's, and every registry key of the fifteen classes and of the
# component is read back with reg; the VBScript suite and the C++ client drive
# the registered classes; regsvr32 /u removes everything but the CLSID root,
# and a second regsvr32 /u succeeds with nothing left to remove.
# Usage: windows-server-checks.sh BUILD-DIR LINUX-VEXACFG
set -euo pipefail
build=$1 linux_tool=$2
dll=$build/server/VexaConfigInterface.dll
zlib_dll=$build/server/VexaZLibInterface.dll
# Windows' own programs of the prefix's width: Debian's `wine` starts the
# 32-bit ones, which in a 64-bit prefix see the 32-bit registry view.
if [ "$WINEARCH" = win64 ]; then wine=/usr/lib/wine/wine64; else wine=wine; fi
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# `reg query /s` of one key, as lines KEY|NAME|VALUE ("(Default)" for the key's
# own value; a key without values gives KEY||), keys relative to the classes root.
registry_tree() {
  $wine reg query "HKCR\\$1" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY_CLASSES_ROOT\\/ { key = substr($0, 19); keys[key] = 1; next }
    /^    / { sub(/^    /, ""); n = index($0, "    "); name = substr($0, 1, n - 1); rest = substr($0, n + 4)
              m = index(rest, "    "); value = m ? substr(rest, m + 4) : ""
              print key "|" name "|" value; has[key] = 1 }
    END { for (k in keys) if (!(k in has)) print k "||" }' | sort
}

# What registration must write for one class of MODULE (a DLL), in the same form.
expected_tree() {
  local root=$1 name=$2 clsid=$3 libid=$4 module_dll=$5 description="$2 Class" progid="$(basename "$5" .dll).$2"
  local module
  module=$(winepath -w "$module_dll" 2>/dev/null)
  case $root in
    progid1) printf '%s\n' "$progid.1|(Default)|$description" "$progid.1\\CLSID|(Default)|$clsid" ;;
    progid) printf '%s\n' "$progid|(Default)|$description" "$progid\\CLSID|(Default)|$clsid" \
                          "$progid\\CurVer|(Default)|$progid.1" ;;
    clsid) printf '%s\n' "CLSID\\$clsid|(Default)|$description" \
             "CLSID\\$clsid\\InprocServer32|(Default)|$module" \
             "CLSID\\$clsid\\InprocServer32|ThreadingModel|Apartment" \
             "CLSID\\$clsid\\ProgID|(Default)|$progid.1" "CLSID\\$clsid\\Programmable||" \
             "CLSID\\$clsid\\TypeLib|(Default)|$libid" \
             "CLSID\\$clsid\\VersionIndependentProgID|(Default)|$progid" ;;
  esac | sort
}

# The classes and the library identifier, as the Linux tool's member tables
# have them, and the archive component's from its IDL: CLASS CLSID LIBID DLL.
typelib=$($linux_tool typelib)
libid=$(awk '/^library/ {print $4}' <<<"$typelib")
mapfile -t classes < <(awk -v libid="$libid" -v dll="$dll" '/^coclass/ {print $2, $3, libid, dll}' <<<"$typelib")
[ ${#classes[@]} -eq 15 ] || fail "expected 15 classes from vexacfg typelib"
mapfile -t zlib_uuids < <(sed -n 's/^ *uuid(\(.*\)),$/{\1}/p' server/vexa_zlib_interface.idl)
classes+=("ZlibObj ${zlib_uuids[2]} ${zlib_uuids[0]} $zlib_dll")

for module_dll in "$dll" "$zlib_dll"; do $wine regsvr32 /s "$module_dll" || fail "regsvr32 $module_dll"; done
for class in "${classes[@]}"; do
  set -- $class
  prefix=$(basename "$4" .dll)
  for root in progid1 progid clsid; do
    case $root in progid1) key="$prefix.$1.1" ;; progid) key="$prefix.$1" ;; clsid) key="CLSID\\$2" ;; esac
    # Read twice before failing: a reg run under Wine was once seen to read a
    # key short, and what registration wrote does not change between reads.
    diff <(expected_tree $root "$1" "$2" "$3" "$4") <(registry_tree "$key") >/dev/null ||
      diff <(expected_tree $root "$1" "$2" "$3" "$4") <(registry_tree "$key") >/dev/null ||
      { fail "registry entries of $key:"; diff <(expected_tree $root "$1" "$2" "$3" "$4") <(registry_tree "$key") >&2 || true; }
  done
done
for library in "$libid $dll" "${zlib_uuids[0]} $zlib_dll"; do
  set -- $library
  registered=$($wine reg query "HKCR\\TypeLib\\$1\\1.0\\0\\win$([ "$WINEARCH" = win64 ] && echo 64 || echo 32)" /ve 2>/dev/null |
    tr -d '\r') || true
  [[ $registered == *"$(winepath -w "$2" 2>/dev/null)"* ]] || fail "the type library of $2 is registered under its path"
done

scripts/run-vbscript-suites.sh "$wine" "$linux_tool" "$build/tests/late_bound_client.exe" ||
  fail "the late-bound callers of the registered classes"

for module_dll in "$dll" "$zlib_dll"; do
  $wine regsvr32 /u /s "$module_dll" || fail "regsvr32 /u $module_dll"
  $wine regsvr32 /u /s "$module_dll" || fail "a second regsvr32 /u $module_dll, with nothing left to remove"
done
for class in "${classes[@]}"; do
  set -- $class
  prefix=$(basename "$4" .dll)
  for key in "$prefix.$1.1" "$prefix.$1" "CLSID\\$2" "TypeLib\\$3"; do
    $wine reg query "HKCR\\$key" >/dev/null 2>&1 && fail "$key is left after regsvr32 /u"
  done
done
$wine reg query "HKCR\\CLSID" >/dev/null 2>&1 || fail "the CLSID root is gone"
[ $failures -eq 0 ] && echo "COM server checks ($WINEARCH): passed"
exit $((failures > 0))

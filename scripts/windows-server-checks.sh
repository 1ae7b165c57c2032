#!/usr/bin/env bash
# The COM server of one Windows build under Wine, in the prefix the caller has
# set up (WINEPREFIX, WINEARCH): regsvr32 registers the DLL and every registry
# key of the fifteen classes is read back with reg; the VBScript suite and the
# C++ client drive the registered classes; regsvr32 /u removes everything but
# the CLSID root. Usage: windows-server-checks.sh BUILD-DIR LINUX-VEXACFG
set -euo pipefail
build=$1 linux_tool=$2
dll=$build/server/VexaConfigInterface.dll
module=$(winepath -w "$dll" 2>/dev/null)
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

# What registration must write for one class, in the same form.
expected_tree() {
  local root=$1 name=$2 clsid=$3 libid=$4 description="$2 Class" progid="VexaConfigInterface.$2"
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

# The classes and the library identifier, as the Linux tool's member tables have them.
typelib=$($linux_tool typelib)
libid=$(awk '/^library/ {print $4}' <<<"$typelib")
mapfile -t classes < <(awk '/^coclass/ {print $2, $3}' <<<"$typelib")
[ ${#classes[@]} -eq 15 ] || fail "expected 15 classes from vexacfg typelib"

$wine regsvr32 /s "$dll" || fail "regsvr32 $dll"
for class in "${classes[@]}"; do
  set -- $class
  for root in progid1 progid clsid; do
    case $root in progid1) key="VexaConfigInterface.$1.1" ;; progid) key="VexaConfigInterface.$1" ;; clsid) key="CLSID\\$2" ;; esac
    # Read twice before failing: a reg run under Wine was once seen to read a
    # key short, and what registration wrote does not change between reads.
    diff <(expected_tree $root "$1" "$2" "$libid") <(registry_tree "$key") >/dev/null ||
      diff <(expected_tree $root "$1" "$2" "$libid") <(registry_tree "$key") >/dev/null ||
      { fail "registry entries of $key:"; diff <(expected_tree $root "$1" "$2" "$libid") <(registry_tree "$key") >&2 || true; }
  done
done
$wine reg query "HKCR\\TypeLib\\$libid\\1.0\\0\\win$([ "$WINEARCH" = win64 ] && echo 64 || echo 32)" /ve 2>/dev/null |
  tr -d '\r' | grep -qF "$module" || fail "the type library is registered under the module's path"

# Late-bound callers of the registered classes.
work=$(mktemp -d)
work_windows=$(winepath -w "$work" 2>/dev/null)
for script in tests/windows/*.vbs; do
  output=$($wine cscript //nologo "$(winepath -w "$script" 2>/dev/null)" "$work_windows" 2>&1 | tr -d '\r') || true
  marker="END $(basename "$script" .vbs)"
  if grep -q '^FAIL' <<<"$output" || [ "$(tail -n 1 <<<"$output")" != "$marker" ]; then
    fail "$script:"; echo "$output" >&2
  else
    echo "$script: passed"
  fi
done
output=$(wine "$build/tests/late_bound_client.exe" "$work_windows" 2>&1 | tr -d '\r') || true
if grep -q '^FAIL' <<<"$output" || [ "$(tail -n 1 <<<"$output")" != "END late_bound_client" ]; then
  fail "late_bound_client:"; echo "$output" >&2
else
  echo "late_bound_client: passed"
fi
rm -rf "$work"

$wine regsvr32 /u /s "$dll" || fail "regsvr32 /u $dll"
for class in "${classes[@]}"; do
  set -- $class
  for key in "VexaConfigInterface.$1.1" "VexaConfigInterface.$1" "CLSID\\$2"; do
    $wine reg query "HKCR\\$key" >/dev/null 2>&1 && fail "$key is left after regsvr32 /u"
  done
done
$wine reg query "HKCR\\TypeLib\\$libid" >/dev/null 2>&1 && fail "the type library is left after regsvr32 /u"
$wine reg query "HKCR\\CLSID" >/dev/null 2>&1 || fail "the CLSID root is gone"
[ $failures -eq 0 ] && echo "COM server checks ($WINEARCH): passed"
exit $((failures > 0))

#!/usr/bin/env bash
# The late-bound callers of the registered classes under Wine: every VBScript
# of tests/windows/ through cscript, then, when given, the C++ client. Each must
# end with its END line and print no FAIL line. They work in a new folder that
# holds an archive for archive.vbs: a new file of the Linux tool as its member
# VEXA/pfConfig.
# Usage: run-vbscript-suites.sh WINE LINUX-VEXACFG [CLIENT-EXE]
set -euo pipefail
cd "$(dirname "$0")/.."
wine=$1 linux_tool=$2 client=${3:-}
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
work_windows=$(winepath -w "$work" 2>/dev/null)
$linux_tool create "$work/archive.cfg" >/dev/null
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED).write(sys.argv[1], "VEXA/pfConfig")' \
  "$work/archive.cfg" "$work/archive.zip"

# NAME passed when OUTPUT ends with its END line and holds no FAIL line.
check() {
  local name=$1 output=$2
  if grep -q '^FAIL' <<<"$output" || [ "$(tail -n 1 <<<"$output")" != "END $name" ]; then
    echo "FAIL: $name:" >&2
    echo "$output" >&2
    failures=$((failures + 1))
  else
    echo "$name: passed"
  fi
}

for script in tests/windows/*.vbs; do
  check "$(basename "$script" .vbs)" \
    "$($wine cscript //nologo "$(winepath -w "$script" 2>/dev/null)" "$work_windows" 2>&1 | tr -d '\r' || true)"
done
[ -z "$client" ] || check late_bound_client "$($wine "$client" "$work_windows" 2>&1 | tr -d '\r' || true)"
exit $((failures > 0))

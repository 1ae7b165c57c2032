#!/usr/bin/env bash
# How large a configuration the automation server opens and saves under Wine:
# for each N, the generated configuration of N rows a table (text and zip,
# bench/generated_config.cpp), then, for the 32-bit DLL under the 32-bit cscript
# (not large-address-aware: a 2 GB address space) and the 64-bit DLL under the
# 64-bit one, each step of bench/capacity.vbs as a process of its own:
#   open           Open of the text without the backup copy
#   open+backup    Open of the text with its .Backup copy
#   save text      Open with the .Backup copy, one row changed, Save
#   save zip       Open of the zip, one row changed, Save (an archive again)
#   open zip       Open of the zip just saved
# Each step is ok, failed (the error a call returned) or crashed (the host
# ended without its END line, or with a non-zero status). Its peak is GNU
# time's maximum resident set size of the cscript process: started by its
# Windows path, cscript is the process that time waits for, while wineserver
# and the prefix's services run detached and are not counted. Bytes a row is
# the open's peak less the idle host's (the object made, nothing open) and the
# text, over the 2N rows of the two tables.
#   bench/capacity.sh [N ...]            (default 600000 1000000 2500000)
# Environment (paths relative to the repository):
#   CAPACITY_DATA       folder of the generated files and logs (build-capacity/data)
#   CAPACITY_PREFIXES   folder of the private Wine prefixes (build-capacity)
#   CAPACITY_GENERATOR  vexa_generate_config (build-bench/bench/vexa_generate_config, built if missing)
#   CAPACITY_WIN32, CAPACITY_WIN64  folders holding VexaConfigInterface.dll and
#                       VexaZLibInterface.dll (build-win32/server, build-win64/server)
#   CAPACITY_TARGETS    the DLLs to run, "win32 win64" by default
#   CAPACITY_KEEP=1     keeps each N's files (else removed once it is measured)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
data=$(realpath -m "${CAPACITY_DATA:-build-capacity/data}")
prefixes=$(realpath -m "${CAPACITY_PREFIXES:-build-capacity}")
generator=${CAPACITY_GENERATOR:-build-bench/bench/vexa_generate_config}
targets=${CAPACITY_TARGETS:-win32 win64}
[ $# -gt 0 ] || set -- 600000 1000000 2500000
export WINEDEBUG=-all VEXA_TRACE=1
[ -x /usr/bin/time ] || { echo "capacity.sh: needs GNU time (Debian package time)" >&2; exit 2; }
if [ ! -x "$generator" ]; then
  [ -z "${CAPACITY_GENERATOR:-}" ] || { echo "capacity.sh: $generator is missing" >&2; exit 2; }
  cmake -S . -B build-bench -DVEXA_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-bench -j2 --target vexa_generate_config >/dev/null
fi
mkdir -p "$data" "$prefixes"

dlls() { case $1 in win32) echo "${CAPACITY_WIN32:-build-win32/server}" ;; win64) echo "${CAPACITY_WIN64:-build-win64/server}" ;; esac; }
# Debian's `wine` starts 32-bit programs even in a 64-bit prefix.
loader() { [ "$1" = win64 ] && echo /usr/lib/wine/wine64 || echo wine; }
use_prefix() { export WINEARCH=$1 WINEPREFIX=$prefixes/prefix-$1; }

# Each prefix is made and the DLLs registered once; its wineserver stays up
# for the run, so that no step pays for starting the prefix.
for target in $targets; do
  use_prefix "$target"
  [ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
  for dll in VexaConfigInterface VexaZLibInterface; do
    "$(loader "$target")" regsvr32 /s "$(winepath -w "$(realpath "$(dlls "$target")/$dll.dll")" 2>/dev/null)"
  done
done
stop_servers() { for target in $targets; do use_prefix "$target"; wineserver -k 2>/dev/null || true; done; }
trap stop_servers EXIT
script=$(winepath -w "$repo/bench/capacity.vbs" 2>/dev/null)

# Runs MODE on FILE with TARGET's DLL as one cscript process; prints
# "STATUS PEAK-KB SECONDS" (STATUS ok, failed or crashed). Its output, the
# message log and the traces stay in the data folder as STEM.out, .log, .err.
run_step() {
  local target=$1 mode=$2 file=$3 stem=$4 status=0
  use_prefix "$target"
  /usr/bin/time -o "$stem.time" -f '%M %e' "$(loader "$target")" 'C:\windows\system32\cscript.exe' //nologo "$script" \
    "$mode" "$(winepath -w "$file" 2>/dev/null)" "$(winepath -w "$stem.log" 2>/dev/null)" >"$stem.out" 2>"$stem.err" ||
    status=$?
  tr -d '\r' <"$stem.out" >"$stem.out.tmp" && mv "$stem.out.tmp" "$stem.out"
  local outcome=ok
  grep -q ' failed ' "$stem.out" && outcome=failed
  { [ "$(tail -n 1 "$stem.out")" = END ] && [ $status -eq 0 ]; } || outcome=crashed
  # GNU time puts a line about the status before its own when the program fails.
  echo "$outcome $(tail -n 1 "$stem.time")"
}

mb() { awk -v b="$1" 'BEGIN { printf "%.0f", b / 1e6 }'; }
declare -A idle_kb
for target in $targets; do
  read -r _ idle_kb[$target] _ < <(run_step "$target" idle /dev/null "$data/idle-$target")
done

steps=("open:open:cfg" "open+backup:open-backup:cfg" "save text:save-backup:cfg" "save zip:save:zip" "open zip:open:zip")
table="| N | text | zip | DLL |$(printf ' %s |' "${steps[@]%%:*}") bytes a row beyond the text (open) |"$'\n'
table+="|---:|---:|---:|---|$(printf -- '---|%.0s' "${steps[@]}")---:|"$'\n'
notes=""
for rows in "$@"; do
  started=$(date +%s)
  "$generator" "$data" "$rows" >/dev/null
  text_bytes=$(stat -c %s "$data/config-$rows.cfg") zip_bytes=$(stat -c %s "$data/config-$rows.zip")
  echo "N=$rows: generated in $(($(date +%s) - started)) s (text $(mb "$text_bytes") MB, zip $(mb "$zip_bytes") MB)" >&2
  for target in $targets; do
    line="| $rows | $(mb "$text_bytes") MB | $(mb "$zip_bytes") MB | $target |"
    per_row=-
    for step in "${steps[@]}"; do
      IFS=: read -r name mode kind <<<"$step"
      stem=$data/config-$rows-$target-${mode}-$kind
      read -r outcome kb seconds < <(run_step "$target" "$mode" "$data/config-$rows.$kind" "$stem")
      line+=" $outcome, $(mb $((kb * 1024))) MB, $seconds s |"
      echo "N=$rows $target $name: $outcome, peak $kb KB, $seconds s" >&2
      if [ "$name" = open ] && [ "$outcome" = ok ]; then
        per_row=$(awk -v kb="$kb" -v idle="${idle_kb[$target]}" -v text="$text_bytes" -v rows="$rows" \
          'BEGIN { printf "%.0f", ((kb - idle) * 1024 - text) / (2 * rows) }')
      fi
      if [ "$outcome" != ok ]; then
        notes+="N=$rows, $target, $name: $outcome; $(grep -v ' ok ' "$stem.out" | paste -sd ';' -)"$'\n'
        notes+="$(grep -v '^\*' "$stem.log" 2>/dev/null | sed 's/^/    log: /')"$'\n'
        notes+="$(sed 's/^/    trace: /' "$stem.err" | tail -n 5)"$'\n'
      fi
    done
    table+="$line $per_row |"$'\n'
  done
  echo "N=$rows: measured in $(($(date +%s) - started)) s in all" >&2
  [ -n "${CAPACITY_KEEP:-}" ] || rm -f "$data/config-$rows".*
done
printf '%s' "$table"
[ -z "$notes" ] || printf '\nSteps that did not pass:\n%s' "$notes"

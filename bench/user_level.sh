#!/usr/bin/env bash
# What a user meets: `vexacfg` against the `sqlite3` shell on the same rows, each
# step in fresh processes, wall time, median of RUNS runs (default 3) with the
# spread (largest minus smallest, over the median):
#   load      the whole file into memory and count a table's rows
#   select    one select by key (the sqlite3 shell reads only the pages it needs)
#   selects   10,000 selects by key in one process, after building the key index
#   change    one row changed and saved durably (ours with its .Backup copy)
# Needs the files that vexa_sqlite_bench leaves in build-bench/data for ROWS.
#   bench/user_level.sh ROWS [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
rows=$1 runs=${2:-3}
data=build-bench/data
cfg=$data/config-$rows.cfg db=$data/mirror-$rows.sqlite
tool=build-bench/tools/vexacfg
[ -f "$cfg" ] && [ -f "$db" ] || { echo "user_level.sh: run vexa_sqlite_bench --rows=$rows first" >&2; exit 2; }
[ -x "$tool" ] || cmake --build build-bench -j2 --target vexacfg >/dev/null
command -v sqlite3 >/dev/null || scripts/install-deps.sh bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

key="P$((rows / 2))"
columns=$(sqlite3 "$db" "SELECT group_concat('\"' || name || '\"', ',') FROM pragma_table_info('ParameterDefaults') WHERE name <> 'RowId'")
{
  echo "sort table ParameterDefaults on Parameter"
  for i in $(seq 0 9999); do echo "select * from ParameterDefaults where Parameter = 'P$(( (i * 7919) % rows ))'"; done
} >"$work/ours.txt"
{
  echo ".open --deserialize $db"
  echo "CREATE INDEX ParameterKey ON ParameterDefaults (Parameter);"
  for i in $(seq 0 9999); do echo "SELECT $columns FROM ParameterDefaults WHERE Parameter = 'P$(( (i * 7919) % rows ))';"; done
} >"$work/theirs.sql"

# Prints the median and spread of RUNS wall times of "$@", in milliseconds;
# SETUP (a function name, or :) runs untimed before each.
timed() {
  local setup=$1; shift
  local times=()
  for _ in $(seq "$runs"); do
    $setup
    local start=$(date +%s%N)
    "$@" >/dev/null
    times+=($(( ($(date +%s%N) - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { m = t[int((NR + 1) / 2)];
    printf "%d ms ±%d%%", m, m ? (t[NR] - t[1]) * 100 / m + 0.5 : 0 }'
}
fresh_copies() { cp "$cfg" "$work/ours.cfg"; rm -f "$work/ours.cfg.Backup"; cp "$db" "$work/theirs.sqlite"; }
ratio() { awk -v a="${1%% ms*}" -v b="${2%% ms*}" 'BEGIN { printf (b > 0 ? "%.2f" : "n/a"), a / b }'; }
row() {
  printf '| %s | %d | %s | %s | %s |\n' "$1" "$rows" "$2" "$3" "$(ratio "$2" "$3")"
}

echo "| step | rows | vexacfg | sqlite3 | ratio |"
echo "|---|---:|---:|---:|---:|"
row "load the whole file" "$(timed : "$tool" query "$cfg" "select Parameter from ParameterDefaults where Parameter = ''")" \
    "$(timed : sqlite3 :memory: ".open --deserialize $db" "SELECT count(*) FROM ParameterDefaults;")"
row "one select by key" "$(timed : "$tool" query "$cfg" "select * from ParameterDefaults where Parameter = '$key'")" \
    "$(timed : sqlite3 "$db" "SELECT $columns FROM ParameterDefaults WHERE Parameter = '$key';")"
row "10,000 selects by key, indexed" "$(timed : sh -c "\"$tool\" query \"$cfg\" - <\"$work/ours.txt\"")" \
    "$(timed : sh -c "sqlite3 :memory: <\"$work/theirs.sql\"")"
row "one row changed, saved durably" \
    "$(timed fresh_copies "$tool" query "$work/ours.cfg" "update ParameterDefaults set Units = 'ft' where Parameter = '$key'" --save)" \
    "$(timed fresh_copies sqlite3 "$work/theirs.sqlite" "UPDATE ParameterDefaults SET Units = 'ft' WHERE Parameter = '$key';")"

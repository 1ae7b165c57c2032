#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Optional arguments add the packages of one more job: fuzz, bench.
set -euo pipefail
packages=(g++ cmake make pkg-config libzip-dev libgtest-dev libbenchmark-dev libedit-dev libcli11-dev nlohmann-json3-dev)
for job in "$@"; do
  case "$job" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(libsqlite3-dev valgrind) ;;
    *) echo "install-deps.sh: unknown job $job" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Optional arguments add the packages of one more job: fuzz, bench, windows, browser.
set -euo pipefail
packages=(g++ cmake make pkg-config libzip-dev libdeflate-dev libisal-dev zlib1g-dev libgtest-dev libbenchmark-dev python3 python3-dev
          pybind11-dev mypy libedit-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev)
for job in "$@"; do
  case "$job" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(libsqlite3-dev sqlite3 valgrind time) ;;
    windows) packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev yasm
                        wine wine64 wine32:i386 libwine-dev dpkg-dev curl wixl msitools) ;;
    browser) packages+=(chromium chromium-driver python3-selenium) ;;
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
# The 32-bit Wine needs the i386 architecture; libzip's Windows build needs
# Debian's source package.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"

#!/usr/bin/env bash
# Cross-builds the library, vexacfg.exe and the tests for 32-bit and 64-bit
# Windows with mingw-w64, into build-win32/ and build-win64/. libzip comes from
# Debian's own source package, built once per target into build-win-deps/ and
# kept there between builds. Everything is linked statically, so the programs
# need no DLL beyond Windows' own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh windows

deps=$root/build-win-deps
libzip_version=$(dpkg-query -W -f='${source:Upstream-Version}' libzip-dev)

# apt-get source needs the source lists of the archive the binaries come from.
enable_source_lists() {
  local lists=/etc/apt/sources.list.d
  [ -f $lists/vexa-deb-src.sources ] || [ -f $lists/vexa-deb-src.list ] && return
  if [ -f $lists/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' $lists/debian.sources >$lists/vexa-deb-src.sources
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >$lists/vexa-deb-src.list
  fi
  apt-get update -qq
}

fetch_libzip_source() {
  local source=$deps/libzip-$libzip_version
  local version; version=$(dpkg-query -W -f='${source:Version}' libzip-dev)
  [ -f "$source/CMakeLists.txt" ] && return
  mkdir -p "$deps/download"
  if ! (cd "$deps/download" && apt-get source --download-only "libzip=$version" >/dev/null 2>&1); then
    enable_source_lists
    (cd "$deps/download" && apt-get source --download-only "libzip=$version" >/dev/null)
  fi
  rm -rf "$source"
  dpkg-source --no-check -x "$deps"/download/libzip_*.dsc "$source" >/dev/null
}

build_libzip() {
  local arch=$1 prefix=$deps/$1
  [ -f "$prefix/lib/libzip.a" ] && return
  cmake -S "$deps/libzip-$libzip_version" -B "$deps/build-libzip-$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DVEXA_WIN_ARCH="$arch" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF >/dev/null
  cmake --build "$deps/build-libzip-$arch" -j"$(nproc)" >/dev/null
  cmake --install "$deps/build-libzip-$arch" >/dev/null
}

fetch_libzip_source
for target in "i686 build-win32" "x86_64 build-win64"; do
  set -- $target
  echo "== Windows build ($1) in $2"
  build_libzip "$1"
  cmake -S . -B "$2" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DVEXA_WIN_ARCH="$1" \
    -DVEXA_WIN_DEPS="$deps/$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$2" -j"$(nproc)"
done

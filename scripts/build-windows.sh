#!/usr/bin/env bash
# Cross-builds the library, vexacfg.exe and the tests for 32-bit and 64-bit
# Windows with mingw-w64, into build-win32/ and build-win64/. libzip, libdeflate
# and ISA-L come from Debian's own source packages (the versions the Linux build
# uses), built once per target into build-win-deps/ and kept there between builds. Everything is linked statically, so the programs
# need no DLL beyond Windows' own. Then the release files of both targets in
# dist/ (scripts/package-windows.sh).
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh windows

deps=$root/build-win-deps

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

# The source of the Debian package that built the binary package $2, unpacked
# into build-win-deps/$1-VERSION (echoed).
fetch_source() {
  local name=$1 binary=$2 version upstream
  version=$(dpkg-query -W -f='${source:Version}' "$binary")
  upstream=$(dpkg-query -W -f='${source:Upstream-Version}' "$binary")
  local source=$deps/$name-$upstream
  echo "$source"
  [ -f "$source/.unpacked" ] && return
  mkdir -p "$deps/download"
  if ! (cd "$deps/download" && apt-get source --download-only "$name=$version" >/dev/null 2>&1); then
    enable_source_lists >&2
    (cd "$deps/download" && apt-get source --download-only "$name=$version" >/dev/null)
  fi
  rm -rf "$source"
  dpkg-source --no-check -x "$deps/download/${name}_${version#*:}.dsc" "$source" >/dev/null
  touch "$source/.unpacked"
}

build_libzip() {
  local arch=$1 prefix=$deps/$1
  [ -f "$prefix/lib/libzip.a" ] && return
  cmake -S "$libzip_source" -B "$deps/build-libzip-$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DVEXA_WIN_ARCH="$arch" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF >/dev/null
  cmake --build "$deps/build-libzip-$arch" -j"$(nproc)" >/dev/null
  cmake --install "$deps/build-libzip-$arch" >/dev/null
}

# libdeflate's own makefile knows mingw; only the static archive and the header are kept.
build_libdeflate() {
  local arch=$1 prefix=$deps/$1
  [ -f "$prefix/lib/libdeflate.a" ] && return
  rm -rf "$deps/build-libdeflate-$arch"
  cp -r "$libdeflate_source" "$deps/build-libdeflate-$arch"
  make -C "$deps/build-libdeflate-$arch" -j"$(nproc)" CC="$arch-w64-mingw32-gcc" AR="$arch-w64-mingw32-ar" libdeflatestatic.lib >/dev/null
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$deps/build-libdeflate-$arch/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
  cp "$deps/build-libdeflate-$arch/libdeflate.h" "$prefix/include/"
}

# ISA-L's own Makefile.unx, its deflate alone: for x86_64 with its assembly
# (yasm, win64 objects); it has none for 32-bit x86, where it builds from C, and
# its header gives 32-bit mingw no byte swaps, so the compiler's are named.
build_isal() {
  local arch=$1 prefix=$deps/$1 options
  [ -f "$prefix/lib/libisal.a" ] && return
  if [ "$arch" = x86_64 ]; then
    options=(arch=mingw AS=yasm)
  else
    options=(arch=noarch "D=isal_bswap16=__builtin_bswap16 isal_bswap32=__builtin_bswap32 isal_bswap64=__builtin_bswap64")
  fi
  rm -rf "$deps/build-isal-$arch"
  cp -r "$isal_source" "$deps/build-isal-$arch"
  make -C "$deps/build-isal-$arch" -f Makefile.unx -j"$(nproc)" units=igzip CC="$arch-w64-mingw32-gcc" \
    AR="$arch-w64-mingw32-ar" "${options[@]}" lib >/dev/null 2>&1
  mkdir -p "$prefix/lib" "$prefix/include/isa-l"
  cp "$deps/build-isal-$arch"/include/*.h "$prefix/include/isa-l/"
  cp "$deps/build-isal-$arch/bin/isa-l.a" "$prefix/lib/libisal.a"
}

libzip_source=$(fetch_source libzip libzip-dev)
libdeflate_source=$(fetch_source libdeflate libdeflate-dev)
isal_source=$(fetch_source libisal libisal-dev)
# Debian's binary package splits cpp-httplib into a header and a shared library;
# its source holds the whole library as one header, which builds with mingw-w64.
httplib_source=$(fetch_source cpp-httplib libcpp-httplib-dev)
for target in "i686 build-win32" "x86_64 build-win64"; do
  set -- $target
  echo "== Windows build ($1) in $2"
  build_libzip "$1"
  build_libdeflate "$1"
  build_isal "$1"
  cmake -S . -B "$2" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DVEXA_WIN_ARCH="$1" \
    -DVEXA_WIN_DEPS="$deps/$1" -DHTTPLIB_INCLUDE_DIR="$httplib_source" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$2" -j"$(nproc)"
done
scripts/package-windows.sh

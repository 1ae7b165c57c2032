#!/usr/bin/env bash
# The release files of both Windows builds (build-win32/, build-win64/), in dist/:
# per target a Windows Installer package made with wixl, a zip of the same
# binaries for those who register by hand, and the binaries' debug information
# as separate files; then SHA256SUMS over everything in dist/. The binaries in
# the packages and zips are stripped and name their debug file.
#
# The packages register the classes from their own Registry table (the keys that
# regsvr32 writes), put their folder on the system PATH through an Environment
# table, which wixl cannot write and msibuild adds, and upgrade in place: a
# fixed upgrade code per target, the product version from the project's.
#
# Usage: package-windows.sh [VERSION [OUT-DIR]]; VERSION (default:
# the project's) and OUT-DIR (default: dist) let the tests build a package of a
# lower version to upgrade from.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
root=$PWD
version=${1:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win32/CMakeCache.txt)}
dist=$(realpath -m "${2:-dist}")
binaries=(VexaConfigInterface.dll VexaZLibInterface.dll vexacfg.exe)

# From an IDL file: the library's identifier and help string, then each class
# with its identifier, as lines NAME {UUID}.
idl_library() { sed -n 's/^ *uuid(\(.*\)),$/{\1}/p;s/^ *helpstring("\(.*\)")$/\1/p' "$1" | head -n 2; }
idl_classes() {
  awk '/uuid\(/ {match($0, /uuid\([^)]*\)/); u = substr($0, RSTART + 5, RLENGTH - 6)} /^coclass/ {print $2, "{" u "}"}' "$1"
}
# Each interface as NAME {UUID} PROXY: a dual interface's calls are marshalled
# from its type library, a dispatch interface's as IDispatch calls.
idl_interfaces() {
  awk '/uuid\(/ {match($0, /uuid\([^)]*\)/); u = substr($0, RSTART + 5, RLENGTH - 6)}
       /^interface [A-Za-z_]+ :/ {print $2, "{" u "}", "{00020424-0000-0000-C000-000000000046}"}
       /^dispinterface/ {print $2, "{" u "}", "{00020420-0000-0000-C000-000000000046}"}' "$1"
}

# One Registry table row: KEY NAME VALUE (NAME "" for the key's own value, "*"
# with no VALUE for a key without values). Root 0 is HKEY_CLASSES_ROOT.
registry_row() { printf 'r%d\t0\t%s\t%s\t%s\tServer\n' $((++registry_rows)) "$1" "$2" "$3"; }

# What the registration script writes for one class (server/registration.cpp).
class_rows() {
  local prefix=$1 class=$2 clsid=$3 libid=$4 dll=$5 progid="$1.$2" description="$2 Class"
  registry_row "$progid.1" "" "$description"
  registry_row "$progid.1\\CLSID" "" "$clsid"
  registry_row "$progid" "" "$description"
  registry_row "$progid\\CLSID" "" "$clsid"
  registry_row "$progid\\CurVer" "" "$progid.1"
  registry_row "CLSID\\$clsid" "" "$description"
  registry_row "CLSID\\$clsid\\ProgID" "" "$progid.1"
  registry_row "CLSID\\$clsid\\VersionIndependentProgID" "" "$progid"
  registry_row "CLSID\\$clsid\\Programmable" "*" ""
  registry_row "CLSID\\$clsid\\InprocServer32" "" "[INSTALLDIR]$dll"
  registry_row "CLSID\\$clsid\\InprocServer32" "ThreadingModel" "Apartment"
  registry_row "CLSID\\$clsid\\TypeLib" "" "$libid"
}

# What registering a DLL's type library writes: the library (widl marks it as
# having a disk image, flag 8) and each of its interfaces.
type_library_rows() {
  local idl=$1 dll=$2 platform=$3 libid help name iid proxy
  { read -r libid; read -r help; } < <(idl_library "$idl")
  registry_row "TypeLib\\$libid\\1.0" "" "$help"
  registry_row "TypeLib\\$libid\\1.0\\0\\$platform" "" "[INSTALLDIR]$dll"
  registry_row "TypeLib\\$libid\\1.0\\FLAGS" "" "8"
  registry_row "TypeLib\\$libid\\1.0\\HELPDIR" "" "[INSTALLDIR]"
  while read -r name iid proxy; do
    registry_row "Interface\\$iid" "" "$name"
    registry_row "Interface\\$iid\\ProxyStubClsid" "" "$proxy"
    registry_row "Interface\\$iid\\ProxyStubClsid32" "" "$proxy"
    registry_row "Interface\\$iid\\TypeLib" "" "$libid"
    registry_row "Interface\\$iid\\TypeLib" "Version" "1.0"
  done < <(idl_interfaces "$idl")
}

registry_table() {
  local platform=$1
  registry_rows=0
  printf 'Registry\tRoot\tKey\tName\tValue\tComponent_\ns72\ti2\tl255\tL255\tL0\ts72\nRegistry\tRegistry\n'
  local module idl libid class clsid
  for module in "VexaConfigInterface vexa_config_interface.idl" "VexaZLibInterface vexa_zlib_interface.idl"; do
    set -- $module
    idl=server/$2
    libid=$(idl_library "$idl" | head -n 1)
    while read -r class clsid; do class_rows "$1" "$class" "$clsid" "$libid" "$1.dll"; done < <(idl_classes "$idl")
    type_library_rows "$idl" "$1.dll" "$platform"
  done
}

# The package's description, its files named from the folder above STAGE; the
# component and upgrade codes are fixed per target, so that a later version
# upgrades this one and the two targets live side by side.
package_source() {
  local arch=$1 stage=$2 upgrade_code component_code program_files win64
  if [ "$arch" = x64 ]; then
    upgrade_code=6A1E2C41-3B7D-4F0A-9C11-5D2E8B7A4F64 component_code=6A1E2C41-3B7D-4F0A-9C11-5D2E8B7A4E64
    program_files=ProgramFiles64Folder win64=yes
  else
    upgrade_code=6A1E2C41-3B7D-4F0A-9C11-5D2E8B7A4F32 component_code=6A1E2C41-3B7D-4F0A-9C11-5D2E8B7A4E32
    program_files=ProgramFilesFolder win64=no
  fi
  cat <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="VexaConfig $version ($arch)" Language="1033" Version="$version"
           Manufacturer="VexaConfig" UpgradeCode="$upgrade_code">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"
             Description="VexaConfig automation server and command-line tool"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of VexaConfig ($arch) is already installed."/>
    <Media Id="1" Cabinet="vexaconfig.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="$program_files">
        <Directory Id="INSTALLDIR" Name="VexaConfig">
          <Component Id="Server" Guid="$component_code" Win64="$win64">
$(for file in "$stage"/*; do
  name=$(basename "$file")
  keypath=$([ "$name" = VexaConfigInterface.dll ] && echo ' KeyPath="yes"' || true)
  echo "            <File Id=\"$(tr -c 'A-Za-z0-9_.\n' _ <<<"$name")\" Name=\"$name\" Source=\"stage/$name\"$keypath/>"
done)
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Complete" Level="1"><ComponentRef Id="Server"/></Feature>
  </Product>
</Wix>
EOF
}

# Adds the rows whose key the table of PACKAGE lacks (the table is made with
# HEADER when wixl wrote none).
add_rows() {
  local package=$1 table=$2 rows=$3 work=$4 header=${5:-}
  msiinfo export "$package" "$table" >"$work/$table.idt" 2>/dev/null || printf '%s' "$header" >"$work/$table.idt"
  while IFS= read -r row; do
    grep -q "^${row%%$'\t'*}"$'\t' "$work/$table.idt" || printf '%s\n' "$row" >>"$work/$table.idt"
  done <<<"$rows"
  msibuild "$package" -i "$work/$table.idt"
}

licences() {
  local stage=$1
  cp README.md "$stage/README.md"
  cp build-win-deps/libzip-*/LICENSE "$stage/LICENSE-libzip.txt"
  cp build-win-deps/libdeflate-*/COPYING "$stage/LICENSE-libdeflate.txt"
  cp build-win-deps/libisal-*/LICENSE "$stage/LICENSE-isa-l.txt"
  cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/LICENSE-zlib.txt"
}

mkdir -p "$dist"
for target in "x86 build-win32 i686 win32" "x64 build-win64 x86_64 win64"; do
  set -- $target
  arch=$1 build=$2 triplet=$3-w64-mingw32 platform=$4
  name=VexaConfig-$version-$arch
  work=$build/package
  rm -rf "$work" "$dist/$name-debug"
  mkdir -p "$work/stage" "$dist/$name-debug"
  for binary in "${binaries[@]}"; do
    built=$(find "$build/server" "$build/tools" -maxdepth 1 -name "$binary" | head -n 1)
    debug=$dist/$name-debug/$binary.debug
    $triplet-objcopy --only-keep-debug "$built" "$debug"
    (cd "$dist/$name-debug" && $triplet-objcopy --strip-debug --strip-unneeded --add-gnu-debuglink="$binary.debug" \
      "$root/$built" "$root/$work/stage/$binary")
  done
  licences "$work/stage"
  rm -f "$dist/$name.zip"
  (cd "$work/stage" && python3 -m zipfile -c "$dist/$name.zip" *)

  package_source $arch "$work/stage" >"$work/$name.wxs"
  (cd "$work" && wixl -a $arch -o "$dist/$name.msi" "$name.wxs")
  registry_table $platform >"$work/Registry.idt"
  msibuild "$dist/$name.msi" -i "$work/Registry.idt"
  add_rows "$dist/$name.msi" Environment $'PathEnv\t=-*PATH\t[~];[INSTALLDIR]\tServer' "$work" \
    $'Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\nEnvironment\tEnvironment\n'
  add_rows "$dist/$name.msi" InstallExecuteSequence \
    $'WriteRegistryValues\t\t5000\nRemoveRegistryValues\t\t2600\nWriteEnvironmentStrings\t\t5200\nRemoveEnvironmentStrings\t\t3300' "$work"
  echo "$dist/$name.msi, $name.zip, $name-debug/"
done
(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort | xargs sha256sum >SHA256SUMS)

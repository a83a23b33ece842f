#!/usr/bin/env bash
# Builds Quorlet's Windows Installer package for one architecture with wixl;
# prints its path, OUT_DIR/Quorlet-<version>-<arch>.msi.
#
#   make-msi.sh x64|x86 X64_DIR X86_DIR ICON OUT_DIR REGISTRATION_WXI [IDENTITY_H]
#
# X64_DIR and X86_DIR hold the files to ship; REGISTRATION_WXI is the x64
# build's registration_wxi.exe, run under Wine; IDENTITY_H (default
# generator/app_identity.h) gives the version. The same inputs and
# SOURCE_DATE_EPOCH (default: the commit's time) give the same bytes.
set -euo pipefail
arch=$1 x64=$2 x86=$3 icon=$4 out=$5 tool=$6
src=$(cd "$(dirname "$0")/.." && pwd)
identity=${7:-$src/generator/app_identity.h}
: "${SOURCE_DATE_EPOCH:=$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 0)}"
define() { sed -n "s/^#define QUORLET_$1 \"\{0,1\}\([^\"]*\)\"\{0,1\}\$/\1/p" "$identity"; }
text=$(define VERSION_TEXT)
version=$(define MAJOR).$(define MINOR).$(define REVISION)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The cabinet keeps each file's time: the commit's, in UTC.
mkdir -p "$work/x64" "$work/x86"
cp "$x86/Quorlet.exe" "$x86/Brindle0200.dll" "$work/x86/"
[ "$arch" = x64 ] && cp "$x64/Quorlet.exe" "$x64/Brindle0200.dll" "$work/x64/"
cp "$src/generator/Quorlet-ReadMe.txt" "$work/"
cp "$icon" "$work/quorlet.ico"
find "$work" -type f -exec touch -d "@$SOURCE_DATE_EPOCH" {} +

# The COM registration, printed from the DLL's own table for each file's path.
wxi() {  # platform path
  "$src/cmake/wine-run.sh" "$tool" "$1" "$2" >"$work/registration-$1.wxi"
  grep -q '</Include>' "$work/registration-$1.wxi" || { echo "registration_wxi $1 failed" >&2; exit 1; }
}
wxi win32 '[ProgramFilesFolder]Orvane\Brindle0200.dll'
[ "$arch" = x64 ] && wxi win64 '[ProgramFiles64Folder]Orvane\Brindle0200.dll'

# Product code per architecture and version (so a newer version upgrades and
# the same one is recognised); package code per content.
uuid5() { python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID("9a3c1f52-7e0b-4d55-8f3e-2b6a4c1d0e97"), sys.argv[1])).upper())' "$1"; }
product=$(uuid5 "Quorlet $arch $version")
package=$(uuid5 "$(cat "$src/installer/Quorlet.wxs" "$work"/*.wxi "$work"/quorlet.ico "$work"/x*/* "$work"/*.txt | sha256sum) $product")

mkdir -p "$out"
msi=$(realpath "$out")/Quorlet-$text-$arch.msi
# wixl finds the files relative to its working folder.
(cd "$work" && TZ=UTC wixl -a "$arch" -I "$work" -o "$msi" \
  -D Arch="$arch" -D Version="$version" -D VersionText="$text" -D ProductCode="$product" \
  -D Title="$(define TITLE_TEXT)" -D Company="$(define COMPANY_TEXT)" \
  -D Bin64=x64 -D Bin32=x86 -D ReadMe=Quorlet-ReadMe.txt -D Icon=quorlet.ico "$src/installer/Quorlet.wxs")
python3 "$src/installer/msi_summary.py" "$msi" "$package" "$SOURCE_DATE_EPOCH"
echo "$msi"

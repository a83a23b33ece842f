#!/usr/bin/env bash
# Runs makensis on built binaries; prints the path of the installer.
#
#   make-installer.sh X64_BIN_DIR X86_BIN_DIR ICON OUT_DIR
set -euo pipefail
x64=$(realpath "$1") x86=$(realpath "$2") icon=$(realpath "$3")
mkdir -p "$4"
out=$(realpath "$4")
src=$(cd "$(dirname "$0")/.." && pwd)
for f in "$x64/Quorlet.exe" "$x64/Brindle0200.dll" "$x86/Quorlet.exe" "$x86/Brindle0200.dll" "$icon"; do
  [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }
done
# Debug information stays in the build; the installer ships stripped copies.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86"
for f in Quorlet.exe Brindle0200.dll; do
  x86_64-w64-mingw32-strip -s -o "$stage/x64/$f" "$x64/$f"
  i686-w64-mingw32-strip -s -o "$stage/x86/$f" "$x86/$f"
done
version=$(sed -n 's/^#define QUORLET_VERSION_TEXT "\(.*\)"/\1/p' "$src/generator/app_identity.h")
makensis -V2 -DSRC="$src" -DX64_BIN="$stage/x64" -DX86_BIN="$stage/x86" -DICON="$icon" -DOUTDIR="$out" \
  "$src/installer/Quorlet.nsi" >&2
echo "$out/Quorlet-$version-setup.exe"

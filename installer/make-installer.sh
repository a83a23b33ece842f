#!/usr/bin/env bash
# Makes the Windows installers from built binaries and prints their paths:
# Quorlet-<version>-setup.exe (NSIS), Quorlet-<version>-x64.msi and -x86.msi.
#
#   make-installer.sh X64_BIN X86_BIN ICON OUT_DIR
#
# With ORV_SIGN_PKCS12 (and ORV_SIGN_PASSWORD, ORV_SIGN_TIMESTAMP_URL) the
# shipped binaries, the NSIS installer and its uninstaller and both packages
# are signed (installer/sign-file.sh). Unsigned, the same binaries and
# SOURCE_DATE_EPOCH (default: the commit's time) give the same installers.
set -euo pipefail
x64=$(realpath "$1") x86=$(realpath "$2") icon=$(realpath "$3")
mkdir -p "$4"
out=$(realpath "$4")
src=$(cd "$(dirname "$0")/.." && pwd)
for f in "$x64/Quorlet.exe" "$x64/Brindle0200.dll" "$x64/registration_wxi.exe" "$x86/Quorlet.exe" \
  "$x86/Brindle0200.dll" "$icon"; do
  [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }
done
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 0)}
signer=""
if [ -n "${ORV_SIGN_PKCS12:-}" ]; then
  signer=$src/installer/sign-file.sh
else
  echo "ORV_SIGN_PKCS12 is not set: the binaries and installers are not signed." >&2
fi
sign() { [ -z "$signer" ] || for f; do "$signer" "$f"; done; }

# Debug information stays in the build; the installers ship stripped copies,
# which keep the build's time stamp (strip would put its own).
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86"
for f in Quorlet.exe Brindle0200.dll; do
  x86_64-w64-mingw32-strip -s -o "$stage/x64/$f" "$x64/$f"
  i686-w64-mingw32-strip -s -o "$stage/x86/$f" "$x86/$f"
  python3 "$src/cmake/set_pe_timestamp.py" "$stage/x64/$f" "$x64/$f"
  python3 "$src/cmake/set_pe_timestamp.py" "$stage/x86/$f" "$x86/$f"
  sign "$stage/x64/$f" "$stage/x86/$f"
done
version=$(sed -n 's/^#define QUORLET_VERSION_TEXT "\(.*\)"/\1/p' "$src/generator/app_identity.h")
setup=$out/Quorlet-$version-setup.exe
makensis -V2 -DSRC="$src" -DX64_BIN="$stage/x64" -DX86_BIN="$stage/x86" -DICON="$icon" -DOUTDIR="$out" \
  ${signer:+-DSIGN="$signer"} "$src/installer/Quorlet.nsi" >&2
msis=()
for arch in x64 x86; do
  msis+=("$("$src/installer/make-msi.sh" "$arch" "$stage/x64" "$stage/x86" "$icon" "$out" "$x64/registration_wxi.exe")")
done
sign "$setup" "${msis[@]}"
printf '%s\n' "$setup" "${msis[@]}"

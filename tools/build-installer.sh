#!/usr/bin/env bash
# Sets everything up, builds x64 and x86 and makes the Windows installers in
# build/dist: Quorlet-<version>-setup.exe, Quorlet-<version>-x64.msi and
# Quorlet-<version>-x86.msi; prints their paths. Signs them when
# ORV_SIGN_PKCS12 names a certificate (see installer/make-installer.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/setup-packages.sh
# The x64 build's registration_wxi prints the packages' COM registration.
declare -A extra=([x64]=registration_wxi [x86]=)
for p in x64 x86; do
  echo "Building $p" >&2
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j2 --target Quorlet Brindle0200 ${extra[$p]} >/dev/null
done
installer/make-installer.sh build/x64/bin build/x86/bin build/x64/generator/quorlet.ico build/dist

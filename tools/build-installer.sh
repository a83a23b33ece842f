#!/usr/bin/env bash
# Sets everything up, builds x64 and x86 and makes the Windows installer
# build/dist/Quorlet-<version>-setup.exe; prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/setup-packages.sh
for p in x64 x86; do
  echo "Building $p" >&2
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j2 --target Quorlet Brindle0200 >/dev/null
done
installer/make-installer.sh build/x64/bin build/x86/bin build/x64/generator/quorlet.ico build/dist

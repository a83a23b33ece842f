#!/usr/bin/env bash
# Reproducible outputs, the part cheap enough for every run: the x64
# deliverables built once more from a copy of the sources in another folder,
# later, equal this build's byte for byte, and the installers made twice from
# them are equal too. tools/check-reproducible.sh does both architectures
# from scratch. Ends with "N passed, M failed"; exits 77 without the x86 build.
#
#   reproducible_test.sh BUILD_DIR X86_BIN SOURCE_DATE_EPOCH
set -uo pipefail
build=$(realpath "$1") x86_bin=$2
export SOURCE_DATE_EPOCH=$3 CCACHE_DISABLE=1
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -f "$x86_bin/Brindle0200.dll" ] || { echo "skipped: no x86 build"; exit 77; }
# ccache with a base folder hands the compiler relative source names: its
# objects are free of the folder but not equal to a direct compile's.
if grep -q '^CMAKE_CXX_COMPILER_LAUNCHER:.*ccache' "$build/CMakeCache.txt"; then
  echo "skipped: this build compiles through ccache; tools/check-reproducible.sh builds without it"
  exit 77
fi
passed=0 failed=0
same() { if cmp -s "$2" "$3"; then passed=$((passed + 1)); echo "ok   $1"; else failed=$((failed + 1)); echo "FAIL $1 differs"; fi; }

work=$build/reproducible-test
copy=$work/elsewhere/orvane
rm -rf "$work" && mkdir -p "$copy"
# The sources as they are, committed or not.
tar -C "$root" --exclude=./build --exclude=./.git -c . | tar -x -C "$copy"
t=$(date +%s)
(cd "$copy" && cmake --preset x64 >/dev/null && nice cmake --build --preset x64 --target Quorlet Brindle0200 registration_wxi >/dev/null) ||
  { echo "FAIL second build"; echo "0 passed, 1 failed"; exit 1; }
echo "second x64 build took $(($(date +%s) - t)) s"
for f in Quorlet.exe Brindle0200.dll Quorlet.exe.debug Brindle0200.dll.debug; do
  same "x64 $f" "$build/bin/$f" "$copy/build/x64/bin/$f"
done

mapfile -t one < <("$root/installer/make-installer.sh" "$build/bin" "$x86_bin" "$build/generator/quorlet.ico" "$work/one" 2>/dev/null)
mapfile -t two < <("$copy/installer/make-installer.sh" "$copy/build/x64/bin" "$x86_bin" \
  "$copy/build/x64/generator/quorlet.ico" "$work/two" 2>/dev/null)
[ ${#one[@]} -eq 3 ] || { failed=$((failed + 1)); echo "FAIL installers made: ${one[*]}"; }
for i in "${!one[@]}"; do same "${one[$i]##*/}" "${one[$i]}" "${two[$i]}"; done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

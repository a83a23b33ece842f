#!/usr/bin/env bash
# Sets everything up and runs every test: both Windows builds under Wine and
# the native sanitizer build. Ends with the line "N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/setup-packages.sh || exit 1
source cmake/wine-env.sh

presets=(x64 native x86)
for p in "${presets[@]}"; do
  echo "== Building $p"
  cmake --preset "$p" >/dev/null || exit 1
  cmake --build --preset "$p" || exit 1
done
orv_ensure_prefix || exit 1

passed=0 failed=0 skipped=0 status=0
for p in "${presets[@]}"; do
  echo "== Testing $p"
  junit="$root/build/$p/junit.xml"
  rm -f "$junit"
  ctest --preset "$p" --output-junit "$junit" || status=1
  if [ -f "$junit" ]; then
    attr() { grep -o -m1 "\b$1=\"[0-9]*\"" "$junit" | head -n1 | tr -dc '0-9'; }
    total=$(attr tests); fails=$(attr failures); skips=$(attr skipped)
    passed=$((passed + total - fails - skips)); failed=$((failed + fails)); skipped=$((skipped + skips))
  else
    status=1
  fi
done
/usr/lib/wine/wineserver -k 2>/dev/null || true

[ $status -eq 0 ] || [ $failed -gt 0 ] || failed=1
echo "$passed passed, $failed failed, $skipped skipped"
[ $status -eq 0 ] && [ $failed -eq 0 ]

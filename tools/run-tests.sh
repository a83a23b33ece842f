#!/usr/bin/env bash
# Sets everything up and runs every test: both Windows builds under Wine and
# the native sanitizer build. Ends with the line "N passed, M failed".
#
# The x86 tests mostly wait on one emulated 32-bit process at a time, so they
# run in a Wine prefix of their own while the other builds and tests go on.
# They are the longest chain, so the builds beside them yield the processor.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/setup-packages.sh || exit 1
source cmake/wine-env.sh

build() {
  echo "== Building $1"
  cmake --preset "$1" >/dev/null && nice -n "${2:-0}" cmake --build --preset "$1"
}
# Runs one preset's tests; its JUnit file gives the counts.
run_ctest() {
  local junit="$root/build/$1/junit.xml"
  rm -f "$junit"
  ctest --preset "$1" --output-junit "$junit"
}

# The x86 chain runs in a session and process group of its own, so that
# however this script ends (a failed build, Ctrl+C, a kill) it ends that
# whole chain too: ctest, its test programs and their Wine processes.
x86_pid=""
x86_prefix=$root/build/wineprefix-x86
stop_x86() {
  [ -n "$x86_pid" ] || return 0
  kill -TERM -- "-$x86_pid" 2>/dev/null
  wait "$x86_pid" 2>/dev/null
  x86_pid=""
  WINEPREFIX=$x86_prefix "$ORV_WINESERVER" -k 2>/dev/null
}
trap stop_x86 EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

build x86 || exit 1
orv_ensure_prefix || exit 1
x86_log=$root/build/x86/ctest.log
export -f run_ctest
export root x86_prefix
# Started from a script without job control, setsid is no group leader and
# becomes the new group's leader itself: $! names the group.
setsid bash -c '
  export ORV_WINEPREFIX=$x86_prefix
  source cmake/wine-env.sh
  orv_ensure_prefix && run_ctest x86
  status=$?
  "$ORV_WINESERVER" -k 2>/dev/null
  exit $status
' >"$x86_log" 2>&1 &
x86_pid=$!

status=0
build x64 15 && build native 15 || exit 1
for p in x64 native; do
  echo "== Testing $p"
  run_ctest "$p" || status=1
done
"$ORV_WINESERVER" -k 2>/dev/null || true
echo "== Testing x86 (alongside, in its own prefix)"
wait "$x86_pid" || status=1
x86_pid=""
cat "$x86_log"

passed=0 failed=0 skipped=0
for p in x64 native x86; do
  junit="$root/build/$p/junit.xml"
  if [ -f "$junit" ]; then
    attr() { grep -o -m1 "\b$1=\"[0-9]*\"" "$junit" | head -n1 | tr -dc '0-9'; }
    total=$(attr tests); fails=$(attr failures); skips=$(attr skipped)
    passed=$((passed + total - fails - skips)); failed=$((failed + fails)); skipped=$((skipped + skips))
  else
    status=1
  fi
done

[ $status -eq 0 ] || [ $failed -gt 0 ] || failed=1
echo "$passed passed, $failed failed, $skipped skipped"
[ $status -eq 0 ] && [ $failed -eq 0 ]

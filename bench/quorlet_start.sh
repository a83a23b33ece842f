#!/usr/bin/env bash
# Quorlet.exe against a minimal Win32 window program, measured the same way
# in the same run: from process start until the window is shown and waiting
# for input, and from Escape until the process has ended (for Quorlet that
# includes saving its twelve choices). Figures, not pass/fail; the target is
# a ratio of at most 1.5.
#
#   bench/quorlet_start.sh [rounds] [build folder, default build/x64]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-10}
bin=$root/${2:-build/x64}/bin

source cmake/wine-env.sh
source tools/quorlet-prefix.sh
orv_ensure_prefix
orv_prepare_quorlet_fonts
orv_register_brindle "$bin/Brindle0200.dll"
if [ -z "${DISPLAY:-}" ]; then
  orv_start_xvfb
fi
# The timer and both programs share a Wine desktop of their own, made on this
# display whatever desktop earlier Wine processes of the prefix made.
apps=(window_timer.exe Quorlet.exe minimal_window.exe)
cleanup() {
  local app
  for app in "${apps[@]}"; do
    "$ORV_WINE64" reg delete "HKCU\\Software\\Wine\\AppDefaults\\$app\\Explorer" /v Desktop /f >/dev/null 2>&1
  done
  [ -n "${orv_xvfb_pid:-}" ] && kill "$orv_xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
"$ORV_WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v QuorletBench /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
for app in "${apps[@]}"; do
  "$ORV_WINE64" reg add "HKCU\\Software\\Wine\\AppDefaults\\$app\\Explorer" /v Desktop /t REG_SZ /d QuorletBench /f \
    >/dev/null 2>&1
done

out=$("$ORV_WINE64" "$bin/window_timer.exe" "$rounds" \
  "$(orv_winpath "$bin/Quorlet.exe")" OrvaneQuorletMain \
  "$(orv_winpath "$bin/minimal_window.exe")" OrvaneMinimalWindow | tr -d '\r')
echo "$out"
awk '
  $1 ~ /Quorlet/ { qs = $3; qe = $7 }
  $1 ~ /minimal_window/ { ms = $3; me = $7 }
  END {
    printf "ratio_start_quorlet_to_minimal %.2f\n", qs / ms
    printf "ratio_exit_quorlet_to_minimal %.2f\n", qe / me
    printf "ratio_start_and_exit_quorlet_to_minimal %.2f\n", (qs + qe) / (ms + me)
  }' <<<"$out"

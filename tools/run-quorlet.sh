#!/usr/bin/env bash
# Sets everything up and runs Quorlet (the 64-bit build, under Wine).
# On a desktop ($DISPLAY set) its window opens. Without a display it runs on
# a virtual one, generates one password, saves a screenshot, leaves with
# Escape (so its choices are saved) and says where the screenshot is.
# ORV_BUILD_DIR chooses another build folder than build/x64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/setup-packages.sh
build=${ORV_BUILD_DIR:-build/x64}
echo "Building Quorlet in $build" >&2
cmake --preset x64 -B "$build" >/dev/null
cmake --build "$build" -j2 --target Quorlet Brindle0200 >/dev/null
bin=$build/bin

source cmake/wine-env.sh
source tools/quorlet-prefix.sh
orv_ensure_prefix
orv_prepare_quorlet_fonts
orv_register_brindle "$bin/Brindle0200.dll"

if [ -n "${DISPLAY:-}" ]; then
  exec "$ORV_WINE64" "$bin/Quorlet.exe"
fi

# No display: a virtual one, with Wine drawing the window's caption in a
# desktop of its own.
desktop=QuorletRun
cleanup() {
  [ -n "${qpid:-}" ] && kill "$qpid" 2>/dev/null
  "$ORV_WINE64" reg delete 'HKCU\Software\Wine\AppDefaults\Quorlet.exe\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  [ -n "${orv_xvfb_pid:-}" ] && kill "$orv_xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
orv_start_xvfb 1024x768x24
"$ORV_WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /t REG_SZ /d 800x600 /f >/dev/null 2>&1
"$ORV_WINE64" reg add 'HKCU\Software\Wine\AppDefaults\Quorlet.exe\Explorer' /v Desktop /t REG_SZ /d "$desktop" /f >/dev/null 2>&1

"$ORV_WINE64" "$bin/Quorlet.exe" >/dev/null 2>&1 &
qpid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Quorlet$' | head -n1) || {
  echo "Quorlet's window did not appear" >&2
  exit 1
}
sleep 1
xdotool key Return     # Create: one password
sleep 1
xdotool key ctrl+Insert
sleep 0.5
password=$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true)
geometry() { xwininfo -id "$window" | awk -v k="$1" -F: '$1 ~ k { gsub(/ /, "", $2); print $2 }'; }
screenshot=$root/$build/quorlet-screenshot.png
import -window root -crop "$(geometry Width)x$(geometry Height)+$(geometry 'Absolute upper-left X')+$(geometry 'Absolute upper-left Y')" \
  "$screenshot"
xdotool key Escape     # leave: the choices are saved
for _ in $(seq 1 100); do
  kill -0 "$qpid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$qpid" 2>/dev/null; then
  echo "Quorlet did not end after Escape" >&2
  exit 1
fi
wait "$qpid" || true
qpid=""
echo "Password generated: ${password:-(none read from the clipboard)}"
echo "Screenshot: $screenshot"

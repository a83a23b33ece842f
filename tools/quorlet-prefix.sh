# Sourced after cmake/wine-env.sh: what a Wine prefix needs to show Quorlet
# as it looks on Windows, and to let it reach Brindle0200.

# Z:\ path of a Linux path.
orv_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Wine's own Tahoma and Marlett (fonts-wine) are not in a prefix made before
# that package came; Courier New is drawn with its metric twin Liberation Mono.
orv_prepare_quorlet_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$fonts"
  for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
    if [ ! -e "$fonts/$f" ] && [ -f "/usr/share/wine/fonts/$f" ]; then
      cp "/usr/share/wine/fonts/$f" "$fonts/$f"
    fi
  done
  "$ORV_WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ \
    /d 'Liberation Mono' /f >/dev/null 2>&1
}

# A stock Wine 8 prefix has no association for .txt, as some Windows images
# have none: Quorlet's F1 copes by opening the read-me with Notepad. Earlier
# set-ups added one by hand, which hid that path from the tests; this takes
# it away again (the stock prefix has no HKCR\.txt key at all).
orv_forget_txt_association() {
  if "$ORV_WINE64" reg query 'HKCR\.txt' /ve 2>/dev/null | grep -q txtfile; then
    "$ORV_WINE64" reg delete 'HKCR\.txt' /f >/dev/null 2>&1
  fi
}

# Registers the server DLL of the same build as the program.
orv_register_brindle() {
  "$ORV_WINE64" regsvr32 /s "$(orv_winpath "$1")" >/dev/null 2>&1
}

# Starts Xvfb on a free display and exports DISPLAY; sets orv_xvfb_pid.
orv_start_xvfb() {
  local size=${1:-1024x768x24} n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    orv_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$orv_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}

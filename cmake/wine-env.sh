# Sourced by the Wine launchers: the project's prefix and the loaders.
orv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${ORV_WINEPREFIX:-$orv_root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko downloads, no prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
ORV_WINE64=/usr/lib/wine/wine64
ORV_WINE32=/usr/lib/wine/wine

# Prints the PE machine field in hex (8664 for x64, 014c for x86), or nothing.
orv_pe_machine() {
  local f=$1 off
  [ -f "$f" ] || return 0
  [ "$(head -c 2 "$f")" = "MZ" ] || return 0
  off=$(od -An -tu4 -j60 -N4 "$f" | tr -d ' ')
  od -An -tx2 -j$((off + 4)) -N2 "$f" | tr -d ' '
}

orv_can_run_32bit() {
  "$ORV_WINE32" --version >/dev/null 2>&1
}

# Creates the prefix once, without prompts; later calls only wait for the lock.
orv_ensure_prefix() {
  [ -f "$WINEPREFIX/.orv-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
      echo "Creating the Wine prefix in $WINEPREFIX" >&2
      "$ORV_WINE64" wineboot -i >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver -w || true
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot failed to create $WINEPREFIX" >&2; exit 1; }
      touch "$WINEPREFIX/.orv-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

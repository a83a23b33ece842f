# Sourced by the Wine launchers: the project's prefix and the loaders.
orv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${ORV_WINEPREFIX:-$orv_root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko downloads, no prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# A Wine program by name: ORV_WINE_DIR when set, Debian's folder of loaders,
# WineHQ's packages, else the one on PATH. The loaders themselves matter:
# "wine64" is the 64-bit loader and "wine" the 32-bit one (Debian's and
# WineHQ's "wine" command picks that too when it is installed).
orv_find_wine() {
  local d
  for d in ${ORV_WINE_DIR:-} /usr/lib/wine /usr/lib64/wine /opt/wine-stable/bin /opt/wine-devel/bin \
    /opt/wine-staging/bin; do
    [ -x "$d/$1" ] && { echo "$d/$1"; return 0; }
  done
  command -v "$1" || echo "$1"
}
ORV_WINE64=$(orv_find_wine wine64)
ORV_WINE32=$(orv_find_wine wine)
# A "wine" that is a script picks a loader itself (Debian's takes wine64 when
# wine32 is missing): only the loader program itself runs 32-bit code.
[ "$(head -c 4 "$ORV_WINE32" 2>/dev/null)" = $'\x7fELF' ] || ORV_WINE32=${ORV_WINE32%/*}/no-32-bit-wine-loader
# The server of the loaders found, which a prefix's programs share.
ORV_WINESERVER=$(dirname "$ORV_WINE64")/wineserver
[ -x "$ORV_WINESERVER" ] || ORV_WINESERVER=$(orv_find_wine wineserver)

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

# A prefix just as wineboot leaves it, made once; every prefix the project
# uses (the tests' own, the installer test's fresh ones) starts as a copy, so
# a new machine pays for wineboot only once.
orv_pristine_prefix=$orv_root/build/wineprefix.pristine

orv_make_pristine_prefix() {
  [ -f "$orv_pristine_prefix/.orv-ready" ] && return 0
  mkdir -p "$(dirname "$orv_pristine_prefix")"
  (
    flock 8
    if [ ! -f "$orv_pristine_prefix/.orv-ready" ]; then
      echo "Creating a Wine prefix in $orv_pristine_prefix" >&2
      rm -rf "$orv_pristine_prefix"
      WINEPREFIX=$orv_pristine_prefix "$ORV_WINE64" wineboot -i >/dev/null 2>&1 || true
      WINEPREFIX=$orv_pristine_prefix "$ORV_WINESERVER" -w || true
      [ -f "$orv_pristine_prefix/system.reg" ] || { echo "wineboot failed to create $orv_pristine_prefix" >&2; exit 1; }
      touch "$orv_pristine_prefix/.orv-ready"
    fi
  ) 8>"$orv_pristine_prefix.lock"
}

# Makes $WINEPREFIX once, a copy of the pristine prefix; later calls only
# wait for the lock.
orv_ensure_prefix() {
  [ -f "$WINEPREFIX/.orv-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  orv_make_pristine_prefix || return 1
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
      rm -rf "$WINEPREFIX"
      cp -a "$orv_pristine_prefix" "$WINEPREFIX" || exit 1
      touch "$WINEPREFIX/.orv-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

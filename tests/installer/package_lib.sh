# Sourced by the package tests after setting root and work: the tally, fresh
# Wine prefixes copied from the pristine one, and cleanup.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
source "$root/cmake/wine-env.sh"
source "$root/tools/quorlet-prefix.sh"
orv_make_pristine_prefix || exit 1
W=$ORV_WINE64
rm -rf "$work" && mkdir -p "$work"
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok   $1"; }
bad() { failed=$((failed + 1)); echo "FAIL $1${2:+ ($2)}"; }
expect() { if [ "$2" == "$3" ]; then ok "$1"; else bad "$1" "wanted '$2', got '$3'"; fi; }
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; }
fresh() { rm -rf "$work/$1" && cp -a "$orv_pristine_prefix" "$work/$1" && export WINEPREFIX=$work/$1; }
cleanup() { /usr/lib/wine/wineserver -k 2>/dev/null; [ -n "${orv_xvfb_pid:-}" ] && kill "$orv_xvfb_pid" 2>/dev/null; }
trap cleanup EXIT

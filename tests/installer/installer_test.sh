#!/usr/bin/env bash
# The installer as a user meets it: built from both builds, installed
# silently into a fresh Wine prefix, run, installed again over itself and
# removed. Ends with "N passed, M failed"; exits 77 (skipped) without the
# x86 build.
#
#   installer_test.sh X64_BIN X86_BIN ICON BUILD_DIR
#
# Every 32-bit process may run emulated here (a minute each): the installer
# runs twice and the uninstaller once; every check uses 64-bit programs.
set -uo pipefail
x64_bin=$1 x86_bin=$2 icon=$3 build=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

for f in "$x86_bin/Brindle0200.dll" "$x86_bin/Quorlet.exe"; do
  [ -f "$f" ] || { echo "skipped: no x86 build ($f)"; exit 77; }
done

# A fresh prefix per run, copied from a pristine one made once like the
# project's own; Wine must not add menu entries to the host.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export ORV_WINEPREFIX=$root/build/installer-prefix.base
source "$root/cmake/wine-env.sh"
source "$root/tools/quorlet-prefix.sh"
orv_ensure_prefix || exit 1
prefix=$root/build/installer-prefix
rm -rf "$prefix"
cp -a "$ORV_WINEPREFIX" "$prefix"
export WINEPREFIX=$prefix
W=$ORV_WINE64

passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok   $1"; }
bad() { failed=$((failed + 1)); echo "FAIL $1${2:+ ($2)}"; }
expect() { if [ "$2" == "$3" ]; then ok "$1"; else bad "$1" "wanted '$2', got '$3'"; fi; }
seconds() { echo $(($(date +%s) - $1)); }

qpid=""
cleanup() {
  [ -n "$qpid" ] && kill "$qpid" 2>/dev/null
  "$ORV_WINESERVER" -k 2>/dev/null
  [ -n "${orv_xvfb_pid:-}" ] && kill "$orv_xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

setup=$("$root/installer/make-installer.sh" "$x64_bin" "$x86_bin" "$icon" "$build/installer-test" | grep -- -setup.exe) || exit 1
echo "installer: $(stat -c %s "$setup") bytes"

C=$prefix/drive_c
dir64='C:\Program Files\Orvane' dir32='C:\Program Files (x86)\Orvane'
unix64="$C/Program Files/Orvane" unix32="$C/Program Files (x86)/Orvane"
shortcut="$C/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorlet.lnk"
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane Quorlet'
settings='HKCU\Software\Larkspur Forge\Orvane\Orvane - Quorlet for Win32\Version 1.02'
libid='{5DF3BAEB-A157-40F5-BAF6-7BE0824A20F6}'
classes=('{3DEAA128-D630-4170-8089-A405BFDA9B68}' '{012513C3-7B54-4EEF-A3FD-A6F55147B50D}')
progids=(Brindle0200.orvRegistry2 Brindle0200.orvOrvaneSettings2)
interfaces=('{0A2BDC59-E697-4C45-98D3-BE49C7E20209}' '{8C188C18-45DD-45FE-A726-EF971CFBB39A}'
  '{419A267A-2463-4338-AB72-F551B4EB1B89}' '{9E1A8F26-5A92-408E-8425-B047AA03F1DF}'
  '{CCCCB5ED-5749-4676-B452-B88AA992213E}')

# reg_value VIEW KEY [NAME]: the data of a value, or nothing.
reg_value() {
  local sel=(/ve)
  [ -n "${3:-}" ] && sel=(/v "$3")
  "$W" reg query "$2" "${sel[@]}" "/reg:$1" 2>/dev/null | tr -d '\r' |
    awk -F'    ' 'NF >= 4 { print $4; exit }'
}
reg_has() { "$W" reg query "$2" "/reg:$1" >/dev/null 2>&1; }
utf16_has() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
sys.exit(0 if all(t.encode("utf-16-le") in d for t in sys.argv[2:]) else 1)' "$@"; }

version=$(sed -n 's/^#define QUORLET_VERSION_TEXT "\(.*\)"/\1/p' "$root/generator/app_identity.h")
expect "installer named by the version" "Quorlet-$version-setup.exe" "$(basename "$setup")"
utf16_has "$setup" ProductVersion "$version" && ok "installer version block" || bad "installer version block"

# ---- What one install leaves

check_installed() {  # label
  local l=$1 v
  expect "$l: x64 Quorlet.exe" 8664 "$(orv_pe_machine "$unix64/Quorlet.exe")"
  expect "$l: x64 Brindle0200.dll" 8664 "$(orv_pe_machine "$unix64/Brindle0200.dll")"
  expect "$l: x86 Brindle0200.dll" 014c "$(orv_pe_machine "$unix32/Brindle0200.dll")"
  cmp -s "$unix64/Quorlet-ReadMe.txt" "$root/generator/Quorlet-ReadMe.txt" && ok "$l: read-me" || bad "$l: read-me"
  [ -f "$shortcut" ] && ok "$l: Start-menu shortcut" || bad "$l: Start-menu shortcut"
  for c in "${classes[@]}"; do
    expect "$l: $c in the 64-bit view" "$dir64\\Brindle0200.dll" "$(reg_value 64 "HKCR\\CLSID\\$c\\InprocServer32")"
    expect "$l: $c in the 32-bit view" "$dir32\\Brindle0200.dll" "$(reg_value 32 "HKCR\\CLSID\\$c\\InprocServer32")"
  done
  # ProgIDs are shared by both views (Wine's reg /reg:32 does not follow that).
  for p in "${progids[@]}"; do
    reg_has 64 "HKCR\\$p\\CLSID" && ok "$l: $p" || bad "$l: $p"
  done
  expect "$l: type library, win64" "$dir64\\Brindle0200.dll" "$(reg_value 64 "HKCR\\TypeLib\\$libid\\1.1\\0\\win64")"
  expect "$l: type library, win32" "$dir32\\Brindle0200.dll" "$(reg_value 32 "HKCR\\TypeLib\\$libid\\1.1\\0\\win32")"
  for v in "DisplayName=Orvane - Quorlet for Win32" "DisplayVersion=$version" "Publisher=Larkspur Forge" \
    "DisplayIcon=$dir64\\Quorlet.exe,0" "UninstallString=\"$dir64\\Uninstall.exe\"" \
    "QuietUninstallString=\"$dir64\\Uninstall.exe\" /S"; do
    expect "$l: ${v%%=*}" "${v#*=}" "$(reg_value 64 "$uninst" "${v%%=*}")"
  done
  v=$(reg_value 64 "$uninst" EstimatedSize)
  [ -n "$v" ] && [ $((v)) -gt 100 ] && ok "$l: EstimatedSize $((v)) KB" || bad "$l: EstimatedSize" "$v"
}

run_setup() {  # label
  local t=$(date +%s) rc
  "$W" "$setup" /S >/dev/null 2>&1
  rc=$?
  "$ORV_WINESERVER" -w
  echo "$1: silent install took $(seconds "$t") s"
  expect "$1: installer exit code" 0 "$rc"
}

run_setup "first install"
check_installed "first install"
utf16_has "$unix64/Uninstall.exe" ProductVersion "$version" && ok "uninstaller version block" ||
  bad "uninstaller version block"

# ---- Using what was installed

# F1 in a prefix without a program for .txt (a stock one, as after our
# installer): the read-me opens in the system's Notepad, not in an error box.
read_me_by_f1() {  # Quorlet's X window
  local quorlet=$1 notepad
  if "$W" reg query 'HKCR\.txt' /ve >/dev/null 2>&1; then
    bad "the fresh prefix has no .txt association" "$("$W" reg query 'HKCR\.txt' /ve 2>&1 | tr -d '\r')"
  else
    ok "the fresh prefix has no .txt association"
  fi
  xdotool windowfocus "$quorlet" 2>/dev/null
  sleep 0.5
  xdotool key F1
  notepad=$(timeout 60 xdotool search --sync --onlyvisible --name 'Quorlet-ReadMe' 2>/dev/null | head -n 1)
  if [ -n "$notepad" ]; then
    ok "F1 opens the read-me in Notepad: $(xdotool getwindowname "$notepad")"
    xdotool windowfocus "$notepad" 2>/dev/null
    sleep 0.5
    xdotool key alt+F4
  else
    bad "F1 opens the read-me in Notepad" "windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
  fi
  # A run-time error box would be a second window named as the program.
  expect "F1 shows no error box" 1 "$(xdotool search --onlyvisible --name '^Quorlet$' 2>/dev/null | wc -l)"
}

orv_start_xvfb 1024x768x24 || exit 1
"$W" "$dir64\\Quorlet.exe" >/dev/null 2>&1 &
qpid=$!
if timeout 90 xdotool search --sync --onlyvisible --name '^Quorlet$' >/dev/null; then
  ok "installed Quorlet shows its window"
  xdotool key Escape  # leaving stores the user's choices under HKCU
  for _ in $(seq 1 100); do kill -0 "$qpid" 2>/dev/null || break; sleep 0.2; done
else
  bad "installed Quorlet shows its window"
fi
kill "$qpid" 2>/dev/null
qpid=""
[ -n "$(reg_value 64 "$settings" "Num Sections")" ] && ok "Quorlet stored its choices" ||
  bad "Quorlet stored its choices"
# Once more for F1: the read-me's window takes the focus, which no window
# manager hands back here.
"$W" "$dir64\\Quorlet.exe" >/dev/null 2>&1 &
qpid=$!
if qwin=$(timeout 90 xdotool search --sync --onlyvisible --name '^Quorlet$' | head -n 1) && [ -n "$qwin" ]; then
  read_me_by_f1 "$qwin"
else
  bad "installed Quorlet shows its window again"
fi
kill "$qpid" 2>/dev/null
qpid=""

script=$build/installer-test/create.js
cat >"$script" <<'EOF'
var reg = new ActiveXObject("Brindle0200.orvRegistry2");
var s = new ActiveXObject("Brindle0200.orvOrvaneSettings2");
s.SaveSetting("", "Installer Check", 1, 7, "Orvane - Quorlet for Win32", 1, 2);
WScript.Echo("created " + reg.ValueDataTypeToString(4) + " " +
  s.LoadSetting("", "Installer Check", 1, 0, "Orvane - Quorlet for Win32", 1, 2));
EOF
expect "64-bit script creates both classes by ProgID" "created REG_DWORD 7" \
  "$("$W" cscript //nologo "$(orv_winpath "$script")" 2>/dev/null | tr -d '\r')"

run_setup "second install"
check_installed "second install"

# ---- Uninstall. _?= runs it in place instead of from a copy in %TEMP% (a
# second emulated process), but only when it is unquoted: a batch file gives
# the exact command line. Windows keeps the running Uninstall.exe for the
# caller to remove.

batch=$build/installer-test/uninstall.cmd
printf '@"%s\\Uninstall.exe" /S _?=%s\r\n@exit %%ERRORLEVEL%%\r\n' "$dir64" "$dir64" >"$batch"
t=$(date +%s)
"$W" cmd /c "$(orv_winpath "$batch")" >/dev/null 2>&1
rc=$?
"$ORV_WINESERVER" -w
echo "silent uninstall took $(seconds "$t") s"
expect "uninstaller exit code" 0 "$rc"
expect "files left in the 64-bit folder" "" "$(ls -A "$unix64" 2>/dev/null | grep -vx Uninstall.exe)"
[ ! -e "$unix32" ] && ok "32-bit folder removed" || bad "32-bit folder removed" "$(ls -A "$unix32")"
[ ! -e "$shortcut" ] && ok "shortcut removed" || bad "shortcut removed"
keys=("$uninst@64")
for c in "${classes[@]}"; do keys+=("HKCR\\CLSID\\$c@64" "HKCR\\CLSID\\$c@32"); done
for p in "${progids[@]}"; do keys+=("HKCR\\$p@64"); done
for i in "${interfaces[@]}"; do keys+=("HKCR\\Interface\\$i@64" "HKCR\\Interface\\$i@32"); done
keys+=("HKCR\\TypeLib\\$libid@64" "HKCR\\TypeLib\\$libid@32")
left=""
for k in "${keys[@]}"; do reg_has "${k##*@}" "${k%@*}" && left+=" ${k}"; done
expect "no key of ours left" "" "$left"
expect "user settings stay" 0x7 "$(reg_value 64 "$settings" "Installer Check")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# The Windows Installer packages as an administrator meets them: silent
# install into a fresh Wine prefix over an older version, the same version
# again, a downgrade and the x86 package refused, COM keys equal to those
# regsvr32 writes in both views, the installed Quorlet and both classes
# used, and a silent uninstall. Ends with "N passed, M failed"; exits 77
# without the x86 build.
#
#   msi_test.sh X64_BIN X86_BIN ICON BUILD_DIR
#
# One 32-bit process (regsvr32 of the x86 DLL, for the reference keys). The
# x86 package is checked as built and refused here; on 32-bit Windows only by hand.
set -uo pipefail
x64_bin=$1 x86_bin=$2 icon=$3 build=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ -f "$x86_bin/Brindle0200.dll" ] || { echo "skipped: no x86 build"; exit 77; }

work=$build/msi-test
source "$here/package_lib.sh"

mapfile -t made < <("$root/installer/make-installer.sh" "$x64_bin" "$x86_bin" "$icon" "$work/dist")
msi64=${made[1]} msi86=${made[2]}
def() { sed -n "s/^#define QUORLET_$1 //p" "$root/generator/app_identity.h"; }
version=$(def MAJOR).$(def MINOR).$(def REVISION)
# The older version: this one with the revision one lower.
sed "s/^#define QUORLET_REVISION .*/#define QUORLET_REVISION $(($(def REVISION) - 1))/" \
  "$root/generator/app_identity.h" >"$work/old_identity.h"
old=$("$root/installer/make-msi.sh" x64 "$x64_bin" "$x86_bin" "$icon" "$work/old" "$x64_bin/registration_wxi.exe" \
  "$work/old_identity.h")
msiexec() { "$W" msiexec "$1" "$(orv_winpath "$2")" /qn >/dev/null 2>&1; local rc=$?; /usr/lib/wine/wineserver -w; echo $rc; }
com_keys() { "$W" reg export 'HKLM\Software\Classes' "$(orv_winpath "$work/$1.reg")" /reg:64 /y >/dev/null 2>&1 &&
  python3 "$here/com_keys.py" "$work/$1.reg"; }
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
ours() { "$W" reg query "$uninst" /s 2>/dev/null | tr -d '\r' | grep -c 'DisplayName    REG_SZ    Orvane - Quorlet for Win32$'; }
arp() { "$W" reg query "$uninst\\$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -F'    ' 'NF >= 4 { print $4 }'; }

# ---- The x86 package, for 32-bit Windows, as built (installed only there).
msiextract -C "$work/x86" "$msi86" >/dev/null
machines=$(for f in Quorlet.exe Brindle0200.dll; do orv_pe_machine "$work/x86/Program Files/Orvane/$f"; done | xargs)
expect "x86 package: 32-bit files, 32-bit components" "014c 014c" \
  "$machines$(msiinfo export "$msi86" Component | awk -F'\t' 'NR > 3 && $4 != 0')"

# ---- Reference: what regsvr32 of each DLL writes, in its own view.
fresh reference
C=$WINEPREFIX/drive_c
mkdir -p "$C/Program Files/Orvane" "$C/Program Files (x86)/Orvane"
cp "$x64_bin/Brindle0200.dll" "$C/Program Files/Orvane/" && cp "$x86_bin/Brindle0200.dll" "$C/Program Files (x86)/Orvane/"
"$W" regsvr32 /s 'C:\Program Files\Orvane\Brindle0200.dll'
"$ORV_WINE32" regsvr32 /s 'C:\Program Files (x86)\Orvane\Brindle0200.dll'
/usr/lib/wine/wineserver -w
com_keys ref >"$work/ref.txt"
grep -qF 'Wow6432Node\CLSID\{3DEAA128' "$work/ref.txt" && ok "regsvr32 wrote the reference" || bad "reference"

# ---- An older version, then this one over it: a major upgrade.
fresh msi
C=$WINEPREFIX/drive_c
t=$(date +%s)
expect "older version installs" 0 "$(msiexec /i "$old")"
expect "this version installs over it" 0 "$(msiexec /i "$msi64")"
echo "install and upgrade took $(($(date +%s) - t)) s"
code=$(msiinfo export "$msi64" Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
expect "one entry in the installed programs" 1 "$(ours)"
for v in "DisplayVersion=$version" "Publisher=Larkspur Forge" "DisplayName=Orvane - Quorlet for Win32"; do
  expect "installed programs: ${v%%=*}" "${v#*=}" "$(arp "$code" "${v%%=*}")"
done
for f in "Program Files/Orvane/Quorlet.exe" "Program Files/Orvane/Brindle0200.dll" "Program Files/Orvane/Quorlet-ReadMe.txt" \
  "Program Files (x86)/Orvane/Brindle0200.dll"; do
  [ -f "$C/$f" ] && ok "installed $f" || bad "installed $f"
done
expect "x86 DLL is 32-bit" 014c "$(orv_pe_machine "$C/Program Files (x86)/Orvane/Brindle0200.dll")"
# Windows puts a per-machine shortcut in the common Start menu; Wine 8 in the user's.
links=("$C"/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Quorlet.lnk
  "$C"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Quorlet.lnk)
[ -n "$(ls "${links[@]}" 2>/dev/null)" ] && ok "Start-menu shortcut" || bad "Start-menu shortcut"
icon_reg=$("$W" reg query 'HKCR\Installer\Products' /s /v ProductIcon 2>/dev/null | tr -d '\r' |
  awk -F'    ' '/ProductIcon/ { print $4 }')
[ -n "$icon_reg" ] && [ -s "$C/$(echo "${icon_reg#C:\\}" | tr '\\' /)" ] && ok "product icon" || bad "product icon" "$icon_reg"
com_keys msi >"$work/msi.txt"
d=$(diff "$work/ref.txt" "$work/msi.txt") && ok "COM keys equal regsvr32's in both views" || bad "COM keys" "$d"

# ---- Refusals: same version again installs nothing new; older and x86 refused.
msiexec /i "$msi64" >/dev/null
expect "same version again: still one entry" 1 "$(ours)"
[ "$(msiexec /i "$old")" != 0 ] && ok "older version refused" || bad "older version refused"
[ "$(msiexec /i "$msi86")" != 0 ] && ok "x86 package refused on 64-bit Windows" || bad "x86 package refused"
expect "after the refusals" "1 $version" "$(ours) $(arp "$code" DisplayVersion)"

# ---- Using what was installed.
orv_start_xvfb 1024x768x24 || exit 1
"$W" 'C:\Program Files\Orvane\Quorlet.exe' >/dev/null 2>&1 &
if timeout 90 xdotool search --sync --onlyvisible --name '^Quorlet$' >/dev/null; then
  ok "installed Quorlet shows its window"
  xdotool key Escape
else
  bad "installed Quorlet shows its window"
fi
/usr/lib/wine/wineserver -w
cat >"$work/create.vbs" <<'EOF2'
Set reg = CreateObject("Brindle0200.orvRegistry2")
Set s = CreateObject("Brindle0200.orvOrvaneSettings2")
s.SaveSetting "", "Installer Check", 1, 7, "Orvane - Quorlet for Win32", 1, 2
WScript.Echo "created " & reg.ValueDataTypeToString(4) & " " & _
  s.LoadSetting("", "Installer Check", 1, 0, "Orvane - Quorlet for Win32", 1, 2)
EOF2
expect "script creates both classes by ProgID" "created REG_DWORD 7" \
  "$("$W" cscript //nologo "$(orv_winpath "$work/create.vbs")" 2>/dev/null | tr -d '\r')"

# ---- Silent uninstall: nothing of ours left but the user's settings.
expect "silent uninstall" 0 "$(msiexec /x "$msi64")"
left=$(find "$C" \( -ipath '*/Orvane*' -o -iname 'Quorlet*' \) -not -path '*/windows/Installer/*' | head -3)
expect "files and shortcut left" "" "$left"
expect "installed-programs entry left" 0 "$(ours)"
expect "COM keys left in either view" "" "$(com_keys left)"
settings='HKCU\Software\Larkspur Forge\Orvane\Orvane - Quorlet for Win32\Version 1.02'
expect "user settings stay" "0x7" "$("$W" reg query "$settings" /v "Installer Check" 2>/dev/null | tr -d '\r' |
  awk -F'    ' 'NF >= 4 { print $4 }')"

finish

#!/usr/bin/env bash
# Signing: with a throw-away self-signed certificate the installer command
# signs every binary, the NSIS installer and its uninstaller and both
# packages, each signature verifies, and the signed files install and run
# under Wine; without one it says so and signs nothing. Ends with
# "N passed, M failed"; exits 77 without the x86 build.
#
#   signing_test.sh X64_BIN X86_BIN ICON BUILD_DIR
#
# One 32-bit process: the signed NSIS installer.
set -uo pipefail
x64_bin=$1 x86_bin=$2 icon=$3 build=$(realpath "$4")
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -f "$x86_bin/Brindle0200.dll" ] || { echo "skipped: no x86 build"; exit 77; }

work=$build/signing-test
source "$(dirname "$0")/package_lib.sh"
# A self-signed certificate chains to nothing but itself.
signed() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }
check_signed() { for f; do signed "$f" && ok "signed: ${f#$work/}" || bad "signed: ${f#$work/}"; done; }

# ---- Unsigned: one line says so, nothing carries a signature.
note=$("$root/installer/make-installer.sh" "$x64_bin" "$x86_bin" "$icon" "$work/unsigned" 2>&1 >/dev/null | grep -c 'not signed')
[ "$note" = 1 ] && ok "unsigned build says so once" || bad "unsigned build says so once" "$note"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Orvane Test Signing" -addext extendedKeyUsage=codeSigning 2>/dev/null
for f in "$work"/unsigned/*; do signed "$f" && bad "unsigned: ${f##*/}" || ok "unsigned: ${f##*/}"; done

# ---- Signed.
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -out "$work/cert.p12" -passout pass:throwaway
mapfile -t made < <(ORV_SIGN_PKCS12=$work/cert.p12 ORV_SIGN_PASSWORD=throwaway \
  "$root/installer/make-installer.sh" "$x64_bin" "$x86_bin" "$icon" "$work/signed" 2>/dev/null)
[ ${#made[@]} -eq 3 ] || bad "three installers made" "${made[*]}"
check_signed "${made[@]}"
for a in x64 x86; do msiextract -C "$work/extract-$a" "$work/signed/"*-$a.msi >/dev/null; done
# msiextract names the 64-bit Program Files folder by its last part only.
check_signed "$work"/extract-x64/Orvane/{Quorlet.exe,Brindle0200.dll} \
  "$work"/extract-x86/Program\ Files/Orvane/{Quorlet.exe,Brindle0200.dll}

fresh nsis
"$ORV_WINE32" "${made[0]}" /S >/dev/null 2>&1
/usr/lib/wine/wineserver -w
check_signed "$WINEPREFIX/drive_c/Program Files/Orvane/Uninstall.exe" "$WINEPREFIX/drive_c/Program Files (x86)/Orvane/Brindle0200.dll"

fresh msi
"$W" msiexec /i "$(orv_winpath "${made[1]}")" /qn >/dev/null 2>&1 && ok "signed package installs" || bad "signed package installs"
/usr/lib/wine/wineserver -w
orv_start_xvfb 1024x768x24 || exit 1
"$W" 'C:\Program Files\Orvane\Quorlet.exe' >/dev/null 2>&1 &
timeout 90 xdotool search --sync --onlyvisible --name '^Quorlet$' >/dev/null && ok "signed Quorlet shows its window" ||
  bad "signed Quorlet shows its window"
echo 'WScript.Echo TypeName(CreateObject("Brindle0200.orvOrvaneSettings2"))' >"$work/create.vbs"
r=$("$W" cscript //nologo "$(orv_winpath "$work/create.vbs")" 2>/dev/null | tr -d '\r')
[ "$r" = _orvOrvaneSettings2 ] && ok "signed DLL serves its class" || bad "signed DLL serves its class" "$r"

finish

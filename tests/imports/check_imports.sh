#!/usr/bin/env bash
# Fails when a PE file imports a DLL that is not Windows' own (a MinGW
# runtime left dynamic, for example).
set -euo pipefail
objdump=$1; shift
allowed=' kernel32.dll user32.dll gdi32.dll advapi32.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll comctl32.dll comdlg32.dll bcrypt.dll crypt32.dll msvcrt.dll uxtheme.dll version.dll '
bad=0
for f in "$@"; do
  dlls=$("$objdump" -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | tr -d '\r')
  [ -n "$dlls" ] || { echo "FAIL $f: no import table found"; bad=1; continue; }
  for d in $dlls; do
    case "$allowed" in
      *" $d "*) ;;
      *) echo "FAIL $f imports $d"; bad=1 ;;
    esac
  done
  echo "ok   $(basename "$f"): $(echo $dlls)"
done
exit $bad

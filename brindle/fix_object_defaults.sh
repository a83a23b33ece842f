#!/usr/bin/env bash
# Rewrites the null default of every object passed by reference
# ([in, out, optional, defaultvalue(0)] IDispatch** or IFontDisp**) in a type
# library written by widl.
#
# widl stores that default as an inline VT_PTR constant, a type no VARIANT may
# carry: OLE Automation then fails GetFuncDesc on the method, and Invoke fails
# whenever the caller leaves the argument out. A null VT_DISPATCH is what the
# parameter means ("no object"), so an omitted argument arrives as a null
# object.
#
# Only the default-value slots of function records are touched; a type library
# without such defaults is left as it is.
set -euo pipefail
tlb=$1

# Little-endian 32-bit words of the whole file; the records are 4-byte aligned.
mapfile -t words < <(od -An -v -tu4 -w4 "$tlb" | tr -d ' ')

readonly inline_vt_ptr_null=$((0x80000000 | (26 << 26)))       # VT_PTR, 0
readonly null_dispatch_bytes='\x00\x00\x00\xa4'                 # VT_DISPATCH, 0

((words[0] == 0x5446534D)) || { echo "$tlb: not an MSFT type library" >&2; exit 1; }
header=$((0x54))
((words[0x14 / 4] & 0x100)) && header=$((header + 4))   # help string DLL present
typeinfos=${words[0x20 / 4]}
segdir=$((header + typeinfos * 4))
typeinfo_table=${words[segdir / 4]}

patched=0
for ((t = 0; t < typeinfos; t++)); do
  base=$((typeinfo_table + t * 0x64))
  members=${words[(base + 4) / 4]}
  funcs=$((words[(base + 0x18) / 4] & 0xFFFF))
  ((members != 0xFFFFFFFF && funcs > 0)) || continue
  rec=$((members + 4))
  for ((f = 0; f < funcs; f++)); do
    size=$((words[rec / 4] & 0xFFFF))
    has_defaults=$((words[(rec + 16) / 4] & 0x1000))
    args=$((words[(rec + 20) / 4] & 0xFFFF))
    if ((has_defaults && args > 0)); then
      # Parameter records (12 bytes each) end the record; the default slots precede them.
      slots=$((rec + size - args * 12 - args * 4))
      for ((a = 0; a < args; a++)); do
        at=$((slots + a * 4))
        if ((words[at / 4] == inline_vt_ptr_null)); then
          printf "$null_dispatch_bytes" \
            | dd of="$tlb" bs=1 seek="$at" conv=notrunc status=none
          patched=$((patched + 1))
        fi
      done
    fi
    rec=$((rec + size))
  done
done
echo "$(basename "$tlb"): $patched object defaults set to a null VT_DISPATCH"

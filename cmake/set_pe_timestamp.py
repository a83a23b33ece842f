#!/usr/bin/env python3
"""Sets a PE file's TimeDateStamp, in place: the build stamps the commit's
time instead of the link's, so the same commit always gives the same bytes.

    set_pe_timestamp.py FILE EPOCH|REFERENCE_PE_FILE

With a reference file, its stamp is copied (strip stamps the time it runs).
"""
import struct
import sys


def stamp_offset(f, path):
    head = f.read(64)
    if head[:2] != b"MZ":
        sys.exit(f"{path}: not a PE file")
    pe = struct.unpack_from("<I", head, 60)[0]
    f.seek(pe)
    if f.read(4) != b"PE\0\0":
        sys.exit(f"{path}: no PE signature")
    return pe + 8  # after the signature, the machine and the section count


path, source = sys.argv[1], sys.argv[2]
if source.isdigit():
    stamp = struct.pack("<I", int(source) & 0xFFFFFFFF)
else:
    with open(source, "rb") as f:
        f.seek(stamp_offset(f, source))
        stamp = f.read(4)
with open(path, "r+b") as f:
    f.seek(stamp_offset(f, path))
    f.write(stamp)

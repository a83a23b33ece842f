#!/usr/bin/env python3
"""Sets a PE file's TimeDateStamp, in place: the build stamps the commit's
time instead of the link's, so the same commit always gives the same bytes.
A header checksum, which objcopy computes over its own time stamp, is
computed again over the new one.

    set_pe_timestamp.py FILE EPOCH|REFERENCE_PE_FILE

With a reference file, its stamp is copied (strip stamps the time it runs).
"""
import struct
import sys


def stamp_offset(data, path):
    if data[:2] != b"MZ":
        sys.exit(f"{path}: not a PE file")
    pe = struct.unpack_from("<I", data, 60)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: no PE signature")
    return pe + 8  # after the signature, the machine and the section count


def pe_checksum(data, field):
    """The image checksum: a 16-bit one's-complement sum of the file, its
    own field left out, plus the file's length."""
    padded = data + b"\0" * (len(data) % 2)
    words = struct.unpack(f"<{len(padded) // 2}H", padded)
    total = sum(words) - sum(struct.unpack_from("<2H", data, field))
    while total > 0xFFFF:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def main():
    path, source = sys.argv[1], sys.argv[2]
    if source.isdigit():
        stamp = struct.pack("<I", int(source) & 0xFFFFFFFF)
    else:
        with open(source, "rb") as f:
            ref = f.read(4096)
        at = stamp_offset(ref, source)
        stamp = ref[at:at + 4]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = stamp_offset(data, path)
    data[at:at + 4] = stamp
    # The optional header follows the 20-byte file header; its checksum is at 64.
    field = at - 8 + 24 + 64
    if struct.unpack_from("<I", data, field)[0] != 0:
        struct.pack_into("<I", data, field, pe_checksum(bytes(data), field))
    with open(path, "wb") as f:
        f.write(data)


main()

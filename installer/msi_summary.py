#!/usr/bin/env python3
"""Makes a package's summary information reproducible, in place.

wixl stamps the build time as the creation and last-save times and draws a
random package code. This sets the package code given and both times to
SOURCE_DATE_EPOCH. The property set is small and written in one piece, so it
is edited where it lies; anything unexpected stops with an error.

    msi_summary.py PACKAGE.msi PACKAGE-CODE-GUID EPOCH
"""
import struct
import sys
import uuid

FMTID_SUMMARY = uuid.UUID("F29F85E0-4FF9-1068-AB91-08002B27B3D9").bytes_le
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 0x1E, 0x40


def main(path, code, epoch):
    data = bytearray(open(path, "rb").read())
    at = data.find(FMTID_SUMMARY)
    # The stream starts with its byte-order mark, 28 bytes before the FMTID.
    if at < 28 or data[at - 28:at - 26] != b"\xfe\xff" or data.find(FMTID_SUMMARY, at + 1) != -1:
        sys.exit(f"{path}: summary information not found once")
    stream = at - 28
    section = stream + struct.unpack_from("<I", data, at + 16)[0]
    count = struct.unpack_from("<I", data, section + 4)[0]
    filetime = struct.pack("<Q", (int(epoch) + 11644473600) * 10_000_000)
    guid = ("{%s}" % uuid.UUID(code)).upper().encode() + b"\0"
    done = set()
    for i in range(count):
        pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * i)
        value = section + offset
        vt = struct.unpack_from("<I", data, value)[0]
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and vt == VT_FILETIME:
            data[value + 4:value + 12] = filetime
            done.add(pid)
        elif pid == PID_REVNUMBER and vt == VT_LPSTR:
            if struct.unpack_from("<I", data, value + 4)[0] != len(guid):
                sys.exit(f"{path}: unexpected package code length")
            data[value + 8:value + 8 + len(guid)] = guid
            done.add(pid)
    if done != {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM}:
        sys.exit(f"{path}: summary information lacks {sorted({9, 12, 13} - done)}")
    open(path, "wb").write(data)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])

#!/usr/bin/env python3
"""Puts the commit's time in place of the build's in a type library written
by widl, in place: widl records when it ran as a text ("Created by WIDL
version V at <date>") and as a VT_UI4 custom value right after it. The text
keeps its length, so nothing moves.

    fix_tlb_time.py FILE.tlb EPOCH
"""
import calendar
import re
import struct
import sys
import time

path, epoch = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, "rb").read())
found = list(re.finditer(rb"Created by WIDL version [^\n]* at (\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4})\n(W*)", data))
if len(found) != 1:
    sys.exit(f"{path}: {len(found)} creation texts, expected 1")
m = found[0]
stated = calendar.timegm(time.strptime(m.group(1).decode(), "%a %b %d %H:%M:%S %Y"))
data[m.start(1):m.end(1)] = time.asctime(time.gmtime(epoch)).encode()
value = m.end(2)
if data[value:value + 2] != b"\x13\x00":  # VT_UI4
    sys.exit(f"{path}: no time value after the creation text")
recorded = struct.unpack_from("<I", data, value + 2)[0]
if abs(recorded - stated) > 2 * 86400:  # the text is in widl's local time
    sys.exit(f"{path}: the value after the creation text is no time ({recorded})")
data[value + 2:value + 6] = struct.pack("<I", epoch)
open(path, "wb").write(data)

#!/usr/bin/env python3
"""Prints, sorted, the values of a `reg export` file that lie under the keys
of Brindle0200's COM registration: one "key | name = data" line each.
An export of HKLM\\Software\\Classes in the 64-bit view holds both views, the
32-bit one under Wow6432Node; ProgIDs are one key for both views on Windows
(Wine 8 keeps a 32-bit writer's apart), so they are listed once.

    com_keys.py EXPORT.reg
"""
import re
import sys

OURS = re.compile(r"\\(CLSID\\\{(3DEAA128|012513C3)-|Interface\\\{(0A2BDC59|8C188C18|419A267A|9E1A8F26|CCCCB5ED)-|"
                  r"TypeLib\\\{5DF3BAEB-|Brindle0200\.)", re.I)
text = open(sys.argv[1], "rb").read().decode("utf-16")
key, lines = None, set()
for line in text.splitlines():
    if line.startswith("["):
        key = line.strip("[]") if OURS.search(line) else None
        if key:
            key = re.sub(r"\\Wow6432Node\\(?=Brindle0200\.)", r"\\", key, flags=re.I)
        if key:
            lines.add(f"{key} |")
    elif key and "=" in line:
        name, data = line.split("=", 1)
        lines.add(f"{key} | {name} = {data}")
print("\n".join(sorted(lines)))

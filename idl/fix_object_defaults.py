#!/usr/bin/env python3
"""Rewrites the null default of every object passed by reference
([in, out, optional, defaultvalue(0)] IDispatch** or IFontDisp**) in a type
library written by widl.

widl stores that default as an inline VT_PTR constant, a type no VARIANT may
carry: OLE Automation then fails GetFuncDesc on the method, and Invoke fails
whenever the caller leaves the argument out. A null VT_DISPATCH is what the
parameter means ("no object"), so an omitted argument arrives as a null object.

Only the default-value slots of function records are touched; a type library
without such defaults is left as it is. Anything that is not the MSFT layout
this reads stops the build with the reason.
"""
import struct
import sys
from dataclasses import dataclass
from pathlib import Path

MSFT_MAGIC = 0x5446534D
MSFT_VERSION = 0x00010002
HELP_DLL_FLAG = 0x100           # header varflags: a help-string DLL offset follows
HAS_DEFAULTS = 0x1000           # function flags: default-value slots present
NO_MEMBERS = 0xFFFFFFFF
TYPEINFO_SIZE = 0x64
FUNC_HEAD_SIZE = 0x18           # fixed part of a function record
PARAM_SIZE = 12                 # one parameter record at a function record's end
INLINE_VT_PTR_NULL = 0x80000000 | (26 << 26)                # inline VT_PTR, 0
NULL_DISPATCH = struct.pack("<I", 0x80000000 | (9 << 26))   # inline VT_DISPATCH, 0


class FormatError(Exception):
    pass


@dataclass
class Header:
    magic: int
    version: int
    varflags: int
    typeinfo_count: int
    SIZE = 0x54

    @classmethod
    def read(cls, data):
        magic, version = struct.unpack_from("<II", data, 0)
        varflags, = struct.unpack_from("<I", data, 0x14)
        count, = struct.unpack_from("<I", data, 0x20)
        return cls(magic, version, varflags, count)

    def segment_directory(self):
        size = self.SIZE + (4 if self.varflags & HELP_DLL_FLAG else 0)
        return size + self.typeinfo_count * 4


@dataclass
class TypeInfo:
    members: int        # offset of the member block, or NO_MEMBERS
    funcs: int

    @classmethod
    def read(cls, data, at):
        members, = struct.unpack_from("<I", data, at + 4)
        elements, = struct.unpack_from("<I", data, at + 0x18)
        return cls(members, elements & 0xFFFF)


@dataclass
class FuncRecord:
    at: int
    size: int
    flags: int
    args: int

    @classmethod
    def read(cls, data, at):
        info, = struct.unpack_from("<I", data, at)
        flags, = struct.unpack_from("<I", data, at + 0x10)
        args, = struct.unpack_from("<I", data, at + 0x14)
        return cls(at, info & 0xFFFF, flags, args & 0xFFFF)

    def default_slots(self):
        """Offsets of the default values: one word per argument, before the parameter records."""
        first = self.at + self.size - self.args * (PARAM_SIZE + 4)
        return [first + a * 4 for a in range(self.args)]


def word(data, at):
    if at % 4 or at < 0 or at + 4 > len(data):
        raise FormatError(f"offset {at:#x} is not an aligned word inside the file")
    return struct.unpack_from("<I", data, at)[0]


def patch(data):
    if len(data) < Header.SIZE:
        raise FormatError("shorter than an MSFT header")
    header = Header.read(data)
    if header.magic != MSFT_MAGIC:
        raise FormatError("not an MSFT type library")
    if header.version != MSFT_VERSION:
        raise FormatError(f"MSFT version {header.version:#x}, expected {MSFT_VERSION:#x}")
    table = word(data, header.segment_directory())
    if table + header.typeinfo_count * TYPEINFO_SIZE > len(data):
        raise FormatError("type-info table runs past the end")
    patched = 0
    for t in range(header.typeinfo_count):
        info = TypeInfo.read(data, table + t * TYPEINFO_SIZE)
        if info.members == NO_MEMBERS or info.funcs == 0:
            continue
        block_end = info.members + 4 + word(data, info.members)
        at = info.members + 4
        for _ in range(info.funcs):
            word(data, at)
            func = FuncRecord.read(data, at)
            if func.size < FUNC_HEAD_SIZE or at + func.size > block_end:
                raise FormatError(f"function record at {at:#x} of size {func.size:#x} leaves its block")
            if func.flags & HAS_DEFAULTS and func.args > 0:
                if FUNC_HEAD_SIZE + func.args * (PARAM_SIZE + 4) > func.size:
                    raise FormatError(f"function record at {at:#x} too small for {func.args} arguments")
                for slot in func.default_slots():
                    if word(data, slot) == INLINE_VT_PTR_NULL:
                        data[slot:slot + 4] = NULL_DISPATCH
                        patched += 1
            at += func.size
    return patched


def main(path):
    tlb = Path(path)
    data = bytearray(tlb.read_bytes())
    try:
        patched = patch(data)
    except (FormatError, struct.error) as error:
        sys.exit(f"{tlb}: {error}")
    tlb.write_bytes(data)
    print(f"{tlb.name}: {patched} object defaults set to a null VT_DISPATCH")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: fix_object_defaults.py TYPELIB")
    main(sys.argv[1])

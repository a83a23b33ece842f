// How automation data becomes registry bytes and back, per registry type
// code: texts (REG_SZ, REG_EXPAND_SZ), lists of texts (REG_MULTI_SZ), 32-bit
// integers (REG_DWORD, REG_DWORD_BIG_ENDIAN) and raw bytes for every other
// code. The wide form stores UTF-16; the ANSI form the system's ANSI code
// page. orvRegistry2 and the settings store convert with these alone.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <vector>

namespace orv::reg {

// The bytes of `data` stored as `type`, or nullopt when the VARIANT does not
// suit the type or is more than one registry value can hold.
std::optional<std::vector<BYTE>> Encode(bool wide, const VARIANT& data, LONG type);

// The VARIANT of stored bytes, in *out (empty before); false, *out left
// untouched, when the bytes do not convert for the type. Platform
// allocations that fail throw std::bad_alloc.
bool Decode(bool wide, LONG type, const BYTE* bytes, DWORD count, VARIANT* out);

}  // namespace orv::reg

// The registry entry points, each through its wide-character or its ANSI
// form as the caller chooses at every call. Texts cross as std::wstring and
// are converted to and from the system's ANSI code page for the ANSI forms.
// Every function returns the Windows status of the call; none throws except
// std::bad_alloc.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orv::regapi {

// A RegistryRoot2_Const value as the predefined key handle it names: the
// 32-bit value sign-extended, so 0x80000001 stays HKEY_CURRENT_USER on x64.
HKEY RootHandle(std::int32_t root);

LONG OpenKey(bool wide, HKEY root, const std::wstring& subKey, REGSAM access, HKEY* out);
LONG CreateKey(bool wide, HKEY root, const std::wstring& subKey, REGSAM access, HKEY* out, DWORD* disposition);

// With data == nullptr only the type and the size are asked for.
LONG QueryValue(bool wide, HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size);
LONG SetValue(bool wide, HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size);
LONG DeleteValue(bool wide, HKEY key, const std::wstring& name);

// Recursive: SHDeleteKey; otherwise SHDeleteEmptyKey.
LONG DeleteKey(bool wide, HKEY root, const std::wstring& subKey, bool recursive);

struct KeyInfo {
  DWORD subKeys = 0, maxSubKeyLen = 0, maxClassLen = 0;
  DWORD values = 0, maxValueNameLen = 0, maxValueLen = 0;
  FILETIME lastWrite{};
};
// Lengths in characters without the terminating NUL (in bytes for the ANSI
// form, as that form reports them); maxValueLen, the longest data, in bytes.
LONG QueryInfoKey(bool wide, HKEY key, KeyInfo* info);

// The class string of a key, with its length as the call reports it.
LONG QueryKeyClass(bool wide, HKEY key, std::wstring* keyClass, FILETIME* lastWrite);

// nameCapacity is the capacity variable handed to the call; the name comes
// back cut to the reported length. In the wide form *name is the call's
// buffer too, filled with NULs first, so a walk that passes the same string
// each time allocates nothing for names. data may be nullptr (size variable 0).
LONG EnumValue(bool wide, HKEY key, DWORD index, DWORD nameCapacity, std::wstring* name, DWORD* type, BYTE* data,
               DWORD* dataSize);
LONG EnumKey(bool wide, HKEY key, DWORD index, DWORD nameCapacity, DWORD classCapacity, std::wstring* name,
             std::wstring* keyClass, FILETIME* lastWrite);

// Text <-> the system's default ANSI code page.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const char* text, std::size_t length);

}  // namespace orv::regapi

#include "registry/reg_api.h"

#include <shlwapi.h>

#include <type_traits>

#include "support/system_entry.h"

namespace orv::regapi {

HKEY RootHandle(std::int32_t root) { return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(root)); }

namespace {

// No registry name holds a NUL: the entry points would stop at it and act on
// a shorter name (a parent key, another value), so such names address nothing.
bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

// shlwapi is loaded by the first key deleted, not with the library: most
// programs that load the library never delete a key.
template <class Char>
LONG ShellDeleteKey(HKEY root, const Char* subKey, bool recursive) {
  constexpr bool kWide = std::is_same_v<Char, wchar_t>;
  using Fn = std::conditional_t<kWide, decltype(&SHDeleteKeyW), decltype(&SHDeleteKeyA)>;
  static const Fn deleteTree = SystemEntry<Fn>(L"shlwapi.dll", kWide ? "SHDeleteKeyW" : "SHDeleteKeyA");
  static const Fn deleteEmpty = SystemEntry<Fn>(L"shlwapi.dll", kWide ? "SHDeleteEmptyKeyW" : "SHDeleteEmptyKeyA");
  const Fn entry = recursive ? deleteTree : deleteEmpty;
  return entry ? static_cast<LONG>(entry(root, subKey)) : ERROR_PROC_NOT_FOUND;
}

}  // namespace

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromAnsi(const char* text, std::size_t length) {
  if (length == 0) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), out.data(), n);
  return out;
}

LONG OpenKey(bool wide, HKEY root, const std::wstring& subKey, REGSAM access, HKEY* out) {
  if (HasNul(subKey)) return ERROR_INVALID_PARAMETER;
  return wide ? RegOpenKeyExW(root, subKey.c_str(), 0, access, out)
              : RegOpenKeyExA(root, ToAnsi(subKey).c_str(), 0, access, out);
}

LONG CreateKey(bool wide, HKEY root, const std::wstring& subKey, REGSAM access, HKEY* out, DWORD* disposition) {
  if (HasNul(subKey)) return ERROR_INVALID_PARAMETER;
  return wide ? RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, access, nullptr, out, disposition)
              : RegCreateKeyExA(root, ToAnsi(subKey).c_str(), 0, nullptr, 0, access, nullptr, out, disposition);
}

LONG QueryValue(bool wide, HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  return wide ? RegQueryValueExW(key, name.c_str(), nullptr, type, data, size)
              : RegQueryValueExA(key, ToAnsi(name).c_str(), nullptr, type, data, size);
}

LONG SetValue(bool wide, HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  return wide ? RegSetValueExW(key, name.c_str(), 0, type, data, size)
              : RegSetValueExA(key, ToAnsi(name).c_str(), 0, type, data, size);
}

LONG DeleteValue(bool wide, HKEY key, const std::wstring& name) {
  if (HasNul(name)) return ERROR_INVALID_PARAMETER;
  return wide ? RegDeleteValueW(key, name.c_str()) : RegDeleteValueA(key, ToAnsi(name).c_str());
}

LONG DeleteKey(bool wide, HKEY root, const std::wstring& subKey, bool recursive) {
  if (HasNul(subKey)) return ERROR_INVALID_PARAMETER;
  if (wide) return ShellDeleteKey(root, subKey.c_str(), recursive);
  const std::string a = ToAnsi(subKey);
  return ShellDeleteKey(root, a.c_str(), recursive);
}

LONG QueryInfoKey(bool wide, HKEY key, KeyInfo* info) {
  return wide
             ? RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info->subKeys, &info->maxSubKeyLen, &info->maxClassLen,
                                &info->values, &info->maxValueNameLen, &info->maxValueLen, nullptr, &info->lastWrite)
             : RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &info->subKeys, &info->maxSubKeyLen, &info->maxClassLen,
                                &info->values, &info->maxValueNameLen, &info->maxValueLen, nullptr, &info->lastWrite);
}

LONG QueryKeyClass(bool wide, HKEY key, std::wstring* keyClass, FILETIME* lastWrite) {
  // The information query reports only the longest class of the sub-keys, not
  // the key's own; so start with room for a usual class and grow while the
  // buffer is too small (234 on Windows; Wine's wide form answers 122).
  constexpr DWORD kLargest = 1u << 16;
  LONG st = ERROR_SUCCESS;
  for (DWORD capacity = 256;; capacity *= 2) {
    DWORD length = capacity;
    if (wide) {
      std::wstring buf(capacity, L'\0');
      st = RegQueryInfoKeyW(key, buf.data(), &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, lastWrite);
      if (st == ERROR_SUCCESS) *keyClass = buf.substr(0, length < capacity ? length : capacity);
    } else {
      std::string buf(capacity, '\0');
      st = RegQueryInfoKeyA(key, buf.data(), &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, lastWrite);
      if (st == ERROR_SUCCESS) *keyClass = FromAnsi(buf.data(), length < capacity ? length : capacity);
    }
    if ((st != ERROR_MORE_DATA && st != ERROR_INSUFFICIENT_BUFFER) || capacity >= kLargest) return st;
  }
}

LONG EnumValue(bool wide, HKEY key, DWORD index, DWORD nameCapacity, std::wstring* name, DWORD* type, BYTE* data,
               DWORD* dataSize) {
  DWORD length = nameCapacity;
  LONG st;
  if (wide) {
    name->assign(static_cast<std::size_t>(nameCapacity) + 1, L'\0');
    st = RegEnumValueW(key, index, name->data(), &length, nullptr, type, data, dataSize);
    name->resize(length <= nameCapacity ? length : nameCapacity);
  } else {
    std::string buf(static_cast<std::size_t>(nameCapacity) + 1, '\0');
    st = RegEnumValueA(key, index, buf.data(), &length, nullptr, type, data, dataSize);
    *name = FromAnsi(buf.data(), length <= nameCapacity ? length : nameCapacity);
  }
  return st;
}

LONG EnumKey(bool wide, HKEY key, DWORD index, DWORD nameCapacity, DWORD classCapacity, std::wstring* name,
             std::wstring* keyClass, FILETIME* lastWrite) {
  DWORD nameLength = nameCapacity, classLength = classCapacity;
  LONG st;
  if (wide) {
    std::wstring n(static_cast<std::size_t>(nameCapacity) + 1, L'\0'),
        c(static_cast<std::size_t>(classCapacity) + 1, L'\0');
    st = RegEnumKeyExW(key, index, n.data(), &nameLength, nullptr, c.data(), &classLength, lastWrite);
    *name = n.substr(0, nameLength <= nameCapacity ? nameLength : nameCapacity);
    *keyClass = c.substr(0, classLength <= classCapacity ? classLength : classCapacity);
  } else {
    std::string n(static_cast<std::size_t>(nameCapacity) + 1, '\0'),
        c(static_cast<std::size_t>(classCapacity) + 1, '\0');
    st = RegEnumKeyExA(key, index, n.data(), &nameLength, nullptr, c.data(), &classLength, lastWrite);
    *name = FromAnsi(n.data(), nameLength <= nameCapacity ? nameLength : nameCapacity);
    *keyClass = FromAnsi(c.data(), classLength <= classCapacity ? classLength : classCapacity);
  }
  return st;
}

}  // namespace orv::regapi

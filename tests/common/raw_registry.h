// The registry seen directly through Win32, independent of the library:
// what the tests write beforehand and read back to check stored bytes.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/com_types.h"

namespace orv::test {

struct Stored {
  LONG status = ERROR_FILE_NOT_FOUND;  // of opening the key, else of the query
  bool found = false;
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

inline Stored Query(HKEY root, const std::wstring& path, const wchar_t* name) {
  Stored s;
  RegKeyHandle key;
  if ((s.status = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Put())) != ERROR_SUCCESS) return s;
  DWORD size = 0;
  s.status = RegQueryValueExW(key.Get(), name, nullptr, &s.type, nullptr, &size);
  if (s.status == ERROR_SUCCESS && size) {
    s.bytes.resize(size);
    s.status = RegQueryValueExW(key.Get(), name, nullptr, &s.type, s.bytes.data(), &size);
    s.bytes.resize(size);
  }
  s.found = s.status == ERROR_SUCCESS;
  return s;
}
inline Stored Query(HKEY root, const std::wstring& path, const std::wstring& name) {
  return Query(root, path, name.c_str());
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
  RegKeyHandle key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

inline void MakeKey(HKEY root, const std::wstring& path, const wchar_t* keyClass = nullptr) {
  RegKeyHandle key;
  ASSERT_EQ(
      RegCreateKeyExW(root, path.c_str(), 0, const_cast<wchar_t*>(keyClass), 0, KEY_WRITE, nullptr, key.Put(), nullptr),
      ERROR_SUCCESS)
      << "creating a test key";
}

// Exactly these bytes: non-zero bytes after the data keep RegSetValueExW
// from adding a terminator to string types.
inline void Put(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, std::vector<BYTE> bytes) {
  RegKeyHandle key;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr), ERROR_SUCCESS)
      << "creating a test key";
  const auto size = static_cast<DWORD>(bytes.size());
  bytes.insert(bytes.end(), {0xAB, 0xCD});
  EXPECT_EQ(RegSetValueExW(key.Get(), name, 0, type, bytes.data(), size), ERROR_SUCCESS);
}
inline void Put(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, std::vector<BYTE> bytes) {
  Put(root, path, name.c_str(), type, std::move(bytes));
}

// The names of a key's values or sub-keys, in the registry's order.
inline std::vector<std::wstring> EnumNames(HKEY root, const std::wstring& path, bool values) {
  std::vector<std::wstring> names;
  RegKeyHandle key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD len = 512;
    const LONG st = values ? RegEnumValueW(key.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr)
                           : RegEnumKeyExW(key.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (st != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  return names;
}

// UTF-16 bytes of a text, low byte first, with one terminating NUL.
inline std::vector<BYTE> Sz(const std::wstring& text) {
  std::vector<BYTE> b;
  for (wchar_t c : text) {
    b.push_back(static_cast<BYTE>(c & 0xFF));
    b.push_back(static_cast<BYTE>(c >> 8));
  }
  b.insert(b.end(), {0, 0});
  return b;
}

inline std::vector<BYTE> Dword(std::uint32_t v) {
  return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
}

}  // namespace orv::test

// The registry in plain C++, under orvRegistry2 and the settings store: an
// open key that remembers whether it goes through the wide or the ANSI entry
// points, values as stored (type and bytes), and the two enumerations.
// Every call returns the Windows status of the registry call that decided
// it (the first that failed, else the last), which is what LastRegError
// reports. Nothing here throws except std::bad_alloc.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "support/com_types.h"

namespace orv::reg {

// One registry value as stored.
struct StoredValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

struct ValueEntry {
  std::wstring name;
  StoredValue value;  // bytes empty when the data was not asked for
};

struct SubKeyEntry {
  std::wstring name;
  std::wstring keyClass;
  FILETIME lastWrite{};
};

// A walk of a key's values or sub-keys: `complete` is false (and the items
// are then to be ignored) when a registry call failed on the way; `status`
// is the status of the walk's last call either way.
template <class Item>
struct Listing {
  bool complete = false;
  LONG status = ERROR_SUCCESS;
  std::vector<Item> items;
};

class RegistryKey {
 public:
  // The key is open only when the status is ERROR_SUCCESS.
  static LONG Open(bool wide, HKEY root, const std::wstring& path, REGSAM access, RegistryKey* out);
  // *disposition: REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
  static LONG Create(bool wide, HKEY root, const std::wstring& path, REGSAM access, RegistryKey* out,
                     DWORD* disposition);
  // SHDeleteKey when recursive, else SHDeleteEmptyKey.
  static LONG Delete(bool wide, HKEY root, const std::wstring& path, bool recursive);

  // A size query, then one data query: a value that grew in between fails
  // with ERROR_MORE_DATA (reading again is the caller's choice). *out holds
  // the value only on ERROR_SUCCESS.
  LONG Read(const std::wstring& name, StoredValue* out) const;
  // The same result with one registry call fewer for a value that fits
  // kReadRoom bytes: the data is asked for at once, and only a larger value
  // takes the size query and the data query of Read.
  static constexpr DWORD kReadRoom = 256;
  LONG ReadAtOnce(const std::wstring& name, StoredValue* out) const;
  LONG Write(const std::wstring& name, const StoredValue& value) const;
  LONG DeleteValue(const std::wstring& name) const;
  LONG QueryClass(std::wstring* keyClass, FILETIME* lastWrite) const;

  // In the registry's order. A value name that outgrew its room still
  // counts (its name cut); a sub-key name that did fails the walk.
  Listing<ValueEntry> Values(bool withData) const;
  Listing<SubKeyEntry> SubKeys() const;

  HKEY Get() const { return key_.Get(); }

 private:
  bool wide_ = true;
  RegKeyHandle key_;
};

}  // namespace orv::reg

#include "registry/registry_key.h"

#include <algorithm>
#include <array>

#include "registry/reg_api.h"

namespace orv::reg {
namespace {

// Room for a name the information query announced, plus slack for one that
// grew since: the capacity variable; the buffer holds one character more.
DWORD NameCapacity(DWORD longest) { return longest + 10; }

}  // namespace

LONG RegistryKey::Open(bool wide, HKEY root, const std::wstring& path, REGSAM access, RegistryKey* out) {
  out->wide_ = wide;
  return regapi::OpenKey(wide, root, path, access, out->key_.Put());
}

LONG RegistryKey::Create(bool wide, HKEY root, const std::wstring& path, REGSAM access, RegistryKey* out,
                         DWORD* disposition) {
  out->wide_ = wide;
  return regapi::CreateKey(wide, root, path, access, out->key_.Put(), disposition);
}

LONG RegistryKey::Delete(bool wide, HKEY root, const std::wstring& path, bool recursive) {
  return regapi::DeleteKey(wide, root, path, recursive);
}

LONG RegistryKey::Read(const std::wstring& name, StoredValue* out) const {
  DWORD type = 0, size = 0;
  if (LONG st = regapi::QueryValue(wide_, key_.Get(), name, &type, nullptr, &size); st != ERROR_SUCCESS) return st;
  std::vector<BYTE> buffer(size);
  if (size > 0) {
    if (LONG st = regapi::QueryValue(wide_, key_.Get(), name, &type, buffer.data(), &size); st != ERROR_SUCCESS) {
      return st;
    }
  }
  if (size < buffer.size()) buffer.resize(size);  // it shrank in between
  out->type = type;
  out->bytes = std::move(buffer);
  return ERROR_SUCCESS;
}

LONG RegistryKey::ReadAtOnce(const std::wstring& name, StoredValue* out) const {
  std::array<BYTE, kReadRoom> room;
  DWORD type = 0, size = kReadRoom;
  const LONG st = regapi::QueryValue(wide_, key_.Get(), name, &type, room.data(), &size);
  if (st == ERROR_MORE_DATA) return Read(name, out);
  if (st != ERROR_SUCCESS) return st;
  out->type = type;
  out->bytes.assign(room.begin(), room.begin() + std::min(size, kReadRoom));
  return ERROR_SUCCESS;
}

LONG RegistryKey::Write(const std::wstring& name, const StoredValue& value) const {
  const auto count = static_cast<DWORD>(value.bytes.size());
  return regapi::SetValue(wide_, key_.Get(), name, value.type, count > 0 ? value.bytes.data() : nullptr, count);
}

LONG RegistryKey::DeleteValue(const std::wstring& name) const { return regapi::DeleteValue(wide_, key_.Get(), name); }

LONG RegistryKey::QueryClass(std::wstring* keyClass, FILETIME* lastWrite) const {
  return regapi::QueryKeyClass(wide_, key_.Get(), keyClass, lastWrite);
}

Listing<ValueEntry> RegistryKey::Values(bool withData) const {
  Listing<ValueEntry> list;
  regapi::KeyInfo info;
  if ((list.status = regapi::QueryInfoKey(wide_, key_.Get(), &info)) != ERROR_SUCCESS) return list;
  const DWORD capacity = NameCapacity(info.maxValueNameLen);
  // Room for the longest data, so that one call reads a value whole. Never
  // empty: without a buffer the call would report the size and no data.
  std::vector<BYTE> data(withData ? std::max<DWORD>(info.maxValueLen, 1) : 0);
  std::wstring name;
  list.items.reserve(info.values);
  for (DWORD i = 0; i < info.values; ++i) {
    DWORD type = 0, count = static_cast<DWORD>(data.size());
    LONG& st = list.status;
    st = regapi::EnumValue(wide_, key_.Get(), i, capacity, &name, &type, withData ? data.data() : nullptr, &count);
    if (withData && st == ERROR_MORE_DATA) {
      // The data outgrew the buffer since the information query, or the
      // name outgrew its slack. Ask the size, grow, and read exactly that
      // much: the value then ends as it would with a size query before
      // every read (a name still too long fails the read with 234).
      count = 0;
      st = regapi::EnumValue(wide_, key_.Get(), i, capacity, &name, &type, nullptr, &count);
      if ((st == ERROR_SUCCESS || st == ERROR_MORE_DATA) && count > 0) {
        if (count > data.size()) data.resize(count);
        if ((st = regapi::EnumValue(wide_, key_.Get(), i, capacity, &name, &type, data.data(), &count)) !=
            ERROR_SUCCESS) {
          return list;
        }
      }
    }
    // Values deleted while we run end the list early; that is no failure.
    if (st == ERROR_NO_MORE_ITEMS) {
      st = ERROR_SUCCESS;
      break;
    }
    if (st != ERROR_SUCCESS && st != ERROR_MORE_DATA) return list;
    ValueEntry& entry = list.items.emplace_back();
    entry.name = name;
    entry.value.type = type;
    if (withData) entry.value.bytes.assign(data.begin(), data.begin() + std::min<std::size_t>(count, data.size()));
  }
  list.complete = true;
  return list;
}

Listing<SubKeyEntry> RegistryKey::SubKeys() const {
  Listing<SubKeyEntry> list;
  regapi::KeyInfo info;
  if ((list.status = regapi::QueryInfoKey(wide_, key_.Get(), &info)) != ERROR_SUCCESS) return list;
  const DWORD nameCapacity = NameCapacity(info.maxSubKeyLen);
  const DWORD classCapacity = NameCapacity(info.maxClassLen);
  list.items.reserve(info.subKeys);
  for (DWORD i = 0; i < info.subKeys; ++i) {
    SubKeyEntry entry;
    list.status = regapi::EnumKey(wide_, key_.Get(), i, nameCapacity, classCapacity, &entry.name, &entry.keyClass,
                                  &entry.lastWrite);
    if (list.status == ERROR_NO_MORE_ITEMS) {
      list.status = ERROR_SUCCESS;
      break;
    }
    // Unlike values, a key name that outgrew the buffer (234) is a failure.
    if (list.status != ERROR_SUCCESS) return list;
    list.items.push_back(std::move(entry));
  }
  list.complete = true;
  return list;
}

}  // namespace orv::reg

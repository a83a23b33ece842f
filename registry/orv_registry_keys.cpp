// orvRegistry2: key operations and the two enumerations. As everywhere in
// this class, registry failures answer False or Nothing and leave their
// status in LastRegError; only failures of the platform itself are raised.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "registry/collection.h"
#include "server/com_error.h"
#include "registry/orv_registry.h"
#include "registry/reg_api.h"
#include "registry/reg_key.h"
#include "registry/reg_value.h"
#include "support/text_routines.h"

namespace orv {
namespace {

constexpr REGSAM kQueryValue = 0x0001;
constexpr REGSAM kSetValue = 0x0002;
constexpr REGSAM kQueryAndEnumerate = 0x0009;

constexpr LONG kNoMoreItems = ERROR_NO_MORE_ITEMS;  // 259
constexpr LONG kMoreData = ERROR_MORE_DATA;         // 234

constexpr DWORD kCreatedNew = REG_CREATED_NEW_KEY;          // 1
constexpr DWORD kOpenedExisting = REG_OPENED_EXISTING_KEY;  // 2

// A BSTR keeps embedded NULs and may be NULL for the empty string.

HKEY Root(RegistryRoot2_Const root) { return regapi::RootHandle(static_cast<std::int32_t>(root)); }

// Room for a name the information query announced, plus slack for one that
// grew since: the capacity variable; the buffer holds one character more.
DWORD NameCapacity(DWORD longest) { return longest + 10; }

IDispatch* AsDispatch(RegValueRecord* r) { return static_cast<_RegValue*>(r); }
IDispatch* AsDispatch(RegKeyRecord* r) { return static_cast<_RegKey*>(r); }

}  // namespace

STDMETHODIMP OrvRegistry2::DeleteKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL Recursive,
                                     VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    const LONG st = Track(regapi::DeleteKey(Wide(), Root(RegistryRoot), Text(SubKey), Recursive != VARIANT_FALSE));
    *ret = st == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::CreateKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* lpKeyAlreadyExist,
                                     VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    RegKeyHandle key;
    DWORD disposition = 0;
    if (Track(regapi::CreateKey(Wide(), Root(RegistryRoot), Text(SubKey), kSetValue, key.Put(), &disposition)) !=
        ERROR_SUCCESS) {
      return S_OK;
    }
    // An omitted argument may point at garbage: write it, never read it.
    if (lpKeyAlreadyExist) {
      if (disposition == kCreatedNew) *lpKeyAlreadyExist = VARIANT_FALSE;
      if (disposition == kOpenedExisting) *lpKeyAlreadyExist = VARIANT_TRUE;
    }
    *ret = VARIANT_TRUE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::IsKeyExist(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    RegKeyHandle key;
    const LONG st = Track(regapi::OpenKey(Wide(), Root(RegistryRoot), Text(SubKey), kQueryValue, key.Put()));
    *ret = st == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::GetValues(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL QueryData,
                                     _Collection** ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    RegKeyHandle key;
    if (Track(regapi::OpenKey(Wide(), Root(RegistryRoot), Text(SubKey), kQueryValue, key.Put())) != ERROR_SUCCESS) {
      return S_OK;
    }
    regapi::KeyInfo info;
    if (Track(regapi::QueryInfoKey(Wide(), key.Get(), &info)) != ERROR_SUCCESS) return S_OK;

    ComPtr<Collection> items = Collection::Create();
    const bool wide = Wide(), queryData = QueryData != VARIANT_FALSE;
    const DWORD capacity = NameCapacity(info.maxValueNameLen);
    // Room for the longest data, so that one call reads a value whole. Never
    // empty: without a buffer the call would report the size and no data.
    std::vector<BYTE> data(queryData ? std::max<DWORD>(info.maxValueLen, 1) : 0);
    std::wstring name;
    for (DWORD i = 0; i < info.values; ++i) {
      DWORD type = 0, count = static_cast<DWORD>(data.size());
      LONG st = Track(
          regapi::EnumValue(wide, key.Get(), i, capacity, &name, &type, queryData ? data.data() : nullptr, &count));
      if (queryData && st == kMoreData) {
        // The data outgrew the buffer since the information query, or the
        // name outgrew its slack. Ask the size, grow, and read exactly that
        // much: the value then ends as it would with a size query before
        // every read (a name still too long fails the read with 234).
        count = 0;
        st = Track(regapi::EnumValue(wide, key.Get(), i, capacity, &name, &type, nullptr, &count));
        if ((st == ERROR_SUCCESS || st == kMoreData) && count > 0) {
          if (count > data.size()) data.resize(count);
          if (Track(regapi::EnumValue(wide, key.Get(), i, capacity, &name, &type, data.data(), &count)) !=
              ERROR_SUCCESS) {
            return S_OK;
          }
        }
      }
      // Values deleted while we run end the list early; that is no failure.
      if (st == kNoMoreItems) {
        Track(ERROR_SUCCESS);
        break;
      }
      if (st != ERROR_SUCCESS && st != kMoreData) return S_OK;

      ComPtr<RegValueRecord> item;
      if (queryData) {
        // Data that does not convert still takes its place, as Nothing.
        item = BytesToRegValue(name, static_cast<LONG>(type), data.data(), count);
      } else {
        Variant null;
        V_VT(null.Get()) = VT_NULL;
        item = RegValueRecord::Create(name.c_str(), static_cast<LONG>(type), std::move(null));
      }
      items->Append(item ? AsDispatch(item.Get()) : nullptr);
    }
    *ret = items.Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::GetSubKeys(RegistryRoot2_Const RegistryRoot, BSTR SubKey, _Collection** ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    RegKeyHandle key;
    if (Track(regapi::OpenKey(Wide(), Root(RegistryRoot), Text(SubKey), kQueryAndEnumerate, key.Put())) !=
        ERROR_SUCCESS) {
      return S_OK;
    }
    regapi::KeyInfo info;
    if (Track(regapi::QueryInfoKey(Wide(), key.Get(), &info)) != ERROR_SUCCESS) return S_OK;

    ComPtr<Collection> items = Collection::Create();
    const DWORD nameCapacity = NameCapacity(info.maxSubKeyLen);
    const DWORD classCapacity = NameCapacity(info.maxClassLen);
    for (DWORD i = 0; i < info.subKeys; ++i) {
      std::wstring name, keyClass;
      FILETIME lastWrite{};
      const LONG st =
          Track(regapi::EnumKey(Wide(), key.Get(), i, nameCapacity, classCapacity, &name, &keyClass, &lastWrite));
      if (st == kNoMoreItems) {
        Track(ERROR_SUCCESS);
        break;
      }
      // Unlike values, a key name that outgrew the buffer (234) is a failure.
      if (st != ERROR_SUCCESS) return S_OK;
      ComPtr<RegKeyRecord> item;
      item = RegKeyRecord::Create(name.c_str(), lastWrite, keyClass.c_str());
      items->Append(AsDispatch(item.Get()));
    }
    *ret = items.Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::GetKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, _RegKey** ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    const std::wstring path = Text(SubKey);
    RegKeyHandle key;
    if (Track(regapi::OpenKey(Wide(), Root(RegistryRoot), path, kQueryAndEnumerate, key.Put())) != ERROR_SUCCESS) {
      return S_OK;
    }
    std::wstring keyClass;
    FILETIME lastWrite{};
    if (Track(regapi::QueryKeyClass(Wide(), key.Get(), &keyClass, &lastWrite)) != ERROR_SUCCESS) return S_OK;
    // The name as the caller spelled it, not as the registry stores it.
    std::wstring name;
    ThrowIfFailed(esGetFileName(path, 0, &name), L"The key name could not be taken from the path.");
    ComPtr<RegKeyRecord> item;
    item = RegKeyRecord::Create(name.c_str(), lastWrite, keyClass.c_str());
    *ret = item.Detach();
    return S_OK;
  });
}

}  // namespace orv

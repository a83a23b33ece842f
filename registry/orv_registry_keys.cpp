// orvRegistry2: key operations and the two enumerations, over the registry
// layer. As everywhere in this class, registry failures answer False or
// Nothing and leave their status in LastRegError; only failures of the
// platform itself are raised.
#include <string>
#include <utility>

#include "registry/collection.h"
#include "registry/orv_registry.h"
#include "registry/reg_key.h"
#include "registry/reg_value.h"
#include "registry/registry_key.h"
#include "server/com_error.h"
#include "support/text_routines.h"

namespace orv {
namespace {

constexpr REGSAM kQueryValue = 0x0001;
constexpr REGSAM kSetValue = 0x0002;
constexpr REGSAM kQueryAndEnumerate = 0x0009;

constexpr DWORD kCreatedNew = REG_CREATED_NEW_KEY;          // 1
constexpr DWORD kOpenedExisting = REG_OPENED_EXISTING_KEY;  // 2

IDispatch* AsDispatch(RegValueRecord* r) { return static_cast<_RegValue*>(r); }
IDispatch* AsDispatch(RegKeyRecord* r) { return static_cast<_RegKey*>(r); }

}  // namespace

STDMETHODIMP OrvRegistry2::DeleteKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL Recursive,
                                     VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    const LONG st =
        Track(reg::RegistryKey::Delete(Wide(), Root(RegistryRoot), Text(SubKey), Recursive != VARIANT_FALSE));
    *ret = st == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::CreateKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* lpKeyAlreadyExist,
                                     VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    reg::RegistryKey key;
    DWORD disposition = 0;
    if (Track(reg::RegistryKey::Create(Wide(), Root(RegistryRoot), Text(SubKey), kSetValue, &key, &disposition)) !=
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
    reg::RegistryKey key;
    const LONG st = Track(reg::RegistryKey::Open(Wide(), Root(RegistryRoot), Text(SubKey), kQueryValue, &key));
    *ret = st == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::GetValues(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL QueryData,
                                     _Collection** ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    reg::RegistryKey key;
    if (Track(reg::RegistryKey::Open(Wide(), Root(RegistryRoot), Text(SubKey), kQueryValue, &key)) != ERROR_SUCCESS) {
      return S_OK;
    }
    const bool queryData = QueryData != VARIANT_FALSE;
    const reg::Listing<reg::ValueEntry> values = key.Values(queryData);
    if (Track(values.status); !values.complete) return S_OK;

    ComPtr<Collection> items = Collection::Create();
    for (const reg::ValueEntry& entry : values.items) {
      const auto type = static_cast<LONG>(entry.value.type);
      ComPtr<RegValueRecord> item;
      if (queryData) {
        // Data that does not convert still takes its place, as Nothing.
        const std::vector<BYTE>& bytes = entry.value.bytes;
        item = BytesToRegValue(entry.name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
      } else {
        Variant null;
        V_VT(null.Get()) = VT_NULL;
        item = RegValueRecord::Create(entry.name.c_str(), type, std::move(null));
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
    reg::RegistryKey key;
    if (Track(reg::RegistryKey::Open(Wide(), Root(RegistryRoot), Text(SubKey), kQueryAndEnumerate, &key)) !=
        ERROR_SUCCESS) {
      return S_OK;
    }
    const reg::Listing<reg::SubKeyEntry> subKeys = key.SubKeys();
    if (Track(subKeys.status); !subKeys.complete) return S_OK;

    ComPtr<Collection> items = Collection::Create();
    for (const reg::SubKeyEntry& entry : subKeys.items) {
      ComPtr<RegKeyRecord> item = RegKeyRecord::Create(entry.name.c_str(), entry.lastWrite, entry.keyClass.c_str());
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
    reg::RegistryKey key;
    if (Track(reg::RegistryKey::Open(Wide(), Root(RegistryRoot), path, kQueryAndEnumerate, &key)) != ERROR_SUCCESS) {
      return S_OK;
    }
    std::wstring keyClass;
    FILETIME lastWrite{};
    if (Track(key.QueryClass(&keyClass, &lastWrite)) != ERROR_SUCCESS) return S_OK;
    // The name as the caller spelled it, not as the registry stores it.
    std::wstring name;
    ThrowIfFailed(esGetFileName(path, 0, &name), L"The key name could not be taken from the path.");
    ComPtr<RegKeyRecord> item = RegKeyRecord::Create(name.c_str(), lastWrite, keyClass.c_str());
    *ret = item.Detach();
    return S_OK;
  });
}

}  // namespace orv

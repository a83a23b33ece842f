// orvRegistry2: the value operations, over the registry layer; the data
// crosses between VARIANT and bytes in value_variant.cpp.
#include <cstdint>
#include <utility>

#include "registry/orv_registry.h"
#include "registry/reg_api.h"
#include "registry/reg_value.h"
#include "registry/registry_key.h"
#include "registry/value_variant.h"
#include "server/com_error.h"
#include "server/variant_args.h"

namespace orv {

HKEY OrvRegistry2::Root(RegistryRoot2_Const root) { return regapi::RootHandle(static_cast<std::int32_t>(root)); }

// Failures of the platform (out of memory) are thrown, not answered nullptr.
ComPtr<RegValueRecord> OrvRegistry2::BytesToRegValue(const std::wstring& name, LONG type, const BYTE* bytes,
                                                     DWORD count) const {
  Variant data;
  if (!reg::Decode(Wide(), type, bytes, count, data.Get())) return {};
  return RegValueRecord::Create(name.c_str(), type, std::move(data));
}

STDMETHODIMP OrvRegistry2::SetValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                                    RegistryDataType2_Const ValueDataType, VARIANT ValueData,
                                    VARIANT_BOOL* lpKeyAlreadyExist, VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    // Rejected data touches neither the registry nor LastRegError.
    if (IsOmitted(ValueData)) return S_OK;
    reg::StoredValue value{static_cast<DWORD>(ValueDataType), {}};
    std::optional<std::vector<BYTE>> bytes = reg::Encode(Wide(), ValueData, static_cast<LONG>(ValueDataType));
    if (!bytes) return S_OK;
    value.bytes = std::move(*bytes);

    reg::RegistryKey key;
    DWORD disposition = 0;
    if (Track(reg::RegistryKey::Create(Wide(), Root(RegistryRoot), Text(SubKey), KEY_SET_VALUE, &key, &disposition)) !=
        ERROR_SUCCESS) {
      return S_OK;
    }
    // An omitted flag may be NULL or point at garbage: write it, never read it.
    if (lpKeyAlreadyExist) {
      if (disposition == REG_CREATED_NEW_KEY) *lpKeyAlreadyExist = VARIANT_FALSE;
      if (disposition == REG_OPENED_EXISTING_KEY) *lpKeyAlreadyExist = VARIANT_TRUE;
    }
    *ret = Track(key.Write(Text(ValueName), value)) == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::GetValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName, _RegValue** ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    const std::wstring name = Text(ValueName);
    reg::RegistryKey key;
    reg::StoredValue value;
    // One attempt only: a value that grew in between ends here with 234.
    if (Track(reg::RegistryKey::Open(Wide(), Root(RegistryRoot), Text(SubKey), KEY_QUERY_VALUE, &key)) !=
            ERROR_SUCCESS ||
        Track(key.Read(name, &value)) != ERROR_SUCCESS) {
      return S_OK;
    }
    const auto count = static_cast<DWORD>(value.bytes.size());
    *ret = BytesToRegValue(name, static_cast<LONG>(value.type), value.bytes.data(), count).Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::DeleteValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                                       VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    reg::RegistryKey key;
    if (Track(reg::RegistryKey::Open(Wide(), Root(RegistryRoot), Text(SubKey), KEY_SET_VALUE, &key)) != ERROR_SUCCESS) {
      return S_OK;
    }
    *ret = Track(key.DeleteValue(Text(ValueName))) == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

}  // namespace orv

// orvRegistry2: creation, state and type names. Values: orv_registry_values.cpp;
// keys and enumerations: orv_registry_keys.cpp.
#include "registry/orv_registry.h"

#include <iterator>

#include "server/com_error.h"
#include "support/system.h"

namespace orv {

HRESULT OrvRegistry2::Create(ComPtr<OrvRegistry2>* out) {
  VbBool unicode = kVbFalse;
  if (Status s = esIsUnicodeAvailable(&unicode); Failed(s)) return s;
  ComPtr<OrvRegistry2> obj = MakeObject<OrvRegistry2>();
  obj->useUnicode_ = unicode;
  *out = std::move(obj);
  return S_OK;
}

HRESULT CreateOrvRegistry2Instance(REFIID iid, void** out) {
  return ComBoundary(IID__orvRegistry2, OrvRegistry2::kErrorSource, [&] {
    ComPtr<OrvRegistry2> obj;
    ThrowIfFailed(OrvRegistry2::Create(&obj), L"The registry object could not be created.");
    return obj->QueryInterface(iid, out);
  });
}

std::span<const std::wstring_view> OrvRegistry2::UnsignedEnumerations() const {
  // The predefined roots are 0x80000000 and up.
  static constexpr std::wstring_view kRoots[] = {L"RegistryRoot2_Const"};
  return kRoots;
}

STDMETHODIMP OrvRegistry2::get_UseUnicodeFunctions(VARIANT_BOOL* ret) {
  if (!ret) return E_POINTER;
  *ret = useUnicode_;
  return S_OK;
}

STDMETHODIMP OrvRegistry2::put_UseUnicodeFunctions(VARIANT_BOOL value) {
  useUnicode_ = value;
  return S_OK;
}

STDMETHODIMP OrvRegistry2::get_LastRegError(LONG* ret) {
  if (!ret) return E_POINTER;
  *ret = lastRegError_;
  return S_OK;
}

STDMETHODIMP OrvRegistry2::ValueDataTypeToString(RegistryDataType2_Const ValueType, BSTR* ret) {
  if (!ret) return E_POINTER;
  static constexpr const wchar_t* kNames[] = {
      L"REG_NONE", L"REG_SZ",       L"REG_EXPAND_SZ",     L"REG_BINARY", L"REG_DWORD", L"REG_DWORD_BIG_ENDIAN",
      L"REG_LINK", L"REG_MULTI_SZ", L"REG_RESOURCE_LIST",
  };
  const LONG code = static_cast<LONG>(ValueType);
  const bool known = code >= 0 && code < static_cast<LONG>(std::size(kNames));
  *ret = SysAllocString(known ? kNames[code] : L"");
  return *ret ? S_OK : E_OUTOFMEMORY;
}

}  // namespace orv

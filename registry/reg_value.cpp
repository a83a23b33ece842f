#include "registry/reg_value.h"

#include <utility>

#include "support/text_routines.h"

namespace orv {

HRESULT RegValueRecord::Create(const wchar_t* name, LONG type, Variant data, ComPtr<RegValueRecord>* out) {
  ComPtr<RegValueRecord> r = MakeObject<RegValueRecord>();
  if (Status s = asGetStringFromPointerW(name, &r->name_); Failed(s)) return s;
  r->type_ = type;
  r->data_ = std::move(data);
  *out = std::move(r);
  return S_OK;
}

STDMETHODIMP RegValueRecord::get_Data(VARIANT* ret) {
  if (!ret) return E_POINTER;
  VariantInit(ret);
  return VariantCopy(ret, data_.Get());  // arrays come back as new arrays
}

STDMETHODIMP RegValueRecord::get_DataType(RegistryDataType2_Const* ret) {
  if (!ret) return E_POINTER;
  *ret = static_cast<RegistryDataType2_Const>(type_);
  return S_OK;
}

STDMETHODIMP RegValueRecord::get_Name(BSTR* ret) {
  if (!ret) return E_POINTER;
  *ret = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
  return *ret ? S_OK : E_OUTOFMEMORY;
}

}  // namespace orv

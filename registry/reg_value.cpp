#include "registry/reg_value.h"

#include <utility>

namespace orv {

ComPtr<RegValueRecord> RegValueRecord::Create(const wchar_t* name, LONG type, Variant data) {
  ComPtr<RegValueRecord> r = MakeObject<RegValueRecord>();
  r->name_ = name ? name : L"";
  r->type_ = type;
  r->data_ = std::move(data);
  return r;
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

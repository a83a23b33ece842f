#include "registry/reg_key.h"

namespace orv {

ComPtr<RegKeyRecord> RegKeyRecord::Create(const wchar_t* name, const FILETIME& lastWrite, const wchar_t* keyClass) {
  ComPtr<RegKeyRecord> r = MakeObject<RegKeyRecord>();
  // The registry reports UTC; the date stays in UTC.
  SYSTEMTIME st{};
  DATE date = 0;
  if (FileTimeToSystemTime(&lastWrite, &st) && SystemTimeToVariantTime(&st, &date)) r->lastWriteTime_ = date;
  r->name_ = name ? name : L"";
  r->keyClass_ = keyClass ? keyClass : L"";
  return r;
}

STDMETHODIMP RegKeyRecord::get_KeyClass(BSTR* ret) {
  if (!ret) return E_POINTER;
  *ret = SysAllocStringLen(keyClass_.data(), static_cast<UINT>(keyClass_.size()));
  return *ret ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP RegKeyRecord::get_LastWriteTime(DATE* ret) {
  if (!ret) return E_POINTER;
  *ret = lastWriteTime_;
  return S_OK;
}

STDMETHODIMP RegKeyRecord::get_Name(BSTR* ret) {
  if (!ret) return E_POINTER;
  *ret = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
  return *ret ? S_OK : E_OUTOFMEMORY;
}

}  // namespace orv

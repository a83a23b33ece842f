#include "registry/reg_key.h"

#include "support/text_routines.h"

namespace orv {

HRESULT RegKeyRecord::Create(const wchar_t* name, const FILETIME& lastWrite, const wchar_t* keyClass,
                             ComPtr<RegKeyRecord>* out) {
  ComPtr<RegKeyRecord> r = MakeObject<RegKeyRecord>();
  // The registry reports UTC; the date stays in UTC.
  SYSTEMTIME st{};
  DATE date = 0;
  if (FileTimeToSystemTime(&lastWrite, &st) && SystemTimeToVariantTime(&st, &date)) r->lastWriteTime_ = date;
  if (Status s = asGetStringFromPointerW(name, &r->name_); Failed(s)) return s;
  if (Status s = asGetStringFromPointerW(keyClass, &r->keyClass_); Failed(s)) return s;
  *out = std::move(r);
  return S_OK;
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

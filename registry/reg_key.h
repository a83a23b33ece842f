// RegKey: read-only record of one registry key, made only by the library.
#pragma once
#include <string>

#include "idl/brindle_idl.h"
#include "server/dispatch_object.h"

namespace orv {

class RegKeyRecord final : public DispatchObject<_RegKey> {
 public:
  // The library-internal initializer: name and class are cut at their first
  // NUL; the file time (UTC) becomes an automation date without conversion
  // to local time (0 when the conversion fails).
  static ComPtr<RegKeyRecord> Create(const wchar_t* name, const FILETIME& lastWrite, const wchar_t* keyClass);

  STDMETHODIMP get_KeyClass(BSTR* ret) override;
  STDMETHODIMP get_LastWriteTime(DATE* ret) override;
  STDMETHODIMP get_Name(BSTR* ret) override;

 private:
  template <class T, class... Args>
  friend ComPtr<T> MakeObject(Args&&... args);
  RegKeyRecord() = default;
  std::wstring keyClass_;
  DATE lastWriteTime_ = 0;
  std::wstring name_;
};

}  // namespace orv

// RegValue: read-only record of one registry value, made only by the library.
#pragma once
#include <string>

#include "idl/brindle_idl.h"
#include "server/dispatch_object.h"

namespace orv {

class RegValueRecord final : public DispatchObject<_RegValue> {
 public:
  // The library-internal initializer: the name is cut at its first NUL and
  // the data taken over, not copied (a string or an array would be made
  // twice per value). Not reachable through any interface.
  static ComPtr<RegValueRecord> Create(const wchar_t* name, LONG type, Variant data);

  STDMETHODIMP get_Data(VARIANT* ret) override;
  STDMETHODIMP get_DataType(RegistryDataType2_Const* ret) override;
  STDMETHODIMP get_Name(BSTR* ret) override;

 private:
  template <class T, class... Args>
  friend ComPtr<T> MakeObject(Args&&... args);
  RegValueRecord() = default;
  Variant data_;
  LONG type_ = 0;
  std::wstring name_;
};

}  // namespace orv

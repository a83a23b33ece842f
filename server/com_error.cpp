#include "server/com_error.h"

#include <oleauto.h>

#include "support/com_types.h"

namespace orv {

HRESULT ReportError(HRESULT hr, const std::wstring& description, REFIID iid, const wchar_t* source) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(source));
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
  }
  return hr;
}

}  // namespace orv

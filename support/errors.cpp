#include "support/errors.h"

#include <oleauto.h>

#include "support/com_types.h"

namespace orv {

void ThrowFailure(HRESULT hr, std::wstring_view what) {
  std::wstring description(what);
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    Bstr text;
    if (SUCCEEDED(info->GetDescription(text.Put())) && text.Length() > 0) description = Text(text.Get());
  }
  throw ComError(hr, std::move(description));
}

void ClearErrorInfo() { SetErrorInfo(0, nullptr); }

}  // namespace orv

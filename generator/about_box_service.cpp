#include "about_box_service.h"

#include <oleauto.h>

#include "support/com_types.h"
#include "support/text_routines.h"

namespace orv::quorlet {
namespace {

// Reads a property late-bound, as any automation client would.
HRESULT ReadProperty(IDispatch* object, const wchar_t* name, VARTYPE type, Variant* out) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{};
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, out->Put(), nullptr, nullptr);
  if (FAILED(hr)) return hr;
  return VariantChangeType(out->Get(), out->Get(), 0, type);
}

}  // namespace

Status AboutBoxService::Show(HWND owner, IDispatch* appObject, const std::wstring& extraText, IPictureDisp*,
                             const std::wstring& dedication) {
  if (!appObject) return kPointer;
  Variant title, major, minor;
  if (HRESULT hr = ReadProperty(appObject, L"Title", VT_BSTR, &title); FAILED(hr)) return hr;
  if (HRESULT hr = ReadProperty(appObject, L"Major", VT_I4, &major); FAILED(hr)) return hr;
  if (HRESULT hr = ReadProperty(appObject, L"Minor", VT_I4, &minor); FAILED(hr)) return hr;
  std::wstring version;
  if (Status s = asFormatVersionShort(V_I4(major.Get()), V_I4(minor.Get()), &version); Failed(s)) return s;

  const BSTR titleText = V_BSTR(title.Get());
  const std::wstring name(titleText ? titleText : L"", SysStringLen(titleText));
  std::wstring text = name + L"\nВерсия " + version;
  if (!extraText.empty()) text += L"\n\n" + extraText;
  if (!dedication.empty()) text += L"\n\nПосвящается: " + dedication;
  const std::wstring caption = L"О программе";

  MSGBOXPARAMSW box{};
  box.cbSize = sizeof(box);
  box.hwndOwner = owner;
  box.hInstance = GetModuleHandleW(nullptr);
  box.lpszText = text.c_str();
  box.lpszCaption = caption.c_str();
  box.dwStyle = MB_OK | MB_USERICON;
  box.lpszIcon = L"A_MAIN";
  if (MessageBoxIndirectW(&box) == 0) {
    const DWORD e = GetLastError();
    return e ? HRESULT_FROM_WIN32(e) : kFail;
  }
  return kOk;
}

}  // namespace orv::quorlet

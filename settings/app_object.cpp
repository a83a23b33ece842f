#include "app_object.h"

#include <dispex.h>

#include "registry/com_error.h"
#include "support/com_types.h"

namespace orv {
namespace {

constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);  // "Object variable not set"

// Owns what an Invoke may leave in an EXCEPINFO.
struct ExcepInfo : EXCEPINFO {
  ExcepInfo() : EXCEPINFO{} {}
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  ~ExcepInfo() {
    SysFreeString(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrHelpFile);
  }
};

std::wstring Describe(const wchar_t* objectName, const wchar_t* property, HRESULT hr, const ExcepInfo& excep) {
  std::wstring text = L"Reading " + std::wstring(objectName) + L"." + property + L" failed";
  if (excep.bstrDescription && SysStringLen(excep.bstrDescription) > 0) {
    text += L": " + std::wstring(excep.bstrDescription, SysStringLen(excep.bstrDescription));
  } else if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) {
    text += L": the object has no such property.";
  } else {
    text += L".";
  }
  return text;
}

}  // namespace

void ReadPropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, VARIANT* out) {
  ComPtr<IDispatchEx> ex;
  if (FAILED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(ex.Put())))) ex.Reset();
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr;
  if (ex) {
    // Script class instances answer GetIDsOfNames with E_NOTIMPL: their
    // answer here is final.
    Bstr n(name);
    hr = ex->GetDispID(n.Get(), fdexNameCaseInsensitive, &id);
  } else {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  }
  ExcepInfo excep;
  if (SUCCEEDED(hr)) {
    DISPPARAMS none{};
    VariantInit(out);
    constexpr WORD kGet = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    hr = ex ? ex->InvokeEx(id, LOCALE_USER_DEFAULT, kGet, &none, out, &excep, nullptr)
            : object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kGet, &none, out, &excep, nullptr);
  }
  if (SUCCEEDED(hr)) return;
  if (hr == DISP_E_EXCEPTION) {
    if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    // The object's own error, as a late-bound caller would see it.
    if (excep.scode != S_OK) hr = excep.scode;
    else if (excep.wCode != 0) hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep.wCode);
  }
  throw ComError(hr, Describe(objectName, name, hr, excep));
}

AppIdentity ReadAppIdentity(IDispatch** appObject) {
  IDispatch* app = appObject ? *appObject : nullptr;
  if (!app) throw ComError(kObjectNotSet, L"AppObject is Nothing: pass the program's application object.");
  struct Property { const wchar_t* name; VARTYPE type; };
  const Property properties[] = {{L"Title", VT_BSTR}, {L"Major", VT_I4}, {L"Minor", VT_I4}};
  Variant values[3];
  for (int i = 0; i < 3; ++i) ReadPropertyByName(app, L"AppObject", properties[i].name, values[i].Get());
  for (int i : {2, 1, 0}) {  // the numbers first, then the title, as the runtime converts them
    if (HRESULT hr = VariantChangeType(values[i].Get(), values[i].Get(), 0, properties[i].type); FAILED(hr)) {
      throw ComError(hr, L"AppObject." + std::wstring(properties[i].name) + L" does not convert: " +
                             (i == 0 ? L"a text is needed." : L"a 32-bit whole number is needed."));
    }
  }
  AppIdentity id;
  const BSTR title = V_BSTR(values[0].Get());
  id.title.assign(title ? title : L"", SysStringLen(title));
  id.major = V_I4(values[1].Get());
  id.minor = V_I4(values[2].Get());
  return id;
}

}  // namespace orv

#include "server/caller_object.h"

#include <dispex.h>

#include "server/com_error.h"
#include "support/com_types.h"

namespace orv {
namespace {

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
    if (excep.scode != S_OK)
      hr = excep.scode;
    else if (excep.wCode != 0)
      hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep.wCode);
  }
  throw ComError(hr, Describe(objectName, name, hr, excep));
}

}  // namespace orv

namespace orv {
namespace {

// The object's own error when it raised one, else the call's.
HRESULT RaisedBy(HRESULT hr, ExcepInfo* excep) {
  if (hr != DISP_E_EXCEPTION) return hr;
  if (excep->pfnDeferredFillIn) excep->pfnDeferredFillIn(excep);
  if (excep->scode != S_OK) return excep->scode;
  if (excep->wCode != 0) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep->wCode);
  return hr;
}

std::wstring DescribeWrite(const wchar_t* objectName, const wchar_t* property, HRESULT hr, const ExcepInfo& excep) {
  std::wstring text = L"Writing " + std::wstring(objectName) + L"." + property + L" failed";
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

void WritePropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, const VARIANT& value) {
  ComPtr<IDispatchEx> ex;
  if (FAILED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(ex.Put())))) ex.Reset();
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr;
  if (ex) {
    // Script class instances answer GetIDsOfNames with E_NOTIMPL.
    Bstr n(name);
    hr = ex->GetDispID(n.Get(), fdexNameCaseInsensitive, &id);
  } else {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  }
  ExcepInfo excep;
  if (SUCCEEDED(hr)) {
    // The callee only reads its arguments; a shallow copy lends it the value.
    VARIANT arg = value;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &putId, 1, 1};
    hr =
        ex ? ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, &excep, nullptr)
           : object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, &excep, nullptr);
  }
  if (SUCCEEDED(hr)) return;
  hr = RaisedBy(hr, &excep);
  throw ComError(hr, DescribeWrite(objectName, name, hr, excep));
}

}  // namespace orv

#include "server/caller_object.h"

#include <dispex.h>

#include <cstdint>

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

// Handles carry 32 significant bits; Windows sign-extends them to 64.
HWND Handle32(std::int32_t value) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(value)); }

HWND Handle64(LONGLONG value) {
  if (value >= INT32_MIN && value <= UINT32_MAX) return Handle32(static_cast<std::int32_t>(value));
  if constexpr (sizeof(HWND) < sizeof(value)) return nullptr;  // names no window of a 32-bit process
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(value));
}

}  // namespace

HWND ReadWindowHandle(IDispatch* object, const wchar_t* objectName, const wchar_t* name) {
  Variant value;
  ReadPropertyByName(object, objectName, name, value.Get());
  VARIANT* v = value.Get();
  if (V_VT(v) & VT_BYREF) {  // a property that hands back a reference: take its value
    Check(VariantCopyInd(v, v), L"The window handle could not be read.");
  }
  switch (V_VT(v)) {
    case VT_I1: return Handle32(V_I1(v));
    case VT_UI1: return Handle32(V_UI1(v));
    case VT_I2: return Handle32(V_I2(v));
    case VT_UI2: return Handle32(V_UI2(v));
    case VT_I4: return Handle32(V_I4(v));
    case VT_INT: return Handle32(V_INT(v));
    case VT_UI4: return Handle32(static_cast<std::int32_t>(V_UI4(v)));
    case VT_UINT: return Handle32(static_cast<std::int32_t>(V_UINT(v)));
    case VT_I8: return Handle64(V_I8(v));
    case VT_UI8: return Handle64(static_cast<LONGLONG>(V_UI8(v)));  // the same 64 bits
    default: break;
  }
  if (HRESULT hr = VariantChangeType(v, v, 0, VT_I8); FAILED(hr)) {
    throw ComError(hr, std::wstring(objectName) + L"." + name + L" is no window handle: a whole number is needed.");
  }
  return Handle64(V_I8(v));
}

}  // namespace orv

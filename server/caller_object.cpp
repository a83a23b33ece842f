#include "server/caller_object.h"

#include <dispex.h>

#include <cstdint>

#include "server/com_error.h"
#include "support/com_types.h"

namespace orv {
namespace {

std::wstring Describe(const wchar_t* verb, const wchar_t* objectName, const wchar_t* property, HRESULT hr,
                      const ExcepInfo& excep) {
  std::wstring text = verb + std::wstring(objectName) + L"." + property + L" failed";
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

namespace {

// A member of a caller's object, found by name: through IDispatchEx where
// the object offers it (script class instances answer GetIDsOfNames with
// E_NOTIMPL), GetIDsOfNames otherwise.
struct Member {
  ComPtr<IDispatchEx> ex;
  DISPID id = DISPID_UNKNOWN;
};

// A caller's object reports through EXCEPINFO; whatever error information a
// failed call also left is dropped, so no later failure mistakes it for its own.
HRESULT Forgetting(HRESULT hr) {
  if (FAILED(hr)) ClearErrorInfo();
  return hr;
}

HRESULT FindMember(IDispatch* object, const wchar_t* name, Member* member) {
  if (SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(member->ex.Put())))) {
    const Bstr n = MakeBstr(name);
    // VBScript names ignore case; JScript's may honour only an exact match.
    HRESULT hr = Forgetting(member->ex->GetDispID(n.Get(), fdexNameCaseInsensitive, &member->id));
    if (FAILED(hr)) hr = Forgetting(member->ex->GetDispID(n.Get(), fdexNameCaseSensitive, &member->id));
    return hr;
  }
  member->ex.Reset();
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return Forgetting(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member->id));
}

HRESULT InvokeMember(IDispatch* object, const Member& m, WORD flags, DISPPARAMS* params, VARIANT* result,
                     ExcepInfo* excep) {
  return Forgetting(m.ex ? m.ex->InvokeEx(m.id, LOCALE_USER_DEFAULT, flags, params, result, excep, nullptr)
                         : object->Invoke(m.id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, excep, nullptr));
}

// The object's own error, as a late-bound caller would see it.
HRESULT ObjectError(HRESULT hr, ExcepInfo& excep) {
  if (hr != DISP_E_EXCEPTION) return hr;
  if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
  if (excep.scode != S_OK) return excep.scode;
  if (excep.wCode != 0) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep.wCode);
  return hr;
}

}  // namespace

void ReadPropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, VARIANT* out) {
  Member member;
  HRESULT hr = FindMember(object, name, &member);
  ExcepInfo excep;
  if (SUCCEEDED(hr)) {
    DISPPARAMS none{};
    VariantInit(out);
    // A script object's plain property is read with a get alone: JScript
    // would call its value as a function when asked for a method too.
    // Members that only answer a call are called.
    hr = member.ex ? InvokeMember(object, member, DISPATCH_PROPERTYGET, &none, out, &excep) : DISP_E_MEMBERNOTFOUND;
    if (hr == DISP_E_MEMBERNOTFOUND) {
      hr = InvokeMember(object, member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, out, &excep);
    }
  }
  if (SUCCEEDED(hr)) return;
  hr = ObjectError(hr, excep);
  throw ComError(hr, Describe(L"Reading ", objectName, name, hr, excep));
}

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
    ThrowIfFailed(VariantCopyInd(v, v), L"The window handle could not be read.");
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

void WritePropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, const VARIANT& value) {
  Member member;
  HRESULT hr = FindMember(object, name, &member);
  ExcepInfo excep;
  if (SUCCEEDED(hr)) {
    // The callee only reads its arguments; a shallow copy lends it the value.
    VARIANT arg = value;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &putId, 1, 1};
    hr = InvokeMember(object, member, DISPATCH_PROPERTYPUT, &params, nullptr, &excep);
  }
  if (SUCCEEDED(hr)) return;
  hr = ObjectError(hr, excep);
  throw ComError(hr, Describe(L"Writing ", objectName, name, hr, excep));
}

}  // namespace orv

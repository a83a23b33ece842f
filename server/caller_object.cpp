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

namespace {

// A member of a caller's object, found by name: through IDispatchEx where
// the object offers it (script class instances answer GetIDsOfNames with
// E_NOTIMPL), GetIDsOfNames otherwise.
struct Member {
  ComPtr<IDispatchEx> ex;
  DISPID id = DISPID_UNKNOWN;
};

HRESULT FindMember(IDispatch* object, const wchar_t* name, Member* member) {
  if (SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(member->ex.Put())))) {
    const Bstr n = MakeBstr(name);
    // VBScript names ignore case; JScript's may honour only an exact match.
    HRESULT hr = member->ex->GetDispID(n.Get(), fdexNameCaseInsensitive, &member->id);
    if (FAILED(hr)) hr = member->ex->GetDispID(n.Get(), fdexNameCaseSensitive, &member->id);
    return hr;
  }
  member->ex.Reset();
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member->id);
}

HRESULT InvokeMember(IDispatch* object, const Member& m, WORD flags, DISPPARAMS* params, VARIANT* result,
                     ExcepInfo* excep) {
  return m.ex ? m.ex->InvokeEx(m.id, LOCALE_USER_DEFAULT, flags, params, result, excep, nullptr)
              : object->Invoke(m.id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, excep, nullptr);
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
  throw ComError(hr, Describe(objectName, name, hr, excep));
}

}  // namespace orv

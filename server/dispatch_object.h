// The base every automation class of the library reuses: IDispatch served
// from the type library and ISupportErrorInfo, on the one COM object base,
// counted as a live object of the module.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <new>

#include "server/module.h"
#include "server/script_arguments.h"
#include "support/com_object.h"
#include "support/com_types.h"

namespace orv {

template <class Itf>
class DispatchObject : public ComObject<module::Counted, Itf, ISupportErrorInfo> {
 public:
  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const InterfaceInfo* cached = nullptr;
    if (HRESULT hr = Cached(&cached); FAILED(hr)) return hr;
    *info = cached->typeInfo.Get();
    (*info)->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const InterfaceInfo* cached = nullptr;
    if (HRESULT hr = Cached(&cached); FAILED(hr)) return hr;
    return DispGetIDsOfNames(cached->typeInfo.Get(), names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                      UINT* argErr) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const InterfaceInfo* cached = nullptr;
    if (HRESULT hr = Cached(&cached); FAILED(hr)) return hr;
    ITypeInfo* info = cached->typeInfo.Get();
    DISPPARAMS none{};
    if (!params) params = &none;
    // A get of a method that needs no argument is a call, as automation
    // objects conventionally answer it.
    if (flags == DISPATCH_PROPERTYGET && cached->members.IsCallableWithoutArguments(id)) flags |= DISPATCH_METHOD;
    // Arrays that point nowhere, or more names than arguments, are refused
    // here: the type library's Invoke would read through them and crash.
    if ((params->cArgs > 0 && !params->rgvarg) || (params->cNamedArgs > 0 && !params->rgdispidNamedArgs) ||
        params->cNamedArgs > params->cArgs) {
      return E_INVALIDARG;
    }
    const MemberRule* member = cached->members.Find(id, flags);
    // A member not found is the type library's Invoke to answer.
    if (!member || params->cArgs == 0) {
      return info->Invoke(static_cast<Itf*>(this), id, flags, params, result, excep, argErr);
    }
    // Wine's Invoke would call with the first arguments and drop the rest.
    if (HasTooManyArguments(*member, params->cArgs)) return DISP_E_BADPARAMCOUNT;
    // Wine's Invoke passes over a name that is no parameter; Windows' refuses it.
    if (UINT named = 0; NamesNoParameter(*member, flags, *params, &named)) {
      if (argErr) *argErr = named;
      return DISP_E_PARAMNOTFOUND;
    }
    try {
      ScriptArguments args(*member, *params);
      // Callers learn from puArgErr which argument was wrong. Windows' Invoke
      // names it; Wine's leaves it as it was, so we name it ourselves then.
      constexpr UINT kUnnamed = ~0u;
      const UINT callers = argErr ? *argErr : 0;
      if (argErr) *argErr = kUnnamed;
      const HRESULT hr = info->Invoke(static_cast<Itf*>(this), id, flags, args.Get(), result, excep, argErr);
      if (argErr && *argErr == kUnnamed) {
        *argErr = callers;
        if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) FindBadArgument(*member, *args.Get(), hr, argErr);
      }
      return hr;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return (riid == __uuidof(Itf) || AnswersAlso(riid)) ? S_OK : S_FALSE;
  }

 protected:
  DispatchObject() = default;

  void* Find(REFIID riid) override {
    if (riid == IID_IDispatch || AnswersAlso(riid)) return static_cast<Itf*>(this);
    return ComObject<module::Counted, Itf, ISupportErrorInfo>::Find(riid);
  }

  // Further interface identifiers answered with the same interface.
  virtual bool AnswersAlso(REFIID) const { return false; }

  // The enumerations of this interface whose values run past 2^31 (late-bound
  // callers may send them as unsigned numbers).
  virtual std::span<const std::wstring_view> UnsignedEnumerations() const { return {}; }

 private:
  // The interface's type information and member table, loaded at the first
  // call that needs them (borrowed: kept until the module can unload).
  HRESULT Cached(const InterfaceInfo** out) const {
    static InterfaceInfo* slot = nullptr;
    return module::CachedInterface(__uuidof(Itf), UnsignedEnumerations(), &slot, out);
  }
};

}  // namespace orv

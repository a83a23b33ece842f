// A caller's proxy settings object for the tests and the benchmark:
// properties by name with get and put, found through GetIDsOfNames, or only
// through IDispatchEx as a script class instance is under Wine. One property
// may be made to raise on get or on put.
#pragma once
#include <windows.h>
#include <dispex.h>

#include <map>
#include <string>
#include <vector>

#include "support/com_types.h"

namespace orv::test {

inline constexpr HRESULT kProxyRaised = static_cast<HRESULT>(0x800A0046);  // "Permission denied"

class ProxyObject final : public IDispatchEx {
 public:
  enum class Access { kGet, kPut };

  static ComPtr<ProxyObject> Make(const std::vector<std::wstring>& names, bool scriptLike = false) {
    auto p = ComPtr<ProxyObject>::Attach(new ProxyObject(scriptLike));
    for (const auto& n : names) p->Set(n, Variant::Text(L"unset"));
    return p;
  }

  void Set(const std::wstring& name, Variant value) { props_[Upper(name)] = std::move(value); }
  void Remove(const std::wstring& name) { props_.erase(Upper(name)); }
  const VARIANT* Get(const std::wstring& name) const {
    auto it = props_.find(Upper(name));
    return it == props_.end() ? nullptr : it->second.Get();
  }
  void RaiseOn(const std::wstring& name, Access access) {
    raiseName_ = Upper(name);
    raiseAccess_ = access;
  }
  // "get NAME" and "put NAME" in call order, upper-cased.
  const std::vector<std::wstring>& Log() const { return log_; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || (scriptLike_ && iid == __uuidof(IDispatchEx))) {
      *out = static_cast<IDispatchEx*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG r = --refs_;
    if (r == 0) delete this;
    return r;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (scriptLike_) return E_NOTIMPL;
    return count == 1 ? Find(names[0], ids) : E_INVALIDARG;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                      UINT*) override {
    return InvokeEx(id, 0, flags, params, result, excep, nullptr);
  }
  STDMETHODIMP GetDispID(BSTR name, DWORD, DISPID* id) override { return Find(name, id); }
  STDMETHODIMP InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                        IServiceProvider*) override {
    if (id < 1 || id > static_cast<DISPID>(order_.size())) return DISP_E_MEMBERNOTFOUND;
    const std::wstring& name = order_[id - 1];
    auto it = props_.find(name);
    if (it == props_.end()) return DISP_E_MEMBERNOTFOUND;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    if (!put && !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    // A put names its value DISPID_PROPERTYPUT, as the automation rules want.
    if (put && (!params || params->cArgs != 1 || params->cNamedArgs != 1 ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
      return DISP_E_PARAMNOTOPTIONAL;
    }
    log_.push_back((put ? L"put " : L"get ") + name);
    if (name == raiseName_ && put == (raiseAccess_ == Access::kPut)) {
      if (excep) {
        *excep = EXCEPINFO{};
        excep->scode = kProxyRaised;
        excep->bstrDescription = SysAllocString((L"The " + name + L" property refuses access.").c_str());
      }
      return DISP_E_EXCEPTION;
    }
    if (put) return VariantCopyInd(it->second.Put(), &params->rgvarg[0]);
    return result ? VariantCopy(result, it->second.Get()) : S_OK;
  }
  STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

 private:
  explicit ProxyObject(bool scriptLike) : scriptLike_(scriptLike) {}
  static std::wstring Upper(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(towupper(c));
    return s;
  }
  HRESULT Find(const wchar_t* name, DISPID* id) {
    const std::wstring key = Upper(name ? name : L"");
    *id = DISPID_UNKNOWN;
    if (!props_.count(key)) return DISP_E_UNKNOWNNAME;
    for (std::size_t i = 0; i < order_.size(); ++i) {
      if (order_[i] == key) return *id = static_cast<DISPID>(i + 1), S_OK;
    }
    order_.push_back(key);
    *id = static_cast<DISPID>(order_.size());
    return S_OK;
  }

  bool scriptLike_;
  ULONG refs_ = 1;
  std::map<std::wstring, Variant> props_;
  std::vector<std::wstring> order_;  // DISPID - 1 -> name
  std::vector<std::wstring> log_;
  std::wstring raiseName_;
  Access raiseAccess_ = Access::kGet;
};

}  // namespace orv::test

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
#include "tests/common/named_object.h"

namespace orv::test {

inline constexpr HRESULT kProxyRaised = static_cast<HRESULT>(0x800A0046);  // "Permission denied"

class ProxyObject final : public NamedObject<Variant> {
 public:
  enum class Access { kGet, kPut };

  static ComPtr<ProxyObject> Make(const std::vector<std::wstring>& names, bool scriptLike = false) {
    auto p = ComPtr<ProxyObject>::Attach(new ProxyObject(scriptLike));
    for (const auto& n : names) p->Set(n, Variant::Text(L"unset"));
    return p;
  }

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

 private:
  explicit ProxyObject(bool scriptLike) : NamedObject(scriptLike) {}

  HRESULT Answer(const std::wstring& name, Variant* value, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excep) override {
    if (!value) return DISP_E_MEMBERNOTFOUND;
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
    if (put) return VariantCopyInd(value->Put(), &params->rgvarg[0]);
    return result ? VariantCopy(result, value->Get()) : S_OK;
  }

  std::vector<std::wstring> log_;
  std::wstring raiseName_;
  Access raiseAccess_ = Access::kGet;
};

}  // namespace orv::test

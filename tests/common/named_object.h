// The base of the tests' stand-ins for callers' objects (application
// objects, forms, list views, proxy settings): properties found by name in
// a table. With `scriptLike` it behaves as a script class instance does
// under Wine: GetIDsOfNames answers E_NOTIMPL and names are found through
// IDispatchEx. Names ignore case; each name found gets the next DISPID.
#pragma once
#include <windows.h>
#include <dispex.h>

#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace orv::test {

template <class Value>
class NamedObject : public IDispatchEx {
 public:
  NamedObject(const NamedObject&) = delete;
  NamedObject& operator=(const NamedObject&) = delete;

  void Set(const std::wstring& name, Value value) { props_[Upper(name)] = std::move(value); }
  void Remove(const std::wstring& name) { props_.erase(Upper(name)); }

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
    return Answer(name, it == props_.end() ? nullptr : &it->second, flags, params, result, excep);
  }
  STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

 protected:
  explicit NamedObject(bool scriptLike) : scriptLike_(scriptLike) {}
  virtual ~NamedObject() = default;

  // A call of the property `name` (upper-cased); `value` is nullptr when the
  // property was removed after its DISPID was handed out.
  virtual HRESULT Answer(const std::wstring& name, Value* value, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excep) = 0;

  static std::wstring Upper(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
  }

  std::map<std::wstring, Value> props_;

 private:
  HRESULT Find(const wchar_t* name, DISPID* id) {
    const std::wstring key = Upper(name ? name : L"");
    *id = DISPID_UNKNOWN;
    if (!props_.count(key)) return DISP_E_UNKNOWNNAME;
    for (std::size_t i = 0; i < order_.size(); ++i) {
      if (order_[i] == key) {
        *id = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    order_.push_back(key);
    *id = static_cast<DISPID>(order_.size());
    return S_OK;
  }

  bool scriptLike_;
  ULONG refs_ = 1;
  std::vector<std::wstring> order_;  // DISPID - 1 -> name
};

}  // namespace orv::test

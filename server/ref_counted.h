// Reference counting for the library's plain COM objects (class factories,
// enumerators): one interface besides IUnknown, counted as a live object of
// the module while it exists.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "server/module.h"

namespace orv {

template <class Itf>
class RefCounted : public Itf {
 public:
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != __uuidof(Itf)) return E_NOINTERFACE;
    *ppv = static_cast<Itf*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG r = InterlockedDecrement(&refs_);
    if (r == 0) delete this;
    return static_cast<ULONG>(r);
  }

 protected:
  RefCounted() { module::ObjectCreated(); }
  virtual ~RefCounted() { module::ObjectDestroyed(); }

 private:
  LONG refs_ = 1;
};

}  // namespace orv

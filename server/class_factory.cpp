#include "server/class_factory.h"

#include <new>

#include "server/module.h"
#include "server/ref_counted.h"

namespace orv {
namespace {

class ClassFactory final : public RefCounted<IClassFactory> {
 public:
  explicit ClassFactory(CreateInstanceFn create) : create_(create) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      module::Lock();
    else
      module::Unlock();
    return S_OK;
  }

 private:
  CreateInstanceFn create_;
};

}  // namespace

HRESULT CreateClassFactory(CreateInstanceFn create, REFIID iid, void** out) {
  auto* factory = new (std::nothrow) ClassFactory(create);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

}  // namespace orv

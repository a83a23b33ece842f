#include "server/class_factory.h"

#include <new>

#include "server/module.h"
#include "support/com_object.h"

namespace orv {
namespace {

class ClassFactory final : public ComObject<module::Counted, IClassFactory> {
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
  try {
    return MakeObject<ClassFactory>(create)->QueryInterface(iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace orv

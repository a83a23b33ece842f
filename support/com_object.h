// The one base of every COM object we implement, in the library and in
// Quorlet: QueryInterface, AddRef and Release written once, and objects made
// by one function.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

#include "support/com_types.h"

namespace orv {

// For objects that count toward no module: Quorlet's.
struct Uncounted {
  static void Created() {}
  static void Destroyed() {}
};

// An object answering the interfaces `First, Rest...` (IUnknown with the
// first). `Count` is told when an object is made and destroyed: the DLL's
// count of live objects for DllCanUnloadNow.
template <class Count, class First, class... Rest>
class ComObject : public First, public Rest... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = Find(riid);
    if (!*ppv) return E_NOINTERFACE;
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
  ComObject() { Count::Created(); }
  virtual ~ComObject() { Count::Destroyed(); }

  // The interface pointer answered for `riid`, nullptr for none; a class
  // that answers further identifiers extends it.
  virtual void* Find(REFIID riid) {
    if (riid == IID_IUnknown) return static_cast<First*>(this);
    void* found = Match<First>(riid);
    ((found = found ? found : Match<Rest>(riid)), ...);
    return found;
  }

 private:
  template <class Itf>
  void* Match(REFIID riid) {
    return riid == __uuidof(Itf) ? static_cast<Itf*>(this) : nullptr;
  }

  LONG refs_ = 1;
};

// Makes an object with one reference, held by the returned pointer. A class
// with private constructors names this its friend.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
  return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

}  // namespace orv

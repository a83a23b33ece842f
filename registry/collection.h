// The collection handed out by GetValues and GetSubKeys: the automation
// runtime's _Collection (1-based Item, Count, Add without key, Remove and
// For Each in insertion order).
#pragma once
#include <vector>

#include "idl/brindle_idl.h"
#include "server/dispatch_object.h"

namespace orv {

class Collection final : public DispatchObject<_Collection> {
 public:
  static ComPtr<Collection> Create();

  // Appends an item (an object reference, or Nothing) from inside the library.
  void Append(IDispatch* item);

  STDMETHODIMP Item(VARIANT* Index, VARIANT* pvarRet) override;
  STDMETHODIMP Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) override;
  STDMETHODIMP Count(LONG* pi4) override;
  STDMETHODIMP Remove(VARIANT* Index) override;
  STDMETHODIMP _NewEnum(IUnknown** ppunk) override;

 private:
  template <class T, class... Args>
  friend ComPtr<T> MakeObject(Args&&... args);
  Collection() = default;
  std::vector<Variant> items_;
};

}  // namespace orv

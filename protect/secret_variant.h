// A VARIANT that may hold a password in plain text, such as a proxy
// object's password property. A string it holds is wiped before it is freed,
// on every path: when it is replaced, cleared or destroyed during unwinding.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string_view>
#include <utility>

#include "protect/secret_bytes.h"

namespace orv {

class SecretVariant {
 public:
  SecretVariant() { VariantInit(&v_); }
  SecretVariant(const SecretVariant&) = delete;
  SecretVariant& operator=(const SecretVariant&) = delete;
  SecretVariant(SecretVariant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
  SecretVariant& operator=(SecretVariant&& o) noexcept {
    std::swap(v_, o.v_);  // what this held is wiped with `o`
    return *this;
  }
  ~SecretVariant() { Clear(); }

  // Throws std::bad_alloc when the string cannot be made.
  static SecretVariant Text(std::wstring_view text) {
    SecretVariant v;
    V_BSTR(&v.v_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!V_BSTR(&v.v_)) throw std::bad_alloc();
    V_VT(&v.v_) = VT_BSTR;
    return v;
  }

  VARIANT* Put() {
    Clear();
    return &v_;
  }
  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }

 private:
  void Clear() noexcept {
    if (V_VT(&v_) == VT_BSTR && V_BSTR(&v_)) WipeMemory(V_BSTR(&v_), SysStringByteLen(V_BSTR(&v_)));
    VariantClear(&v_);
  }

  VARIANT v_;
};

}  // namespace orv

// Owning wrappers for the COM and Win32 resources the deliverables handle:
// interface pointers, BSTRs, VARIANTs, SAFEARRAYs and handles closed by a
// function (registry keys, GDI objects, local memory).
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace orv {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }  // NOLINT: shares the reference
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  // Takes over a pointer to a class that implements T.
  template <class U>
  ComPtr(ComPtr<U>&& o) noexcept : p_(o.Detach()) {}  // NOLINT: as a T* takes a U*
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Takes over a reference the caller already owns.
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (auto p = std::exchange(p_, nullptr)) p->Release();
  }
  T** Put() {
    Reset();
    return &p_;
  }
  // For [in, out] parameters: the callee may release what is there and
  // leave a new reference, which this pointer then owns.
  T** InOut() { return &p_; }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  HRESULT As(ComPtr<U>* out) const {
    return p_ ? p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(out->Put())) : E_POINTER;
  }
  // Hands out a new reference, as [out] parameters expect.
  T* CopyOut() const {
    if (p_) p_->AddRef();
    return p_;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* s) : b_(SysAllocString(s)) {}
  Bstr(const wchar_t* s, UINT len) : b_(SysAllocStringLen(s, len)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr&& o) noexcept {
    std::swap(b_, o.b_);
    return *this;
  }
  ~Bstr() { SysFreeString(b_); }

  static Bstr Attach(BSTR b) {
    Bstr r;
    r.b_ = b;
    return r;
  }
  BSTR Detach() { return std::exchange(b_, nullptr); }
  BSTR* Put() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  BSTR Get() const { return b_; }
  UINT Length() const { return SysStringLen(b_); }

 private:
  BSTR b_ = nullptr;
};

// The whole text of a BSTR, embedded NULs included; "" for a null BSTR.
inline std::wstring Text(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

// A BSTR of the text; throws std::bad_alloc when it cannot be made.
inline Bstr MakeBstr(std::wstring_view text) {
  Bstr b(text.data(), static_cast<UINT>(text.size()));
  if (!b.Get()) throw std::bad_alloc();
  return b;
}

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
  Variant& operator=(Variant&& o) noexcept {
    std::swap(v_, o.v_);
    return *this;
  }
  ~Variant() { VariantClear(&v_); }

  static Variant I4(LONG value) {
    Variant v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = value;
    return v;
  }
  static Variant I2(SHORT value) {
    Variant v;
    V_VT(&v.v_) = VT_I2;
    V_I2(&v.v_) = value;
    return v;
  }
  static Variant Bool(bool value) {
    Variant v;
    V_VT(&v.v_) = VT_BOOL;
    V_BOOL(&v.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  // Throws std::bad_alloc when the string cannot be made.
  static Variant Text(std::wstring_view text) {
    Variant v;
    V_BSTR(&v.v_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!V_BSTR(&v.v_)) throw std::bad_alloc();
    V_VT(&v.v_) = VT_BSTR;
    return v;
  }

  VARIANT* Put() {
    VariantClear(&v_);
    return &v_;
  }
  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }
  VARIANT Detach() {
    VARIANT r = v_;
    VariantInit(&v_);
    return r;
  }

 private:
  VARIANT v_;
};

class SafeArray {
 public:
  SafeArray() = default;
  explicit SafeArray(SAFEARRAY* a) : a_(a) {}
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  SafeArray(SafeArray&& o) noexcept : a_(std::exchange(o.a_, nullptr)) {}
  SafeArray& operator=(SafeArray&& o) noexcept {
    std::swap(a_, o.a_);
    return *this;
  }
  ~SafeArray() {
    if (a_) SafeArrayDestroy(a_);
  }

  SAFEARRAY* Get() const { return a_; }
  SAFEARRAY* Detach() { return std::exchange(a_, nullptr); }

 private:
  SAFEARRAY* a_ = nullptr;
};

// Data of a SAFEARRAY, accessed for the lifetime of the object.
class SafeArrayAccess {
 public:
  explicit SafeArrayAccess(SAFEARRAY* a) : a_(a) {
    if (a_ && FAILED(SafeArrayAccessData(a_, &data_))) a_ = nullptr;
  }
  SafeArrayAccess(const SafeArrayAccess&) = delete;
  SafeArrayAccess& operator=(const SafeArrayAccess&) = delete;
  ~SafeArrayAccess() {
    if (a_) SafeArrayUnaccessData(a_);
  }
  bool Ok() const { return a_ != nullptr; }
  void* Data() const { return data_; }

 private:
  SAFEARRAY* a_;
  void* data_ = nullptr;
};

// Owns the strings an Invoke may leave in an EXCEPINFO.
struct ExcepInfo : EXCEPINFO {
  ExcepInfo() : EXCEPINFO{} {}
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  ~ExcepInfo() {
    SysFreeString(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrHelpFile);
  }
};

// Owns a handle that `Close` releases; a default-constructed H means none.
template <class H, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    Reset(o.Detach());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  H Get() const { return h_; }
  H* Put() {
    Reset();
    return &h_;
  }
  H Detach() { return std::exchange(h_, H{}); }
  void Reset(H h = H{}) {
    if (H old = std::exchange(h_, h); old != H{}) Close(old);
  }
  explicit operator bool() const { return h_ != H{}; }

 private:
  H h_{};
};

inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }

using RegKeyHandle = UniqueHandle<HKEY, &RegCloseKey>;
using FontHandle = UniqueHandle<HFONT, &DeleteObject>;
using ScreenDcHandle = UniqueHandle<HDC, &ReleaseScreenDc>;
using LocalMemory = UniqueHandle<HLOCAL, &LocalFree>;

}  // namespace orv

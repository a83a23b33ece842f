// What the settings tests share: the server, unique application titles that
// are removed afterwards, direct Win32 access to the stored values, VARIANT
// builders, and a C++ application object.
#pragma once
#include <windows.h>
#include <dispex.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "idl/brindle_idl.h"
#include "support/com_types.h"
#include "tests/common/named_object.h"
#include "tests/common/raw_registry.h"
#include "tests/common/server_loader.h"

namespace orv::test {

inline constexpr wchar_t kFamilyKey[] = L"Software\\Larkspur Forge\\Orvane";
inline constexpr VARIANT_BOOL kGarbage = 0x1234;  // what an untouched flag still holds

inline std::wstring Str(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
inline std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
  return s;
}

// Every title a test uses starts with this, so one sweep removes them all.
inline std::wstring TitlePrefix() { return L"OrvaneTest " + std::to_wstring(GetCurrentProcessId()) + L" "; }

// Removes the keys of this process's titles under both roots.
inline void RemoveTestTitles() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY family;
    if (RegOpenKeyExW(root, kFamilyKey, 0, KEY_READ, &family) != ERROR_SUCCESS) continue;
    std::vector<std::wstring> doomed;
    for (DWORD i = 0;; ++i) {
      wchar_t name[512];
      DWORD len = 512;
      if (RegEnumKeyExW(family, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (std::wstring(name, len).rfind(TitlePrefix(), 0) == 0) doomed.emplace_back(name, len);
    }
    for (const auto& n : doomed) RegDeleteTreeW(family, n.c_str());
    for (const auto& n : doomed) RegDeleteKeyW(family, n.c_str());
    RegCloseKey(family);
    // The family keys go too when nothing else lives there.
    RegDeleteKeyW(root, kFamilyKey);
    RegDeleteKeyW(root, L"Software\\Larkspur Forge");
  }
}

// --- Direct registry access ---------------------------------------------------

inline void PutSz(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  Put(root, path, name, REG_SZ, Sz(text));
}
inline void PutDword(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t v) {
  Put(root, path, name, REG_DWORD, Dword(v));
}

// --- VARIANT arguments ----------------------------------------------------------

// A VARIANT argument that owns what it refers to, so references stay valid
// while the argument lives.
class Arg {
 public:
  Arg() = default;
  VARIANT* Get() { return v_.Get(); }
  const VARIANT& operator*() const { return *v_.Get(); }

  static Arg Of(VARTYPE vt) {
    Arg a;
    std::memset(a.v_.Get(), 0, sizeof(VARIANT));  // a reference made here points nowhere
    V_VT(a.v_.Get()) = vt;
    return a;
  }
  static Arg I4(LONG n) {
    Arg a = Of(VT_I4);
    V_I4(a.Get()) = n;
    return a;
  }
  static Arg I2(SHORT n) {
    Arg a = Of(VT_I2);
    V_I2(a.Get()) = n;
    return a;
  }
  static Arg Ui1(BYTE n) {
    Arg a = Of(VT_UI1);
    V_UI1(a.Get()) = n;
    return a;
  }
  static Arg R8(double d) {
    Arg a = Of(VT_R8);
    V_R8(a.Get()) = d;
    return a;
  }
  static Arg Bool(bool b) {
    Arg a = Of(VT_BOOL);
    V_BOOL(a.Get()) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return a;
  }
  static Arg Error(SCODE s) {
    Arg a = Of(VT_ERROR);
    V_ERROR(a.Get()) = s;
    return a;
  }
  static Arg Missing() { return Error(DISP_E_PARAMNOTFOUND); }
  static Arg Text(const std::wstring& t) {
    Arg a = Of(VT_BSTR);
    V_BSTR(a.Get()) = SysAllocStringLen(t.data(), static_cast<UINT>(t.size()));
    return a;
  }
  static Arg Bytes(const std::vector<BYTE>& bytes) {
    Arg a = Of(VT_ARRAY | VT_UI1);
    SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!bytes.empty()) {
      SafeArrayAccess access(sa);
      std::copy(bytes.begin(), bytes.end(), static_cast<BYTE*>(access.Data()));
    }
    V_ARRAY(a.Get()) = sa;
    return a;
  }
  static Arg Object(IUnknown* p, VARTYPE vt = VT_DISPATCH) {
    Arg a = Of(vt);
    V_UNKNOWN(a.Get()) = p;
    if (p) p->AddRef();
    return a;
  }
  // VT_BYREF|VT_VARIANT around `inner`, as a script variable arrives; or,
  // with asVariant false, VT_BYREF of inner's own type, as a typed variable.
  static Arg Ref(Arg inner, bool asVariant = true) {
    Arg a;
    a.target_ = std::make_unique<Arg>(std::move(inner));
    if (asVariant) {
      V_VT(a.Get()) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(a.Get()) = a.target_->Get();
    } else {
      V_VT(a.Get()) = VT_BYREF | V_VT(a.target_->Get());
      V_BYREF(a.Get()) = &V_UI1(a.target_->Get());  // every member of the union starts here
    }
    return a;
  }
  const VARIANT* Target() const { return target_ ? target_->v_.Get() : nullptr; }

 private:
  Variant v_;
  std::unique_ptr<Arg> target_;
};

// Whether two VARIANTs hold the same type and value (byte arrays and texts by
// content, objects by identity).
inline bool SameVariant(const VARIANT& a, const VARIANT& b) {
  if (V_VT(&a) != V_VT(&b)) return false;
  switch (V_VT(&a)) {
    case VT_EMPTY:
    case VT_NULL: return true;
    case VT_I2: return V_I2(&a) == V_I2(&b);
    case VT_I4: return V_I4(&a) == V_I4(&b);
    case VT_UI1: return V_UI1(&a) == V_UI1(&b);
    case VT_BOOL: return V_BOOL(&a) == V_BOOL(&b);
    case VT_ERROR: return V_ERROR(&a) == V_ERROR(&b);
    case VT_R8: return V_R8(&a) == V_R8(&b);
    case VT_BSTR: return Str(V_BSTR(&a)) == Str(V_BSTR(&b));
    case VT_DISPATCH:
    case VT_UNKNOWN: return V_UNKNOWN(&a) == V_UNKNOWN(&b);
    case VT_ARRAY | VT_UI1: {
      SAFEARRAY *x = V_ARRAY(&a), *y = V_ARRAY(&b);
      if (!x || !y) return x == y;
      if (x->cDims != 1 || y->cDims != 1 || x->rgsabound[0].cElements != y->rgsabound[0].cElements) return false;
      SafeArrayAccess ax(x), ay(y);
      return std::equal(static_cast<BYTE*>(ax.Data()), static_cast<BYTE*>(ax.Data()) + x->rgsabound[0].cElements,
                        static_cast<BYTE*>(ay.Data()));
    }
    default: return false;
  }
}

inline std::string Describe(const VARIANT& v) {
  std::string s = "vt=" + std::to_string(V_VT(&v));
  switch (V_VT(&v)) {
    case VT_I4: return s + " " + std::to_string(V_I4(&v));
    case VT_I2: return s + " " + std::to_string(V_I2(&v));
    case VT_BOOL: return s + " " + std::to_string(V_BOOL(&v));
    case VT_BSTR: return s + " '" + Narrow(Str(V_BSTR(&v))) + "'";
    default: return s;
  }
}

// The description the last failing call left for this thread.
inline std::wstring LastErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return L"";
  Bstr d;
  info->GetDescription(d.Put());
  return Str(d.Get());
}

// --- An application object -------------------------------------------------------

// Answers properties by name from a table. With `scriptLike` it behaves as a
// script class instance does under Wine: GetIDsOfNames answers E_NOTIMPL and
// names are found through IDispatchEx. A property whose value is VT_ERROR
// raises that error when read, with a description.
class TestAppObject final : public NamedObject<Arg> {
 public:
  explicit TestAppObject(bool scriptLike = false) : NamedObject(scriptLike) {}
  static ComPtr<TestAppObject> Make(const std::wstring& title, LONG major, LONG minor, bool scriptLike = false) {
    auto app = ComPtr<TestAppObject>::Attach(new TestAppObject(scriptLike));
    app->Set(L"Title", Arg::Text(title));
    app->Set(L"Major", Arg::I4(major));
    app->Set(L"Minor", Arg::I4(minor));
    return app;
  }

  const std::vector<std::wstring>& Reads() const { return reads_; }

 private:
  HRESULT Answer(const std::wstring& name, Arg* value, WORD flags, DISPPARAMS*, VARIANT* result,
                 EXCEPINFO* excep) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    reads_.push_back(name);
    if (!value) return DISP_E_MEMBERNOTFOUND;
    const VARIANT& v = **value;
    if (V_VT(&v) == VT_ERROR) {
      if (excep) {
        *excep = EXCEPINFO{};
        excep->scode = V_ERROR(&v);
        excep->bstrSource = SysAllocString(L"TestAppObject");
        excep->bstrDescription = SysAllocString((L"The " + name + L" property cannot be read now.").c_str());
      }
      return DISP_E_EXCEPTION;
    }
    return result ? VariantCopy(result, const_cast<VARIANT*>(&v)) : S_OK;
  }

  std::vector<std::wstring> reads_;
};

// --- The fixture ---------------------------------------------------------------

class SettingsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    loader_ = new ServerLoader();
  }
  static void TearDownTestSuite() {
    RemoveTestTitles();
    delete loader_;
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_TRUE(loader_->Loaded()) << "Brindle0200.dll next to the test";
    ASSERT_EQ(loader_->Create(CLSID_orvOrvaneSettings2, &store_), S_OK);
    title_ = Title(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { RemoveTestTitles(); }

  static std::wstring Title(const std::string& tag) { return TitlePrefix() + std::wstring(tag.begin(), tag.end()); }
  static std::wstring AppKey(const std::wstring& title) { return std::wstring(kFamilyKey) + L"\\" + title; }
  std::wstring VersionKey(const std::wstring& version, const std::wstring& sub = L"") const {
    std::wstring p = AppKey(title_) + L"\\" + version;
    return sub.empty() ? p : p + L"\\" + sub;
  }

  // LoadSetting with the fixture's title; `ok` gets the success flag.
  Variant Load(const std::wstring& sub, const std::wstring& name, LONG type, Arg def, VARIANT_BOOL* ok, LONG major = 1,
               LONG minor = 2, VARIANT_BOOL user = VARIANT_TRUE, HRESULT expect = S_OK) {
    return LoadAs(title_, sub, name, type, std::move(def), ok, major, minor, user, expect);
  }
  Variant LoadAs(const std::wstring& title, const std::wstring& sub, const std::wstring& name, LONG type, Arg def,
                 VARIANT_BOOL* ok, LONG major = 1, LONG minor = 2, VARIANT_BOOL user = VARIANT_TRUE,
                 HRESULT expect = S_OK) {
    Variant out;
    Bstr s(sub.data(), static_cast<UINT>(sub.size())), n(name.data(), static_cast<UINT>(name.size()));
    Bstr t(title.data(), static_cast<UINT>(title.size()));
    EXPECT_EQ(store_->LoadSetting(s.Get(), n.Get(), static_cast<SettingDataType_Const>(type), *def, t.Get(), major,
                                  minor, user, ok, out.Get()),
              expect);
    return out;
  }
  // SaveSetting with the fixture's title; answers the success flag.
  VARIANT_BOOL Save(const std::wstring& sub, const std::wstring& name, LONG type, Arg value, LONG major = 1,
                    LONG minor = 2, VARIANT_BOOL user = VARIANT_TRUE) {
    return SaveAs(title_, sub, name, type, std::move(value), major, minor, user);
  }
  VARIANT_BOOL SaveAs(const std::wstring& title, const std::wstring& sub, const std::wstring& name, LONG type,
                      Arg value, LONG major = 1, LONG minor = 2, VARIANT_BOOL user = VARIANT_TRUE) {
    VARIANT_BOOL ok = kGarbage;
    Bstr s(sub.data(), static_cast<UINT>(sub.size())), n(name.data(), static_cast<UINT>(name.size()));
    Bstr t(title.data(), static_cast<UINT>(title.size()));
    EXPECT_EQ(store_->SaveSetting(s.Get(), n.Get(), static_cast<SettingDataType_Const>(type), *value, t.Get(), major,
                                  minor, user, &ok),
              S_OK);
    return ok;
  }

  static ServerLoader* loader_;
  ComPtr<_orvOrvaneSettings2> store_;
  std::wstring title_;
};
inline ServerLoader* SettingsTest::loader_ = nullptr;

}  // namespace orv::test

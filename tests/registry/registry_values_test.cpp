// orvRegistry2 value operations through the vtable, in wide and in ANSI mode,
// under HKCU\Software\OrvaneTests\values-<pid>. Stored bytes are read back
// with RegQueryValueExW, independently of the object.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "idl/brindle_idl.h"
#include "support/com_types.h"
#include "tests/common/raw_registry.h"
#include "tests/common/server_environment.h"

namespace orv::test {
namespace {

constexpr auto kHkcu = static_cast<RegistryRoot2_Const>(-2147483647);  // 0x80000001

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new ServerEnvironment(L"values"));

// ---- VARIANTs as callers send them ----------------------------------------

Variant Scalar(VARTYPE vt, LONG n) {
  Variant v;
  V_VT(v.Get()) = vt;
  if (vt == VT_I2)
    V_I2(v.Get()) = static_cast<SHORT>(n);
  else if (vt == VT_UI1)
    V_UI1(v.Get()) = static_cast<BYTE>(n);
  else if (vt == VT_R8)
    V_R8(v.Get()) = n;
  else if (vt == VT_BOOL)
    V_BOOL(v.Get()) = static_cast<VARIANT_BOOL>(n);
  else if (vt == VT_ERROR)
    V_ERROR(v.Get()) = n;
  else
    V_I4(v.Get()) = n;
  return v;
}
Variant Bytes(std::vector<BYTE> b, LONG lbound = 0, VARTYPE vt = VT_UI1, UINT dims = 1) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(b.size()), lbound}, {1, 0}};
  Variant v;
  V_ARRAY(v.Get()) = SafeArrayCreate(vt, dims, bounds);
  V_VT(v.Get()) = VT_ARRAY | vt;
  void* data = nullptr;
  SafeArrayAccessData(V_ARRAY(v.Get()), &data);
  if (vt == VT_UI1) std::copy(b.begin(), b.end(), static_cast<BYTE*>(data));
  SafeArrayUnaccessData(V_ARRAY(v.Get()));
  return v;
}
Variant Strings(std::vector<const wchar_t*> items, LONG lbound = 0) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lbound};
  Variant v;
  V_ARRAY(v.Get()) = SafeArrayCreate(VT_BSTR, 1, &bound);
  V_VT(v.Get()) = VT_ARRAY | VT_BSTR;
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    LONG at = lbound + i;
    Bstr b(items[i]);
    SafeArrayPutElement(V_ARRAY(v.Get()), &at, b.Get());
  }
  return v;
}
// What a script variable looks like: a reference to a VARIANT.
Variant Ref(VARIANT* target) {
  Variant v;
  V_VT(v.Get()) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(v.Get()) = target;
  return v;
}

// ---- Describing results ------------------------------------------------------

std::string Hex(const BYTE* p, std::size_t n) {
  std::string s;
  char buf[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", p[i]);
    s += buf;
  }
  return s;
}
std::vector<BYTE> Unhex(const char* hex) {
  std::vector<BYTE> out;
  for (const char* p = hex; *p; p += (p[2] ? 3 : 2))
    out.push_back(static_cast<BYTE>(std::stoi(std::string(p, 2), nullptr, 16)));
  return out;
}
std::string Narrow(const wchar_t* s, UINT n) { return std::string(s, s + n); }  // test texts are ASCII

// "I4 1", "BSTR abc", "BSTR[0] {a,b}", "UI1[0] 01 02": type, lower bound, content.
std::string Describe(const VARIANT& v) {
  if (V_VT(&v) == VT_I4) return "I4 " + std::to_string(V_I4(&v));
  if (V_VT(&v) == VT_BSTR) return "BSTR " + Narrow(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
  if (!(V_VT(&v) & VT_ARRAY)) return "VT " + std::to_string(V_VT(&v));
  SAFEARRAY* a = V_ARRAY(&v);
  LONG lb = 0, ub = -1;
  SafeArrayGetLBound(a, 1, &lb);
  SafeArrayGetUBound(a, 1, &ub);
  void* data = nullptr;
  SafeArrayAccessData(a, &data);
  const auto n = static_cast<std::size_t>(ub - lb + 1);
  std::string s = "[" + std::to_string(lb) + "] ";
  if (V_VT(&v) == (VT_ARRAY | VT_UI1)) {
    s = "UI1" + s + Hex(static_cast<BYTE*>(data), n);
  } else {
    s = "BSTR" + s + "{";
    for (std::size_t i = 0; i < n; ++i) {
      BSTR b = static_cast<BSTR*>(data)[i];
      s += (i ? "," : "") + Narrow(b, SysStringLen(b));
    }
    s += "}";
  }
  SafeArrayUnaccessData(a);
  return s;
}

// ---- The registry, seen directly ----------------------------------------------

struct Raw {
  LONG status = 0;
  DWORD type = 0;
  std::string hex;
};
Raw ReadRaw(const std::wstring& path, const wchar_t* name) {
  const Stored s = Query(HKEY_CURRENT_USER, path, name);
  return {s.status, s.type, Hex(s.bytes.data(), s.bytes.size())};
}
void WriteRaw(const std::wstring& path, const wchar_t* name, DWORD type, const char* hex) {
  Put(HKEY_CURRENT_USER, path, name, type, Unhex(hex));
}

// ---- The fixture: one object per test, per mode ------------------------------

class RegistryValues : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_loader->Loaded());
    ASSERT_EQ(g_loader->Create(CLSID_orvRegistry2, &reg_), S_OK);
    ASSERT_EQ(reg_->put_UseUnicodeFunctions(GetParam() ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
    std::wstring name = Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
    for (wchar_t& c : name) c = c == L'/' ? L'-' : c;
    path_ = g_base + L"\\" + name;
  }
  static std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

  VARIANT_BOOL Set(const std::wstring& path, const wchar_t* name, LONG type, VARIANT data,
                   VARIANT_BOOL* existed = nullptr, RegistryRoot2_Const root = kHkcu) {
    VARIANT_BOOL ok = 0x55;
    EXPECT_EQ(reg_->SetValue(root, Bstr(path.c_str()).Get(), Bstr(name).Get(),
                             static_cast<RegistryDataType2_Const>(type), data, existed, &ok),
              S_OK);
    return ok;
  }
  ComPtr<_RegValue> Get(const std::wstring& path, const wchar_t* name, RegistryRoot2_Const root = kHkcu) {
    ComPtr<_RegValue> v;
    EXPECT_EQ(reg_->GetValue(root, Bstr(path.c_str()).Get(), Bstr(name).Get(), v.Put()), S_OK);
    return v;
  }
  // Nothing, or the record's data described.
  std::string GetData(const wchar_t* name) {
    ComPtr<_RegValue> v = Get(path_, name);
    if (!v) return "Nothing";
    Variant data;
    EXPECT_EQ(v->get_Data(data.Put()), S_OK);
    return Describe(*data.Get());
  }
  LONG LastError() {
    LONG e = 12345;
    EXPECT_EQ(reg_->get_LastRegError(&e), S_OK);
    return e;
  }
  // Leaves LastRegError at 2 (a missing key), so that a kept value shows.
  void PrimeLastError() {
    EXPECT_FALSE(Get(g_base + L"\\missing", L"x"));
    ASSERT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
  }
  bool Wide() const { return GetParam(); }

  ComPtr<_orvRegistry2> reg_;
  std::wstring path_;
};

INSTANTIATE_TEST_SUITE_P(Modes, RegistryValues, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "Ansi"; });

// Each row under its own key: a rejected row must not even create it.
TEST_P(RegistryValues, SetValueWritesTheBytesOfTheTable) {
  static BSTR refText = SysAllocString(L"ref");
  static SHORT refShort = -2;
  static Variant scriptText = Variant::Text(L"abc"), scriptInt = Scalar(VT_I4, 7), scriptBytes = Bytes({9, 8});
  static Variant scriptOmitted = Scalar(VT_ERROR, DISP_E_PARAMNOTFOUND), byRefShort = [] {
    Variant v;
    V_VT(v.Get()) = VT_BYREF | VT_I2;
    V_I2REF(v.Get()) = &refShort;
    return v;
  }();
  struct Row {
    LONG type;
    Variant (*make)();
    const char* stored;  // nullptr: rejected
  };
  const Row rows[] = {
      {REG_DWORD, [] { return Scalar(VT_I2, -1); }, "FF FF FF FF"},
      {REG_DWORD, [] { return Scalar(VT_UI1, 200); }, "C8 00 00 00"},
      {REG_DWORD, [] { return Scalar(VT_I4, 0x12345678); }, "78 56 34 12"},
      {REG_DWORD_BIG_ENDIAN, [] { return Scalar(VT_I4, 1); }, "01 00 00 00"},
      {REG_SZ, [] { return Variant::Text(L"abc"); }, "61 00 62 00 63 00 00 00"},
      {REG_EXPAND_SZ, [] { return Variant::Text(L"%A%"); }, "25 00 41 00 25 00 00 00"},
      {REG_MULTI_SZ, [] { return Variant::Text(L"ab"); }, "61 00 62 00 00 00 00 00"},
      {REG_MULTI_SZ,
       [] {
         return Strings({L"a", L"b"});
       },
       "61 00 00 00 62 00 00 00 00 00"},
      {REG_MULTI_SZ, [] { return Strings({}); }, "00 00 00 00"},
      {REG_MULTI_SZ,
       [] {
         return Strings({L"x", L"y"}, 1);
       },
       "78 00 00 00 79 00 00 00 00 00"},
      {REG_BINARY, [] { return Bytes({}); }, ""},
      {REG_BINARY,
       [] {
         return Bytes({1, 2, 3}, 5);
       },
       "01 02 03"},
      {REG_BINARY,
       [] {
         return Bytes({1, 2, 3}, -3);
       },
       "01 02 03"},
      {REG_BINARY,
       [] {
         return Bytes({4, 5, 6}, LONG_MAX - 1);
       },
       "04 05 06"},  // upper bound past LONG_MAX
      {REG_NONE, [] { return Bytes({7}); }, "07"},
      {11,
       [] {
         return Bytes({1, 2, 3, 4, 5, 6, 7, 8});
       },
       "01 02 03 04 05 06 07 08"},
      // Script variables and typed references.
      {REG_SZ, [] { return Ref(scriptText.Get()); }, "61 00 62 00 63 00 00 00"},
      {REG_SZ,
       [] {
         Variant v;
         V_VT(v.Get()) = VT_BYREF | VT_BSTR;
         V_BSTRREF(v.Get()) = &refText;
         return v;
       },
       "72 00 65 00 66 00 00 00"},
      {REG_DWORD, [] { return Ref(scriptInt.Get()); }, "07 00 00 00"},
      {REG_DWORD, [] { return Ref(byRefShort.Get()); }, "FE FF FF FF"},
      {REG_BINARY, [] { return Ref(scriptBytes.Get()); }, "09 08"},
      // Data that does not suit the type.
      {REG_DWORD, [] { return Variant::Text(L"5"); }, nullptr},
      {REG_DWORD, [] { return Scalar(VT_BOOL, VARIANT_TRUE); }, nullptr},
      {REG_DWORD, [] { return Scalar(VT_R8, 1); }, nullptr},
      {REG_SZ, [] { return Scalar(VT_I4, 1); }, nullptr},
      {REG_SZ, [] { return Variant(); }, nullptr},
      {REG_SZ,
       [] {
         Variant v;
         V_VT(v.Get()) = VT_NULL;
         return v;
       },
       nullptr},
      {REG_SZ, [] { return Ref(scriptInt.Get()); }, nullptr},
      {REG_BINARY, [] { return Variant::Text(L"ab"); }, nullptr},
      {REG_BINARY,
       [] {
         return Bytes({1, 2}, 0, VT_UI1, 2);
       },
       nullptr},
      {REG_BINARY,
       [] {
         return Bytes({1, 2}, 0, VT_I2);
       },
       nullptr},
      {REG_BINARY,
       [] {
         Variant v;
         V_VT(v.Get()) = VT_ARRAY | VT_UI1;
         return v;
       },
       nullptr},
      {REG_MULTI_SZ,
       [] {
         return Bytes({1, 2}, 0, VT_VARIANT);
       },
       nullptr},
      {REG_SZ, [] { return Scalar(VT_ERROR, DISP_E_PARAMNOTFOUND); }, nullptr},
      {REG_SZ, [] { return Ref(scriptOmitted.Get()); }, nullptr},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const std::wstring path = path_ + L"\\" + std::to_wstring(i);
    PrimeLastError();
    Variant data = rows[i].make();
    VARIANT_BOOL existed = 0x1234;  // garbage, as an omitted by-reference flag may hold
    const VARIANT_BOOL ok = Set(path, L"v", rows[i].type, *data.Get(), &existed);
    const Raw raw = ReadRaw(path, L"v");
    if (!rows[i].stored) {
      EXPECT_EQ(ok, VARIANT_FALSE);
      EXPECT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
      EXPECT_EQ(existed, 0x1234);
      EXPECT_EQ(raw.status, ERROR_FILE_NOT_FOUND);  // the key was never created
      continue;
    }
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(existed, VARIANT_FALSE);
    ASSERT_EQ(raw.status, 0);
    EXPECT_EQ(raw.type, static_cast<DWORD>(rows[i].type));
    EXPECT_EQ(raw.hex, rows[i].stored);
  }
}

TEST_P(RegistryValues, GetValueDecodesWhatTheRegistryHolds) {
  struct Row {
    DWORD type;
    const char* raw;
    const char* data;
    bool wideOnly = false;  // odd-length wide strings: how the ANSI entry point reads them is the system's affair
  };
  const Row rows[] = {
      {REG_DWORD, "01 00 00 00", "I4 1"},
      {REG_DWORD_BIG_ENDIAN, "01 00 00 00", "I4 1"},
      {REG_DWORD, "FF FF FF FF", "I4 -1"},
      {REG_DWORD, "01 00 00 00 00 00 00 00", "Nothing"},
      {REG_DWORD, "01 00", "Nothing"},
      {REG_SZ, "61 00 62 00 63 00 00", "Nothing", true},
      {REG_SZ, "61 00 62 00 63 00 00 00 78 00 79 00 7A 00 00 00", "BSTR abc"},
      {REG_SZ, "61 00 62 00 63 00", "BSTR abc"},
      {REG_SZ, "", "BSTR "},
      {REG_EXPAND_SZ, "25 00 41 00 25 00 00 00", "BSTR %A%"},
      {REG_MULTI_SZ, "61 00 00 00 62 00 00 00 00 00", "BSTR[0] {a,b}"},
      {REG_MULTI_SZ, "61 00 00 00 62 00 00 00", "BSTR[0] {a,b,}"},
      {REG_MULTI_SZ, "00 00 00 00", "BSTR[0] {}"},
      {REG_MULTI_SZ, "", "BSTR[0] {}"},
      {REG_MULTI_SZ, "61 00", "BSTR[0] {a}"},
      {REG_MULTI_SZ, "61 00 00", "Nothing", true},
      {11, "01 02 03 04 05 06 07 08", "UI1[0] 01 02 03 04 05 06 07 08"},
      {REG_BINARY, "", "UI1[0] "},
      {REG_NONE, "0A 0B 0C", "UI1[0] 0A 0B 0C"},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const std::wstring name = L"v" + std::to_wstring(i);
    WriteRaw(path_, name.c_str(), rows[i].type, rows[i].raw);
    const std::string data = GetData(name.c_str());
    if (Wide() || !rows[i].wideOnly) {
      EXPECT_EQ(data, rows[i].data);
    }
    EXPECT_EQ(LastError(), 0);
    if (ComPtr<_RegValue> v = Get(path_, name.c_str())) {
      RegistryDataType2_Const type{};
      Bstr got;
      EXPECT_EQ(v->get_DataType(&type), S_OK);
      EXPECT_EQ(static_cast<DWORD>(type), rows[i].type);
      EXPECT_EQ(v->get_Name(got.Put()), S_OK);
      EXPECT_EQ(std::wstring(got.Get(), got.Length()), name);
    }
  }
}

// One key's life: created by the first write, found by the second; the
// default value through an omitted (NULL) name.
TEST_P(RegistryValues, DefaultValueAndKeyState) {
  VARIANT_BOOL existed = VARIANT_TRUE;
  EXPECT_EQ(Set(path_, nullptr, REG_SZ, *Variant::Text(L"def").Get(), &existed), VARIANT_TRUE);
  EXPECT_EQ(existed, VARIANT_FALSE);
  EXPECT_EQ(Set(path_, L"", REG_SZ, *Variant::Text(L"new").Get(), &existed), VARIANT_TRUE);
  EXPECT_EQ(existed, VARIANT_TRUE);
  EXPECT_EQ(ReadRaw(path_, L"").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(GetData(nullptr), "BSTR new");
  EXPECT_EQ(GetData(L"other"), "Nothing");
  EXPECT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
}

// A character outside the ANSI code page shows which entry point was used.
TEST_P(RegistryValues, ModeChoosesTheTextEncoding) {
  const wchar_t text[] = L"\x0416";
  BOOL lost = FALSE;
  char ansi[8] = {};
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, 1, ansi, sizeof ansi, nullptr, &lost);
  if (!lost) GTEST_SKIP() << "the ANSI code page holds U+0416";
  EXPECT_EQ(Set(path_, L"t", REG_SZ, *Variant::Text(text).Get()), VARIANT_TRUE);
  EXPECT_EQ(ReadRaw(path_, L"t").hex, Wide() ? "16 04 00 00" : Hex(reinterpret_cast<BYTE*>(ansi), 1) + " 00 00 00");
}

TEST_P(RegistryValues, DeleteValue) {
  VARIANT_BOOL ok = 0;
  const Bstr path(path_.c_str()), name(L"d");
  EXPECT_EQ(Set(path_, L"d", REG_SZ, *Variant::Text(L"x").Get()), VARIANT_TRUE);
  EXPECT_EQ(reg_->DeleteValue(kHkcu, path.Get(), name.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(ReadRaw(path_, L"d").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reg_->DeleteValue(kHkcu, path.Get(), name.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reg_->DeleteValue(kHkcu, Bstr((path_ + L"\\nope").c_str()).Get(), name.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(LastError(), ERROR_FILE_NOT_FOUND);
}

TEST_P(RegistryValues, AbsurdRootsFailWithAWindowsError) {
  for (LONG root : {0L, 12345L}) {
    SCOPED_TRACE(root);
    const auto r = static_cast<RegistryRoot2_Const>(root);
    PrimeLastError();
    EXPECT_EQ(Set(L"x", L"v", REG_SZ, *Variant::Text(L"x").Get(), nullptr, r), VARIANT_FALSE);
    EXPECT_NE(LastError(), 0);
    EXPECT_NE(LastError(), ERROR_FILE_NOT_FOUND);
    PrimeLastError();
    EXPECT_FALSE(Get(L"x", L"v", r));
    EXPECT_NE(LastError(), ERROR_FILE_NOT_FOUND);
    VARIANT_BOOL ok = VARIANT_TRUE;
    PrimeLastError();
    EXPECT_EQ(reg_->DeleteValue(r, Bstr(L"x").Get(), Bstr(L"v").Get(), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_NE(LastError(), ERROR_FILE_NOT_FOUND);
  }
}

TEST_P(RegistryValues, NullResultPointersGiveEPointer) {
  const Bstr path(path_.c_str());
  EXPECT_EQ(reg_->SetValue(kHkcu, path.Get(), nullptr, static_cast<RegistryDataType2_Const>(REG_SZ),
                           *Variant::Text(L"x").Get(), nullptr, nullptr),
            E_POINTER);
  EXPECT_EQ(reg_->GetValue(kHkcu, path.Get(), nullptr, nullptr), E_POINTER);
  EXPECT_EQ(reg_->DeleteValue(kHkcu, path.Get(), nullptr, nullptr), E_POINTER);
  EXPECT_EQ(ReadRaw(path_, L"").status, ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace orv::test

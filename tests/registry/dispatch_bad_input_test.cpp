// Bad input through IDispatch::Invoke, as a careless script sends it: missing,
// Empty, Null and wrongly typed arguments, 64 KiB texts, texts with NULs and
// absurd roots. Nothing may crash; each call answers what the registry
// wrapper promises (False, Nothing), or the type library's own DISP_E_* where
// an argument cannot be coerced. Writes happen only under
// HKCU\Software\OrvaneTests\dispatch-<pid>.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "idl/brindle_idl.h"
#include "support/com_types.h"
#include "tests/common/server_environment.h"

namespace orv::test {
namespace {

constexpr LONG kHkcu = static_cast<LONG>(0x80000001);

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new ServerEnvironment(L"dispatch"));

// ---- Arguments ----------------------------------------------------------------

Variant R8(double d) {
  Variant v;
  V_VT(v.Get()) = VT_R8;
  V_R8(v.Get()) = d;
  return v;
}
Variant Empty() { return Variant(); }
Variant Null() {
  Variant v;
  V_VT(v.Get()) = VT_NULL;
  return v;
}
// A script's Nothing.
Variant Nothing() {
  Variant v;
  V_VT(v.Get()) = VT_DISPATCH;
  V_DISPATCH(v.Get()) = nullptr;
  return v;
}
// An omitted optional argument, as callers send it.
Variant Missing() {
  Variant v;
  V_VT(v.Get()) = VT_ERROR;
  V_ERROR(v.Get()) = DISP_E_PARAMNOTFOUND;
  return v;
}
Variant Variants(int n) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(n), 0};
  Variant v;
  V_ARRAY(v.Get()) = SafeArrayCreate(VT_VARIANT, 1, &bound);
  V_VT(v.Get()) = VT_ARRAY | VT_VARIANT;
  return v;
}

using Args = std::vector<Variant>;
template <class... V>
Args A(V&&... v) {
  Args out;
  (out.push_back(std::forward<V>(v)), ...);
  return out;
}

std::wstring Under(const std::wstring& rest) { return g_base + L"\\" + rest; }
std::wstring Long64K() { return std::wstring(64 * 1024, L'k'); }
std::wstring WithNul(const std::wstring& head, const std::wstring& tail) {
  return head + std::wstring(1, L'\0') + tail;
}

// ---- Calls --------------------------------------------------------------------

struct Outcome {
  HRESULT hr = E_FAIL;
  Variant result;
  EXCEPINFO excep{};
  UINT argErr = ~0u;
  ~Outcome() {
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
  }
};

DISPID IdOf(IDispatch* d, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  EXPECT_EQ(d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << std::wstring(name).c_str();
  return id;
}

// Arguments in the caller's order; DISPPARAMS wants them last first.
void Invoke(IDispatch* d, DISPID id, WORD flags, Args& args, Outcome* out, REFIID riid = IID_NULL) {
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->Get());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  out->hr = d->Invoke(id, riid, LOCALE_USER_DEFAULT, flags, &params, out->result.Put(), &out->excep, &out->argErr);
  if (out->hr == DISP_E_EXCEPTION && out->excep.pfnDeferredFillIn) out->excep.pfnDeferredFillIn(&out->excep);
}

enum class Want {
  False,     // S_OK, the Boolean False
  True,      // S_OK, the Boolean True
  Nothing,   // S_OK, no object
  Object,    // S_OK, an object
  Text,      // S_OK, a string (see Row::text)
  Mismatch,  // an argument the type library cannot coerce
  Missing,   // a required argument left out
  // A required argument passed as "missing": Windows answers
  // DISP_E_PARAMNOTOPTIONAL, Wine 8 DISP_E_TYPEMISMATCH.
  PassedAsMissing,
  Described,  // S_OK, or a raised error with a description
};

struct Row {
  const char* what;
  const wchar_t* member;
  std::function<Args()> args;
  Want want;
  int badArg = -1;            // for Mismatch: the caller's index of the offending argument
  const wchar_t* text = L"";  // for Text
};

void Check(IDispatch* d, const Row& r) {
  SCOPED_TRACE(r.what);
  Args args = r.args();
  Outcome o;
  Invoke(d, IdOf(d, r.member), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, &o);
  const VARIANT* v = o.result.Get();
  switch (r.want) {
    case Want::False:
    case Want::True:
      ASSERT_EQ(o.hr, S_OK);
      ASSERT_EQ(V_VT(v), VT_BOOL);
      EXPECT_EQ(V_BOOL(v), r.want == Want::True ? VARIANT_TRUE : VARIANT_FALSE);
      break;
    case Want::Nothing:
    case Want::Object:
      ASSERT_EQ(o.hr, S_OK);
      ASSERT_TRUE(V_VT(v) == VT_DISPATCH || V_VT(v) == VT_UNKNOWN) << V_VT(v);
      EXPECT_EQ(V_UNKNOWN(v) == nullptr, r.want == Want::Nothing);
      break;
    case Want::Text:
      ASSERT_EQ(o.hr, S_OK);
      ASSERT_EQ(V_VT(v), VT_BSTR);
      EXPECT_EQ(std::wstring(V_BSTR(v) ? V_BSTR(v) : L""), r.text);
      break;
    case Want::Mismatch:
      EXPECT_TRUE(o.hr == DISP_E_TYPEMISMATCH || o.hr == DISP_E_OVERFLOW) << std::hex << o.hr;
      // A type mismatch names the argument (an overflow need not).
      if (r.badArg >= 0 && (o.hr == DISP_E_TYPEMISMATCH || o.argErr != ~0u)) {
        EXPECT_EQ(o.argErr, args.size() - 1 - r.badArg);
      }
      break;
    case Want::Missing:
      EXPECT_TRUE(o.hr == DISP_E_PARAMNOTOPTIONAL || o.hr == DISP_E_BADPARAMCOUNT) << std::hex << o.hr;
      break;
    case Want::PassedAsMissing:
      EXPECT_TRUE(o.hr == DISP_E_PARAMNOTOPTIONAL || o.hr == DISP_E_TYPEMISMATCH) << std::hex << o.hr;
      break;
    case Want::Described:
      if (o.hr == S_OK) break;
      ASSERT_EQ(o.hr, DISP_E_EXCEPTION) << std::hex << o.hr;
      EXPECT_TRUE(FAILED(o.excep.scode)) << std::hex << o.excep.scode;
      ASSERT_NE(o.excep.bstrDescription, nullptr);
      EXPECT_GT(SysStringLen(o.excep.bstrDescription), 0u);
      break;
  }
}

// ---- The registry, seen directly ----------------------------------------------

bool KeyExists(const std::wstring& path) {
  RegKeyHandle h;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, h.Put()) == ERROR_SUCCESS;
}
bool ValueExists(const std::wstring& path, const std::wstring& name) {
  return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

class DispatchBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_loader->Loaded());
    ASSERT_EQ(g_loader->Create(CLSID_orvRegistry2, &registry_), S_OK);
    RegDeleteTreeW(HKEY_CURRENT_USER, g_base.c_str());
    // A key and a value that bad names must never reach.
    RegKeyHandle h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Under(L"victim").c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              h.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(h.Get(), L"keep", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4), ERROR_SUCCESS);
  }
  void TearDown() override {
    registry_.Reset();
    EXPECT_EQ(g_loader->CanUnloadNow(), S_OK) << "an object outlived the calls";
  }

  LONG LastRegError() {
    LONG n = -1;
    registry_->get_LastRegError(&n);
    return n;
  }

  ComPtr<_orvRegistry2> registry_;
};

TEST_F(DispatchBadInput, RejectedDataNeverTouchesTheRegistry) {
  const std::wstring sub = Under(L"rejected");
  auto set = [sub](LONG type, std::function<Variant()> data) {
    return [sub, type, data] {
      return A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(L"v"), Variant::I4(type), data());
    };
  };
  const Row rows[] = {
      {"only root and sub-key", L"SetValue", [sub] { return A(Variant::I4(kHkcu), Variant::Text(sub)); }, Want::False},
      {"data passed as missing", L"SetValue", set(1, Missing), Want::False},
      {"Empty for a string", L"SetValue", set(1, Empty), Want::False},
      {"Null for a string", L"SetValue", set(1, Null), Want::False},
      {"a number for a string", L"SetValue", set(1, [] { return Variant::I4(5); }), Want::False},
      {"a Boolean for a string", L"SetValue", set(2, [] { return Variant::Bool(true); }), Want::False},
      {"a text holding 5 for a DWORD", L"SetValue", set(4, [] { return Variant::Text(L"5"); }), Want::False},
      {"a double for a DWORD", L"SetValue", set(4, [] { return R8(1.5); }), Want::False},
      {"Empty for a DWORD", L"SetValue", set(5, Empty), Want::False},
      {"a text for binary", L"SetValue", set(3, [] { return Variant::Text(L"abc"); }), Want::False},
      {"a number for binary", L"SetValue", set(0, [] { return Variant::I4(7); }), Want::False},
      {"variants for a multi-string", L"SetValue", set(7, [] { return Variants(2); }), Want::False},
      {"Null for a multi-string", L"SetValue", set(7, Null), Want::False},
  };
  const LONG before = LastRegError();
  for (const Row& r : rows) Check(registry_.Get(), r);
  EXPECT_FALSE(KeyExists(sub)) << "a rejected value created its key";
  EXPECT_EQ(LastRegError(), before) << "a rejected value made a registry call";
}

TEST_F(DispatchBadInput, UncoercibleAndMissingArguments) {
  const std::wstring victim = Under(L"victim");
  const std::wstring fresh = Under(L"fresh");
  const Row rows[] = {
      {"no arguments", L"SetValue", [] { return A(); }, Want::Missing},
      {"root only", L"GetValue", [] { return A(Variant::I4(kHkcu)); }, Want::Missing},
      {"root only", L"IsKeyExist", [] { return A(Variant::I4(kHkcu)); }, Want::Missing},
      {"sub-key passed as missing", L"GetKey", [] { return A(Variant::I4(kHkcu), Missing()); }, Want::PassedAsMissing},
      {"root passed as missing", L"GetSubKeys", [victim] { return A(Missing(), Variant::Text(victim)); },
       Want::PassedAsMissing},
      {"Null root", L"SetValue",
       [fresh] { return A(Null(), Variant::Text(fresh), Variant::Text(L"v"), Variant::I4(1), Variant::Text(L"x")); },
       Want::Mismatch, 0},
      {"text root", L"GetValue", [victim] { return A(Variant::Text(L"abc"), Variant::Text(victim)); }, Want::Mismatch,
       0},
      {"huge root", L"IsKeyExist", [victim] { return A(R8(1e12), Variant::Text(victim)); }, Want::Mismatch, 0},
      {"Null sub-key", L"CreateKey", [] { return A(Variant::I4(kHkcu), Null()); }, Want::Mismatch, 1},
      {"array sub-key", L"GetValues", [] { return A(Variant::I4(kHkcu), Variants(1)); }, Want::Mismatch, 1},
      {"Null value name", L"DeleteValue", [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Null()); },
       Want::Mismatch, 2},
      {"text data type", L"SetValue",
       [fresh] {
         return A(Variant::I4(kHkcu), Variant::Text(fresh), Variant::Text(L"v"), Variant::Text(L"REG_SZ"),
                  Variant::Text(L"x"));
       },
       Want::Mismatch, 3},
      {"text Recursive", L"DeleteKey",
       [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Variant::Text(L"abc")); }, Want::Mismatch, 2},
      {"Null Recursive", L"DeleteKey", [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Null()); },
       Want::Mismatch, 2},
      {"text QueryData", L"GetValues",
       [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Variant::Text(L"abc")); }, Want::Mismatch, 2},
      {"Null type code", L"ValueDataTypeToString", [] { return A(Null()); }, Want::Mismatch, 0},
      {"no type code", L"ValueDataTypeToString", [] { return A(); }, Want::Missing},
  };
  for (const Row& r : rows) Check(registry_.Get(), r);
  EXPECT_TRUE(ValueExists(victim, L"keep"));
  EXPECT_FALSE(KeyExists(fresh));
}

// Arguments that do coerce: the wrapper answers with its usual results.
TEST_F(DispatchBadInput, CoercibleOddArguments) {
  const std::wstring victim = Under(L"victim");
  const Row rows[] = {
      {"Empty type code is REG_NONE", L"ValueDataTypeToString", [] { return A(Empty()); }, Want::Text, -1, L"REG_NONE"},
      {"a text holding 6", L"ValueDataTypeToString", [] { return A(Variant::Text(L"6")); }, Want::Text, -1,
       L"REG_LINK"},
      {"an unknown code", L"ValueDataTypeToString", [] { return A(Variant::I4(12345)); }, Want::Text, -1, L""},
      {"Empty QueryData", L"GetValues", [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Empty()); },
       Want::Object},
      {"numeric value name", L"GetValue",
       [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Variant::I4(5)); }, Want::Nothing},
      {"Empty value name reads the default value", L"GetValue",
       [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Empty()); }, Want::Nothing},
      {"Empty Recursive on a missing key", L"DeleteKey",
       [] { return A(Variant::I4(kHkcu), Variant::Text(Under(L"absent")), Empty()); }, Want::False},
      // A script's (x) passes a value; an output flag then writes to a temporary.
      {"flag passed by value", L"CreateKey",
       [] { return A(Variant::I4(kHkcu), Variant::Text(Under(L"byvalue")), Variant::Text(L"abc")); }, Want::True},
  };
  for (const Row& r : rows) Check(registry_.Get(), r);
}

TEST_F(DispatchBadInput, AbsurdRoots) {
  // The sub-key exists nowhere: should an absurd root happen to be a handle
  // of this process, nothing is reached through it.
  const std::wstring absent = L"OrvaneTests-absent-" + std::to_wstring(GetCurrentProcessId());
  for (LONG root : {0L, 12345L, -1L}) {
    SCOPED_TRACE(testing::Message() << "root " << root);
    auto rr = [root](const std::function<Args()>& rest) {
      return [root, rest] {
        Args a = A(Variant::I4(root));
        for (Variant& v : rest()) a.push_back(std::move(v));
        return a;
      };
    };
    const Row rows[] = {
        {"SetValue", L"SetValue",
         rr([absent] { return A(Variant::Text(absent), Variant::Text(L"v"), Variant::I4(1), Variant::Text(L"x")); }),
         Want::False},
        {"GetValue", L"GetValue", rr([absent] { return A(Variant::Text(absent)); }), Want::Nothing},
        {"DeleteValue", L"DeleteValue", rr([absent] { return A(Variant::Text(absent), Variant::Text(L"v")); }),
         Want::False},
        {"DeleteKey", L"DeleteKey", rr([absent] { return A(Variant::Text(absent)); }), Want::False},
        {"CreateKey", L"CreateKey", rr([absent] { return A(Variant::Text(absent)); }), Want::False},
        {"IsKeyExist", L"IsKeyExist", rr([absent] { return A(Variant::Text(absent)); }), Want::False},
        {"GetValues", L"GetValues", rr([absent] { return A(Variant::Text(absent), Variant::Bool(true)); }),
         Want::Nothing},
        {"GetSubKeys", L"GetSubKeys", rr([absent] { return A(Variant::Text(absent)); }), Want::Nothing},
        {"GetKey", L"GetKey", rr([absent] { return A(Variant::Text(absent)); }), Want::Nothing},
    };
    for (const Row& r : rows) {
      Check(registry_.Get(), r);
      EXPECT_NE(LastRegError(), 0) << r.what;
    }
  }
}

// A name with a NUL inside is not the name before the NUL: a call must not
// reach the key or value that the head of the name would address.
TEST_F(DispatchBadInput, NamesWithNulAddressNothing) {
  const std::wstring victim = Under(L"victim");
  const std::wstring cut = WithNul(victim, L"\\tail");
  const Row rows[] = {
      {"SetValue, sub-key", L"SetValue",
       [cut] {
         return A(Variant::I4(kHkcu), Variant::Text(cut), Variant::Text(L"v"), Variant::I4(1), Variant::Text(L"y"));
       },
       Want::False},
      {"SetValue, value name", L"SetValue",
       [victim] {
         return A(Variant::I4(kHkcu), Variant::Text(victim), Variant::Text(WithNul(L"keep", L"x")), Variant::I4(1),
                  Variant::Text(L"y"));
       },
       Want::False},
      {"GetValue, sub-key", L"GetValue",
       [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut), Variant::Text(L"keep")); }, Want::Nothing},
      {"GetValue, value name", L"GetValue",
       [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Variant::Text(WithNul(L"keep", L"x"))); },
       Want::Nothing},
      {"DeleteValue, sub-key", L"DeleteValue",
       [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut), Variant::Text(L"keep")); }, Want::False},
      {"DeleteValue, value name", L"DeleteValue",
       [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim), Variant::Text(WithNul(L"keep", L"x"))); },
       Want::False},
      {"DeleteKey", L"DeleteKey", [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut)); }, Want::False},
      {"DeleteKey, not recursive", L"DeleteKey",
       [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut), Variant::Bool(false)); }, Want::False},
      {"CreateKey", L"CreateKey", [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut)); }, Want::False},
      {"IsKeyExist", L"IsKeyExist", [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut)); }, Want::False},
      {"GetValues", L"GetValues", [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut), Variant::Bool(true)); },
       Want::Nothing},
      {"GetSubKeys", L"GetSubKeys", [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut)); }, Want::Nothing},
      {"GetKey", L"GetKey", [cut] { return A(Variant::I4(kHkcu), Variant::Text(cut)); }, Want::Nothing},
  };
  for (const Row& r : rows) Check(registry_.Get(), r);
  ASSERT_TRUE(KeyExists(victim)) << "a name with a NUL deleted the key named by its head";
  EXPECT_TRUE(ValueExists(victim, L"keep"));
  EXPECT_FALSE(ValueExists(victim, L"v"));
}

TEST_F(DispatchBadInput, NulInsideStringDataIsData) {
  const std::wstring sub = Under(L"data");
  Check(registry_.Get(), {"write", L"SetValue",
                          [sub] {
                            return A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(L"nul"), Variant::I4(1),
                                     Variant::Text(WithNul(L"a", L"b")));
                          },
                          Want::True});
  // The stored text goes on after the NUL; a read stops at it.
  DWORD size = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), L"nul", RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  Args args = A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(L"nul"));
  Outcome o;
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"GetValue"), DISPATCH_METHOD, args, &o);
  ASSERT_EQ(o.hr, S_OK);
  ASSERT_EQ(V_VT(o.result.Get()), VT_DISPATCH);
  ASSERT_NE(V_DISPATCH(o.result.Get()), nullptr);
  Args none;
  Outcome data;
  Invoke(V_DISPATCH(o.result.Get()), IdOf(V_DISPATCH(o.result.Get()), L"Data"), DISPATCH_PROPERTYGET, none, &data);
  ASSERT_EQ(data.hr, S_OK);
  ASSERT_EQ(V_VT(data.result.Get()), VT_BSTR);
  EXPECT_EQ(std::wstring(V_BSTR(data.result.Get()), SysStringLen(V_BSTR(data.result.Get()))), L"a");
}

TEST_F(DispatchBadInput, LongTexts) {
  const std::wstring sub = Under(L"long");
  const std::wstring big = Long64K();
  const Row rows[] = {
      {"64 KiB sub-key, SetValue", L"SetValue",
       [sub, big] {
         return A(Variant::I4(kHkcu), Variant::Text(sub + L"\\" + big), Variant::Text(L"v"), Variant::I4(1),
                  Variant::Text(L"x"));
       },
       Want::False},
      {"64 KiB sub-key, CreateKey", L"CreateKey",
       [sub, big] { return A(Variant::I4(kHkcu), Variant::Text(sub + L"\\" + big)); }, Want::False},
      {"64 KiB sub-key, IsKeyExist", L"IsKeyExist",
       [sub, big] { return A(Variant::I4(kHkcu), Variant::Text(sub + L"\\" + big)); }, Want::False},
      {"64 KiB sub-key, GetSubKeys", L"GetSubKeys",
       [sub, big] { return A(Variant::I4(kHkcu), Variant::Text(sub + L"\\" + big)); }, Want::Nothing},
      {"64 KiB sub-key, GetKey", L"GetKey",
       [sub, big] { return A(Variant::I4(kHkcu), Variant::Text(sub + L"\\" + big)); }, Want::Nothing},
      {"64 KiB sub-key, DeleteKey", L"DeleteKey",
       [sub, big] { return A(Variant::I4(kHkcu), Variant::Text(sub + L"\\" + big)); }, Want::False},
      {"64 KiB data", L"SetValue",
       [sub, big] {
         return A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(L"big"), Variant::I4(1), Variant::Text(big));
       },
       Want::True},
      {"64 KiB data, multi-string", L"SetValue",
       [sub, big] {
         return A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(L"bigm"), Variant::I4(7), Variant::Text(big));
       },
       Want::True},
      {"64 KiB value name of a missing value", L"GetValue",
       [sub, big] { return A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(big)); }, Want::Nothing},
  };
  for (const Row& r : rows) Check(registry_.Get(), r);

  // The long data comes back whole.
  Args args = A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(L"big"));
  Outcome o;
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"GetValue"), DISPATCH_METHOD, args, &o);
  ASSERT_EQ(o.hr, S_OK);
  ASSERT_NE(V_DISPATCH(o.result.Get()), nullptr);
  Args none;
  Outcome data;
  Invoke(V_DISPATCH(o.result.Get()), IdOf(V_DISPATCH(o.result.Get()), L"Data"), DISPATCH_PROPERTYGET, none, &data);
  ASSERT_EQ(V_VT(data.result.Get()), VT_BSTR);
  EXPECT_EQ(SysStringLen(V_BSTR(data.result.Get())), big.size());

  // A 64 KiB value name: the platform decides whether it may be stored; the
  // answer must agree with what a read finds.
  Args write = A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(big), Variant::I4(1), Variant::Text(L"x"));
  Outcome w;
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"SetValue"), DISPATCH_METHOD, write, &w);
  ASSERT_EQ(w.hr, S_OK);
  ASSERT_EQ(V_VT(w.result.Get()), VT_BOOL);
  Args read = A(Variant::I4(kHkcu), Variant::Text(sub), Variant::Text(big));
  Outcome r;
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"GetValue"), DISPATCH_METHOD, read, &r);
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(V_DISPATCH(r.result.Get()) != nullptr, V_BOOL(w.result.Get()) != VARIANT_FALSE);
}

// puArgErr names the argument that was wrong by its place in rgvarg, where
// the last positional argument is 0 and named ones come first; a call that
// succeeds leaves the caller's value alone.
TEST_F(DispatchBadInput, ArgumentErrorsNameTheArgument) {
  ComPtr<IDispatch> settings;
  ASSERT_EQ(g_loader->Create(CLSID_orvOrvaneSettings2, &settings), S_OK);
  const std::wstring victim = Under(L"victim");
  struct Case {
    const char* what;
    IDispatch* target;
    const wchar_t* member;
    std::function<Args()> named;  // first in rgvarg, in this order
    std::vector<DISPID> names;
    std::function<Args()> positional;  // in declaration order
    HRESULT hr;
    UINT argErr;
  };
  IDispatch* reg = registry_.Get();
  const Case cases[] = {
      {"text root", reg, L"IsKeyExist", A<>, {}, [victim] { return A(Variant::Text(L"not a root"), Variant::Text(victim)); },
       DISP_E_TYPEMISMATCH, 1},
      {"root by name", reg, L"IsKeyExist", [victim] { return A(Variant::Text(victim), Variant::Text(L"not a root")); },
       {1, 0}, A<>, DISP_E_TYPEMISMATCH, 1},
      {"named after positional", reg, L"GetValues",
       [] { return A(Variant::Bool(false), Null()); }, {2, 1}, [] { return A(Variant::I4(kHkcu)); },
       DISP_E_TYPEMISMATCH, 1},
      {"a name that is no parameter", reg, L"IsKeyExist", [victim] { return A(Variant::Text(victim)); }, {99},
       [] { return A(Variant::I4(kHkcu)); }, DISP_E_PARAMNOTFOUND, 0},
      {"text setting type", settings.Get(), L"SaveSetting", A<>, {},
       [] { return A(Variant::Text(L"s"), Variant::Text(L"v"), Variant::Text(L"abc"), Variant::I4(1)); },
       DISP_E_TYPEMISMATCH, 1},
      {"text for a form", settings.Get(), L"LoadFormPlacementPx", A<>, {},
       [] { return A(Variant::Text(L"s"), Variant::Text(L"v"), Variant::Text(L"form")); }, DISP_E_TYPEMISMATCH, 0},
      {"succeeds", reg, L"IsKeyExist", A<>, {}, [victim] { return A(Variant::I4(kHkcu), Variant::Text(victim)); }, S_OK,
       12345},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Args named = c.named(), positional = c.positional();
    std::vector<VARIANT> v;
    for (Variant& a : named) v.push_back(*a.Get());
    for (auto it = positional.rbegin(); it != positional.rend(); ++it) v.push_back(*it->Get());
    std::vector<DISPID> names = c.names;
    DISPPARAMS params{v.data(), names.empty() ? nullptr : names.data(), static_cast<UINT>(v.size()),
                      static_cast<UINT>(names.size())};
    Variant result;
    EXCEPINFO excep{};
    UINT argErr = 12345;
    EXPECT_EQ(c.target->Invoke(IdOf(c.target, c.member), IID_NULL, 0, DISPATCH_METHOD, &params, result.Get(), &excep,
                               &argErr),
              c.hr);
    EXPECT_EQ(argErr, c.argErr);
  }
}

// What a script variable looks like: a reference to a VARIANT.
Variant Ref(VARIANT* target) {
  Variant v;
  V_VT(v.Get()) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(v.Get()) = target;
  return v;
}

// A script passes a variable for lpKeyAlreadyExist as a reference to a
// VARIANT; the flag must reach that variable, whatever it held before, and a
// variable of an unfitting type is refused without touching the registry.
TEST_F(DispatchBadInput, ScriptVariablesPassedByReference) {
  struct Row {
    const char* what;
    std::function<Variant()> initial;
    bool keyExists;
    HRESULT hr;
    VARTYPE vt;         // of the variable afterwards
    VARIANT_BOOL flag;  // when it is a Boolean
  };
  const Row rows[] = {
      {"Boolean variable, new key", [] { return Variant::Bool(true); }, false, S_OK, VT_BOOL, VARIANT_FALSE},
      {"Boolean variable, existing key", [] { return Variant::Bool(false); }, true, S_OK, VT_BOOL, VARIANT_TRUE},
      {"fresh variable, new key", Empty, false, S_OK, VT_BOOL, VARIANT_FALSE},
      {"fresh variable, existing key", Empty, true, S_OK, VT_BOOL, VARIANT_TRUE},
      // An output flag is only written: what the variable held does not matter.
      {"text variable", [] { return Variant::Text(L"abc"); }, false, S_OK, VT_BOOL, VARIANT_FALSE},
  };
  int n = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::wstring key = Under(L"byref" + std::to_wstring(n++));
    if (r.keyExists) {
      RegKeyHandle h;
      ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, h.Put(), nullptr),
                ERROR_SUCCESS);
    }
    Variant variable = r.initial();
    for (const wchar_t* method : {L"CreateKey", L"SetValue"}) {
      SCOPED_TRACE(testing::Message() << std::string(method, method + wcslen(method)));
      Args args = std::wstring(method) == L"CreateKey" ? A(Variant::I4(kHkcu), Variant::Text(key), Ref(variable.Get()))
                                                       : A(Variant::I4(kHkcu), Variant::Text(key), Variant::Text(L"v"),
                                                           Variant::I4(1), Variant::Text(L"x"), Ref(variable.Get()));
      Outcome o;
      Invoke(registry_.Get(), IdOf(registry_.Get(), method), DISPATCH_METHOD, args, &o);
      ASSERT_EQ(o.hr, r.hr);
      ASSERT_EQ(V_VT(variable.Get()), r.vt);
      if (r.vt == VT_BOOL) {
        EXPECT_EQ(V_BOOL(variable.Get()), r.flag);
        EXPECT_EQ(V_BOOL(o.result.Get()), VARIANT_TRUE);
      }
      EXPECT_EQ(KeyExists(key), r.hr == S_OK);
      if (r.hr == S_OK) {
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        if (r.keyExists) {
          RegKeyHandle h;
          RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, h.Put(), nullptr);
        }
        variable = r.initial();
      }
    }
  }
}

// A script variable for ValueData is seen through: the value's own type counts.
TEST_F(DispatchBadInput, DataInAScriptVariable) {
  Variant text = Variant::Text(L"by reference");
  Args args =
      A(Variant::I4(kHkcu), Variant::Text(Under(L"data")), Variant::Text(L"ref"), Variant::I4(1), Ref(text.Get()));
  Outcome o;
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"SetValue"), DISPATCH_METHOD, args, &o);
  ASSERT_EQ(o.hr, S_OK);
  EXPECT_EQ(V_BOOL(o.result.Get()), VARIANT_TRUE);
  wchar_t stored[32] = {};
  DWORD size = sizeof stored;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, Under(L"data").c_str(), L"ref", RRF_RT_REG_SZ, nullptr, stored, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored), L"by reference");
}

TEST_F(DispatchBadInput, MalformedInvokes) {
  Args none;
  Args three = A(Variant::I4(kHkcu), Variant::Text(Under(L"victim")), Variant::I4(1));
  Outcome unknown, wrongIid, tooMany, asPut;
  Invoke(registry_.Get(), 0x12345, DISPATCH_METHOD, none, &unknown);
  EXPECT_EQ(unknown.hr, DISP_E_MEMBERNOTFOUND);
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"LastRegError"), DISPATCH_PROPERTYGET, none, &wrongIid, IID_IDispatch);
  EXPECT_EQ(wrongIid.hr, DISP_E_UNKNOWNINTERFACE);
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"IsKeyExist"), DISPATCH_METHOD, three, &tooMany);
  EXPECT_EQ(tooMany.hr, DISP_E_BADPARAMCOUNT);
  // LastRegError has no put.
  Args value = A(Variant::I4(5));
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"LastRegError"), DISPATCH_PROPERTYPUT, value, &asPut);
  EXPECT_TRUE(FAILED(asPut.hr));
  EXPECT_EQ(LastRegError(), 0);

  Args text = A(Variant::Text(L"abc"));
  Outcome put;
  Invoke(registry_.Get(), IdOf(registry_.Get(), L"UseUnicodeFunctions"), DISPATCH_PROPERTYPUT, text, &put);
  EXPECT_EQ(put.hr, DISP_E_TYPEMISMATCH);
}

// Every settings method, called late-bound with nothing or with junk:
// either it works or it raises an error that says what went wrong.
TEST(SettingsDispatchBadInput, EveryMethodAnswersOrExplains) {
  ASSERT_TRUE(g_loader->Loaded());
  ComPtr<IDispatch> settings;
  ASSERT_EQ(g_loader->Create(CLSID_orvOrvaneSettings2, &settings), S_OK);
  const wchar_t* methods[] = {
      L"GetSettingPath",
      L"LoadSetting",
      L"SaveSetting",
      L"LoadSetting2",
      L"SaveSetting2",
      L"SaveListViewColumns",
      L"LoadListViewColumns",
      L"SaveListViewColumns2",
      L"LoadListViewColumns2",
      L"SaveProxySettings",
      L"LoadProxySettings",
      L"SaveProxySettings2",
      L"LoadProxySettings2",
      L"LoadFont",
      L"SaveFont",
      L"LoadFont2",
      L"SaveFont2",
      L"SaveFormPlacement",
      L"LoadFormPlacementPx",
      L"LoadFormPlacement",
      L"SaveFormPlacement2",
      L"LoadFormPlacementPx2",
      L"LoadFormPlacement2",
      L"SaveProxySettingsHT",
      L"LoadProxySettingsHT",
      L"SaveProxySettingsHT2",
      L"LoadProxySettingsHT2",
  };
  // With every argument omitted, nothing is read from an object and nothing
  // is written: an omitted object is no object.
  for (const wchar_t* m : methods) {
    Check(settings.Get(), {"all arguments omitted", m, [] { return A(); }, Want::Described});
  }
  const Row rows[] = {
      {"GetSettingPath2 needs its application object", L"GetSettingPath2", [] { return A(); }, Want::Missing},
      {"an application object that is nothing", L"GetSettingPath2", [] { return A(Nothing()); }, Want::Described},
      {"text setting type", L"LoadSetting",
       [] { return A(Variant::Text(L"k"), Variant::Text(L"v"), Variant::Text(L"abc")); }, Want::Mismatch, 2},
      {"Null title", L"GetSettingPath", [] { return A(Null()); }, Want::Mismatch, 0},
      {"text version", L"SaveSetting",
       [] {
         return A(Variant::Text(L"k"), Variant::Text(L"v"), Variant::I4(0), Variant::I4(1), Variant::Text(L"t"),
                  Variant::Text(L"abc"));
       },
       Want::Mismatch, 5},
      {"text font", L"LoadFont", [] { return A(Variant::Text(L"k"), Variant::Text(L"abc")); }, Want::Mismatch, 1},
      {"width beyond a float", L"LoadFormPlacement",
       [] {
         return A(Variant::Text(L"k"), Variant::Text(L"v"), Nothing(), Variant::Text(L"t"), Variant::I4(0),
                  Variant::I4(0), Variant::Bool(false), R8(1e300));
       },
       Want::Mismatch, 7},
      {"an application object that is nothing", L"LoadSetting2",
       [] { return A(Variant::Text(L"k"), Variant::Text(L"v"), Variant::I4(0), Missing(), Nothing()); },
       Want::Described},
  };
  for (const Row& r : rows) Check(settings.Get(), r);
  settings.Reset();
  EXPECT_EQ(g_loader->CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace orv::test

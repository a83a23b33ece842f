// orvOrvaneSettings2 paths, roots, typed loads and saves, called through the
// vtable against the real registry; stored bytes are checked with direct
// Win32 reads.
#include <functional>
#include <string>
#include <vector>

#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

constexpr LONG kString = 0, kLong = 1, kBinary = 2, kBoolean = 3;
const HKEY kUser = HKEY_CURRENT_USER, kMachine = HKEY_LOCAL_MACHINE;

using Store = SettingsTest;

std::wstring PathOf(_orvOrvaneSettings2* store, BSTR title, LONG major, LONG minor, BSTR keyPath,
                    HRESULT expect = S_OK) {
  BSTR out = reinterpret_cast<BSTR>(0x1);  // must be replaced, also on failure
  EXPECT_EQ(store->GetSettingPath(title, major, minor, keyPath, &out), expect);
  if (FAILED(expect)) {
    EXPECT_EQ(out, nullptr);
    return L"";
  }
  return Str(Bstr::Attach(out).Get());
}

TEST_F(Store, SettingPathJoinsTitleVersionAndKeyPathUnchanged) {
  struct Case {
    const wchar_t* title;
    LONG major, minor;
    const wchar_t* keyPath;
    const wchar_t* path;
  };
  const Case cases[] = {
      {L"Orvane - Grumkin", 0, 0, L"", L"Orvane - Grumkin\\Version 0.00"},
      {L"App", 1, 2, L"", L"App\\Version 1.02"},
      {L"App", 1, 2, L"frmMain", L"App\\Version 1.02\\frmMain"},
      {L"App", 2, 15, L"a\\b", L"App\\Version 2.15\\a\\b"},
      {L" App ", 10, 100, L" x ", L" App \\Version 10.100\\ x "},  // nothing is trimmed
      {L"Maker\\App", 1, 0, L"", L"Maker\\App\\Version 1.00"},
      {L"", 0, 0, L"", L"\\Version 0.00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathOf(store_.Get(), Bstr(c.title).Get(), c.major, c.minor, Bstr(c.keyPath).Get()),
              std::wstring(kFamilyKey) + L"\\" + c.path)
        << Narrow(c.title);
  }
  // A NULL BSTR is the empty text.
  EXPECT_EQ(PathOf(store_.Get(), nullptr, 3, 4, nullptr), std::wstring(kFamilyKey) + L"\\\\Version 3.04");
  // A NUL inside the title is kept: the path is a counted text.
  const std::wstring withNul(L"a\0b", 3);
  EXPECT_EQ(PathOf(store_.Get(), Bstr(withNul.data(), 3).Get(), 1, 2, nullptr),
            std::wstring(kFamilyKey) + L"\\" + withNul + L"\\Version 1.02");
}

TEST_F(Store, NegativeVersionIsRaisedWithADescription) {
  for (auto [major, minor] : {std::pair{-1, 0}, {0, -1}, {INT32_MIN, 5}}) {
    PathOf(store_.Get(), Bstr(L"App").Get(), major, minor, nullptr, E_INVALIDARG);
    EXPECT_NE(LastErrorDescription(), L"");
    VARIANT_BOOL ok = kGarbage;
    Load(L"", L"v", kLong, Arg::Missing(), &ok, major, minor, VARIANT_TRUE, E_INVALIDARG);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_NE(LastErrorDescription(), L"");  // the description of the path, not a generic one
  }
  EXPECT_FALSE(KeyExists(kUser, AppKey(title_)));
}

// Error information an earlier call left on the caller's thread is never
// taken for the cause of a later failure.
TEST_F(Store, StaleErrorInfoOnTheThreadIsNotAMethodsDescription) {
  PathOf(store_.Get(), Bstr(L"App").Get(), -1, 0, nullptr, E_INVALIDARG);
  const std::wstring own = LastErrorDescription();
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(L"stale"));
  ComPtr<IErrorInfo> stale;
  ASSERT_EQ(create.As(&stale), S_OK);
  SetErrorInfo(0, stale.Get());
  PathOf(store_.Get(), Bstr(L"App").Get(), -1, 0, nullptr, E_INVALIDARG);
  EXPECT_EQ(LastErrorDescription(), own);
}

TEST_F(Store, NullResultPointersGiveEPointerAndTouchNothing) {
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2);
  IDispatch* disp = app.Get();
  const Bstr title(title_.c_str()), name(L"v");
  EXPECT_EQ(store_->GetSettingPath(title.Get(), 1, 2, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(store_->GetSettingPath2(&disp, nullptr, nullptr), E_POINTER);
  VARIANT_BOOL ok = kGarbage;
  EXPECT_EQ(
      store_->LoadSetting(nullptr, name.Get(), sdtLong, *Arg::Missing(), title.Get(), 1, 2, VARIANT_TRUE, &ok, nullptr),
      E_POINTER);
  EXPECT_EQ(store_->LoadSetting2(nullptr, name.Get(), sdtLong, *Arg::Missing(), &disp, VARIANT_TRUE, &ok, nullptr),
            E_POINTER);
  EXPECT_EQ(ok, kGarbage);
  // SaveSetting2's result is optional: the save happens all the same.
  EXPECT_EQ(store_->SaveSetting2(nullptr, name.Get(), sdtLong, *Arg::I4(1), &disp, VARIANT_TRUE, &ok, nullptr), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_TRUE(app->Reads().size() == 3u) << "only SaveSetting2 read the object";
}

TEST_F(Store, LateBoundCallWithEverythingOmittedUsesTheLibraryDefaults) {
  ComPtr<IDispatch> disp;
  ASSERT_EQ(store_.As(&disp), S_OK);
  DISPPARAMS none{};
  Variant out;
  ASSERT_EQ(disp->Invoke(0x60030002, IID_NULL, 0, DISPATCH_METHOD, &none, out.Get(), nullptr, nullptr), S_OK);
  ASSERT_EQ(V_VT(out.Get()), VT_BSTR);
  EXPECT_EQ(Str(V_BSTR(out.Get())), L"Software\\Larkspur Forge\\Orvane\\Orvane - Grumkin\\Version 0.00");
}

TEST_F(Store, UserSettingChoosesTheRoot) {
  struct Case {
    VARIANT_BOOL user;
    HKEY root;
  };
  const Case cases[] = {{0, kMachine}, {VARIANT_TRUE, kUser}, {1, kUser}, {2, kUser}, {0x7FFF, kUser}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    const std::wstring name = L"v" + std::to_wstring(c.user);
    EXPECT_EQ(Save(L"", name, kString, Arg::Text(L"here"), 1, 2, c.user), VARIANT_TRUE);
    EXPECT_TRUE(Query(c.root, VersionKey(L"Version 1.02"), name).found);
    EXPECT_FALSE(Query(c.root == kUser ? kMachine : kUser, VersionKey(L"Version 1.02"), name).found);
  }
  PutSz(kUser, VersionKey(L"Version 1.02"), L"which", L"user");
  PutSz(kMachine, VersionKey(L"Version 1.02"), L"which", L"machine");
  for (const auto& c : cases) {
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(L"", L"which", kString, Arg::Missing(), &ok, 1, 2, c.user);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(Str(V_BSTR(v.Get())), c.root == kUser ? L"user" : L"machine") << c.user;
  }
}

TEST_F(Store, ValuesAreStoredInTheFamilyEncodingAndReadBack) {
  struct Case {
    const char* what;
    LONG type;
    Arg value;
    DWORD regType;
    std::vector<BYTE> bytes;
    Arg loaded;
  };
  Case cases[] = {
      {"text", kString, Arg::Text(L"Hello"), REG_SZ, Sz(L"Hello"), Arg::Text(L"Hello")},
      {"empty text", kString, Arg::Text(L""), REG_SZ, Sz(L""), Arg::Text(L"")},
      {"number as text", kString, Arg::I4(5), REG_SZ, Sz(L"5"), Arg::Text(L"5")},
      {"Boolean as text", kString, Arg::Bool(true), REG_SZ, Sz(L"True"), Arg::Text(L"True")},
      {"long", kLong, Arg::I4(-2), REG_DWORD, Dword(0xFFFFFFFE), Arg::I4(-2)},
      {"largest long", kLong, Arg::I4(0x7FFFFFFF), REG_DWORD, Dword(0x7FFFFFFF), Arg::I4(0x7FFFFFFF)},
      {"integer", kLong, Arg::I2(-1), REG_DWORD, Dword(0xFFFFFFFF), Arg::I4(-1)},
      {"byte", kLong, Arg::Ui1(255), REG_DWORD, Dword(255), Arg::I4(255)},
      {"bytes", kBinary, Arg::Bytes({0, 1, 2, 255}), REG_BINARY, {0, 1, 2, 255}, Arg::Bytes({0, 1, 2, 255})},
      {"no bytes", kBinary, Arg::Bytes({}), REG_BINARY, {}, Arg::Bytes({})},
      {"True", kBoolean, Arg::Bool(true), REG_SZ, Sz(L"True"), Arg::Bool(true)},
      {"False", kBoolean, Arg::Bool(false), REG_SZ, Sz(L"False"), Arg::Bool(false)},
      {"True as 1", kBoolean,
       [] {
         Arg a = Arg::Of(VT_BOOL);
         V_BOOL(a.Get()) = 1;
         return a;
       }(),
       REG_SZ, Sz(L"True"), Arg::Bool(true)},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring name(c.what, c.what + strlen(c.what));
    EXPECT_EQ(Save(L"", name, c.type, std::move(c.value)), VARIANT_TRUE);
    const Stored s = Query(kUser, VersionKey(L"Version 1.02"), name);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.type, c.regType);
    EXPECT_EQ(s.bytes, c.bytes);
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(L"", name, c.type, Arg::I2(77), &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_TRUE(SameVariant(*v.Get(), *c.loaded)) << Describe(*v.Get());
  }
}

TEST_F(Store, MissingValueGivesTheTypeDefaultWhenDefaultIsOmitted) {
  struct Case {
    LONG type;
    Arg expected;
  };
  Case cases[] = {
      {kString, Arg::Text(L"")},    {kLong, Arg::I4(0)},   {kBinary, Arg::Of(VT_ARRAY | VT_UI1)},  // holds no array
      {kBoolean, Arg::Bool(false)}, {4, Arg::Of(VT_NULL)}, {-1, Arg::Of(VT_NULL)},
      {100, Arg::Of(VT_NULL)},
  };
  V_ARRAY(cases[2].expected.Get()) = nullptr;
  for (auto& c : cases) {
    for (LONG minor : {0, 2}) {  // without and with a look at older versions
      SCOPED_TRACE(testing::Message() << "type " << c.type << " minor " << minor);
      VARIANT_BOOL ok = kGarbage;
      Variant v = Load(L"", L"absent", c.type, Arg::Missing(), &ok, 0, minor);
      EXPECT_EQ(ok, VARIANT_FALSE);
      EXPECT_TRUE(SameVariant(*v.Get(), *c.expected)) << Describe(*v.Get());
      // Omitted as a script variable that holds "missing".
      ok = kGarbage;
      Variant r = Load(L"", L"absent", c.type, Arg::Ref(Arg::Missing()), &ok, 0, minor);
      EXPECT_EQ(ok, VARIANT_FALSE);
      EXPECT_TRUE(SameVariant(*r.Get(), *c.expected)) << Describe(*r.Get());
    }
  }
  EXPECT_FALSE(KeyExists(kUser, AppKey(title_)));  // a load never creates keys
}

TEST_F(Store, MissingValueGivesTheDefaultAsGivenWithoutConversion) {
  ComPtr<TestAppObject> object = TestAppObject::Make(L"x", 0, 0);
  struct Case {
    const char* what;
    LONG type;
    Arg def;
    Arg expected;
  };
  Case cases[] = {
      {"integer for long", kLong, Arg::I2(3), Arg::I2(3)},
      {"text for Boolean", kBoolean, Arg::Text(L"yes"), Arg::Text(L"yes")},
      {"number for text", kString, Arg::I4(5), Arg::I4(5)},
      {"Null", kString, Arg::Of(VT_NULL), Arg::Of(VT_NULL)},
      {"Empty", kLong, Arg::Of(VT_EMPTY), Arg::Of(VT_EMPTY)},
      {"bytes for text", kString, Arg::Bytes({1, 2}), Arg::Bytes({1, 2})},
      {"another error", kBinary, Arg::Error(5), Arg::Error(5)},
      {"object", kString, Arg::Object(object.Get()), Arg::Object(object.Get())},
      {"script variable", kLong, Arg::Ref(Arg::I4(9)), Arg::I4(9)},
      {"typed reference", kLong, Arg::Ref(Arg::Text(L"t"), false), Arg::Text(L"t")},
      {"unknown type", 9, Arg::Bool(true), Arg::Bool(true)},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(L"", L"absent", c.type, std::move(c.def), &ok);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_TRUE(SameVariant(*v.Get(), *c.expected)) << Describe(*v.Get());
  }
}

TEST_F(Store, SuccessFlagMayBeOmitted) {
  EXPECT_EQ(store_->SaveSetting(Bstr(L"").Get(), Bstr(L"n").Get(), sdtLong, *Arg::I4(4), Bstr(title_.c_str()).Get(), 1,
                                2, VARIANT_TRUE, nullptr),
            S_OK);
  EXPECT_EQ(Query(kUser, VersionKey(L"Version 1.02"), L"n").bytes, Dword(4));
  for (const wchar_t* name : {L"n", L"absent"}) {
    Variant v = Load(L"", name, kLong, Arg::Missing(), nullptr);
    EXPECT_EQ(V_I4(v.Get()), name[0] == L'n' ? 4 : 0);
  }
}

TEST_F(Store, BooleansReadFromTextsAndNumbers) {
  struct Text {
    const wchar_t* stored;
    bool value;
  };
  const Text texts[] = {
      {L"True", true}, {L"TRUE", true},     {L"true", true},     {L"tRuE", true},
      {L"1", true},    {L"  true  ", true}, {L"\ttrue\t", true}, {L" \t TRUE \r\n", true},
      {L"\t1 ", true}, {L"Yes", false},     {L"-1", false},      {L"0", false},
      {L"", false},    {L"   ", false},     {L"True.", false},   {L"t rue", false},
      {L"01", false},  {L"1.0", false},     {L"False", false},   {L"on", false},
  };
  for (const auto& t : texts) {
    const std::wstring name = L"[" + std::wstring(t.stored) + L"]";
    PutSz(kUser, VersionKey(L"Version 1.02"), name, t.stored);
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(L"", name, kBoolean, Arg::Missing(), &ok);
    EXPECT_EQ(ok, VARIANT_TRUE) << Narrow(name);
    EXPECT_TRUE(SameVariant(*v.Get(), *Arg::Bool(t.value))) << Narrow(name) << " " << Describe(*v.Get());
  }
  for (std::uint32_t n : {0u, 1u, 2u, 0xFFFFFFFFu, 0x80000000u}) {
    const std::wstring name = L"#" + std::to_wstring(n);
    PutDword(kUser, VersionKey(L"Version 1.02"), name, n);
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(L"", name, kBoolean, Arg::Missing(), &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_TRUE(SameVariant(*v.Get(), *Arg::Bool(n != 0))) << n;
  }
}

// Each stored registry type against each setting type. An older version
// holds a fitting value under every name, so a wrong fallback shows too.
TEST_F(Store, StoredTypeMustFitTheSettingTypeAndNeverFallsBack) {
  struct Stored {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> bytes;
  };
  const Stored stored[] = {
      {L"sz", REG_SZ, Sz(L"5")},
      {L"expand", REG_EXPAND_SZ, Sz(L"5")},
      {L"dword", REG_DWORD, Dword(5)},
      {L"binary", REG_BINARY, {5}},
      {L"multi", REG_MULTI_SZ, {'5', 0, 0, 0, 0, 0}},
      {L"qword", REG_QWORD, {5, 0, 0, 0, 0, 0, 0, 0}},
      {L"none", REG_NONE, {5}},
      {L"big endian", REG_DWORD_BIG_ENDIAN, Dword(5)},
  };
  for (const auto& s : stored) {
    Put(kUser, VersionKey(L"Version 1.02"), s.name, s.type, s.bytes);
    PutDword(kUser, VersionKey(L"Version 1.01"), s.name, 1);
  }
  // What each setting type accepts, and what it then returns.
  struct Fit {
    LONG type;
    const wchar_t* name;
    Arg value;
  };
  Fit fits[] = {
      {kString, L"sz", Arg::Text(L"5")},     {kLong, L"dword", Arg::I4(5)},       {kBinary, L"binary", Arg::Bytes({5})},
      {kBoolean, L"dword", Arg::Bool(true)}, {kBoolean, L"sz", Arg::Bool(false)},  // "5" is not a true text
  };
  for (LONG type : {kString, kLong, kBinary, kBoolean, 7L}) {
    for (const auto& s : stored) {
      SCOPED_TRACE(testing::Message() << "type " << type << " stored " << Narrow(s.name));
      const Fit* fit = nullptr;
      for (const auto& f : fits) {
        if (f.type == type && std::wstring(f.name) == s.name) fit = &f;
      }
      VARIANT_BOOL ok = kGarbage;
      Variant v = Load(L"", s.name, type, Arg::I2(77), &ok);
      EXPECT_EQ(ok, fit ? VARIANT_TRUE : VARIANT_FALSE);
      EXPECT_TRUE(SameVariant(*v.Get(), fit ? *fit->value : *Arg::I2(77))) << Describe(*v.Get());
    }
  }
}

// Every VARIANT type against every setting type: what is written, or that
// nothing is, and that the flag says the same.
TEST_F(Store, SaveWritesOnlyWhatTheSettingTypeTakes) {
  enum Kind { No, Text, AnyText, Dw, Bin, Either };
  struct Out {
    Kind kind;
    const wchar_t* text = nullptr;
    std::vector<BYTE> bytes = {};
  };
  const Out no{No}, anyText{AnyText}, either{Either};
  auto text = [](const wchar_t* t) { return Out{Text, t}; };
  auto dw = [](std::uint32_t n) { return Out{Dw, nullptr, Dword(n)}; };
  auto bin = [](std::vector<BYTE> b) { return Out{Bin, nullptr, std::move(b)}; };

  ComPtr<TestAppObject> object = TestAppObject::Make(L"x", 0, 0);  // has no default property
  auto of = [](VARTYPE vt, auto set) {
    Arg a = Arg::Of(vt);
    set(a.Get());
    return a;
  };
  auto twoDims = [] {
    SAFEARRAYBOUND b[2] = {{2, 0}, {2, 0}};
    Arg a = Arg::Of(VT_ARRAY | VT_UI1);
    V_ARRAY(a.Get()) = SafeArrayCreate(VT_UI1, 2, b);
    return a;
  };
  auto array = [](VARTYPE element) {
    Arg a = Arg::Of(VT_ARRAY | element);
    V_ARRAY(a.Get()) = SafeArrayCreateVector(element, 0, 1);
    return a;
  };
  struct Case {
    const char* what;
    std::function<Arg()> make;
    Out str, lng, bin, boo;
  };
  const Case cases[] = {
      {"Empty", [] { return Arg::Of(VT_EMPTY); }, text(L""), no, no, no},
      {"Null", [] { return Arg::Of(VT_NULL); }, no, no, no, no},
      {"I2", [] { return Arg::I2(7); }, text(L"7"), dw(7), no, no},
      {"I4", [] { return Arg::I4(-7); }, text(L"-7"), dw(0xFFFFFFF9), no, no},
      {"UI1", [] { return Arg::Ui1(7); }, text(L"7"), dw(7), no, no},
      {"I1", [&] { return of(VT_I1, [](VARIANT* v) { V_I1(v) = 7; }); }, text(L"7"), no, no, no},
      {"UI2", [&] { return of(VT_UI2, [](VARIANT* v) { V_UI2(v) = 7; }); }, text(L"7"), no, no, no},
      {"UI4", [&] { return of(VT_UI4, [](VARIANT* v) { V_UI4(v) = 7; }); }, text(L"7"), no, no, no},
      {"I8", [&] { return of(VT_I8, [](VARIANT* v) { V_I8(v) = 7; }); }, text(L"7"), no, no, no},
      {"UI8", [&] { return of(VT_UI8, [](VARIANT* v) { V_UI8(v) = 7; }); }, text(L"7"), no, no, no},
      {"INT", [&] { return of(VT_INT, [](VARIANT* v) { V_INT(v) = 7; }); }, text(L"7"), no, no, no},
      {"UINT", [&] { return of(VT_UINT, [](VARIANT* v) { V_UINT(v) = 7; }); }, text(L"7"), no, no, no},
      {"R4", [&] { return of(VT_R4, [](VARIANT* v) { V_R4(v) = 7.5f; }); }, anyText, no, no, no},
      {"R8", [] { return Arg::R8(7.0); }, text(L"7"), no, no, no},
      {"CY", [&] { return of(VT_CY, [](VARIANT* v) { V_CY(v).int64 = 70000; }); }, text(L"7"), no, no, no},
      {"DECIMAL", [&] { return of(VT_DECIMAL, [](VARIANT* v) { VarDecFromI4(7, &V_DECIMAL(v)); }); }, text(L"7"), no,
       no, no},
      {"DATE", [&] { return of(VT_DATE, [](VARIANT* v) { V_DATE(v) = 45000.5; }); }, anyText, no, no, no},
      {"numeric text", [] { return Arg::Text(L"7"); }, text(L"7"), no, no, no},
      {"text", [] { return Arg::Text(L"abc"); }, text(L"abc"), no, no, no},
      {"True", [] { return Arg::Bool(true); }, text(L"True"), no, no, text(L"True")},
      {"False", [] { return Arg::Bool(false); }, text(L"False"), no, no, text(L"False")},
      {"error value", [] { return Arg::Error(5); }, no, no, no, no},
      {"omitted", [] { return Arg::Missing(); }, no, no, no, no},
      {"Nothing", [] { return Arg::Object(nullptr); }, no, no, no, no},
      {"object", [&] { return Arg::Object(object.Get()); }, no, no, no, no},
      {"unknown", [&] { return Arg::Object(object.Get(), VT_UNKNOWN); }, no, no, no, no},
      {"bytes",
       [] {
         return Arg::Bytes({1, 2});
       },
       no, no, bin({1, 2}), no},
      {"no bytes", [] { return Arg::Bytes({}); }, no, no, bin({}), no},
      {"byte array without array", [] { return Arg::Of(VT_ARRAY | VT_UI1); }, no, no, either, no},
      {"two-dimensional bytes", twoDims, no, no, either, no},
      {"longs", [&] { return array(VT_I4); }, no, no, no, no},
      {"variants", [&] { return array(VT_VARIANT); }, no, no, no, no},
      {"texts", [&] { return array(VT_BSTR); }, no, no, no, no},
      {"bare VT_VARIANT", [] { return Arg::Of(VT_VARIANT); }, no, no, no, no},
      {"undefined type", [] { return Arg::Of(0x7FF); }, no, no, no, no},
      {"ref I4", [] { return Arg::Ref(Arg::I4(7), false); }, text(L"7"), dw(7), no, no},
      {"ref I2", [] { return Arg::Ref(Arg::I2(7), false); }, text(L"7"), dw(7), no, no},
      {"ref UI1", [] { return Arg::Ref(Arg::Ui1(7), false); }, text(L"7"), dw(7), no, no},
      {"ref R8", [] { return Arg::Ref(Arg::R8(7.0), false); }, text(L"7"), no, no, no},
      {"ref text", [] { return Arg::Ref(Arg::Text(L"abc"), false); }, text(L"abc"), no, no, no},
      {"ref Boolean", [] { return Arg::Ref(Arg::Bool(true), false); }, text(L"True"), no, no, text(L"True")},
      {"ref bytes", [] { return Arg::Ref(Arg::Bytes({3}), false); }, no, no, bin({3}), no},
      {"ref Null", [] { return Arg::Ref(Arg::Of(VT_NULL), false); }, no, no, no, no},
      {"variable I4", [] { return Arg::Ref(Arg::I4(7)); }, text(L"7"), dw(7), no, no},
      {"variable Boolean", [] { return Arg::Ref(Arg::Bool(false)); }, text(L"False"), no, no, text(L"False")},
      {"variable bytes", [] { return Arg::Ref(Arg::Bytes({4})); }, no, no, bin({4}), no},
      {"variable text", [] { return Arg::Ref(Arg::Text(L"5")); }, text(L"5"), no, no, no},
      {"variable Null", [] { return Arg::Ref(Arg::Of(VT_NULL)); }, no, no, no, no},
      {"variable omitted", [] { return Arg::Ref(Arg::Missing()); }, no, no, no, no},
      {"variable of a variable", [] { return Arg::Ref(Arg::Ref(Arg::I4(7))); }, either, either, either, either},
      {"reference to nowhere", [] { return Arg::Of(VT_BYREF | VT_I4); }, no, no, no, no},
      {"variable to nowhere", [] { return Arg::Of(VT_BYREF | VT_VARIANT); }, no, no, no, no},
  };
  const std::wstring key = VersionKey(L"Version 1.02");
  for (const auto& c : cases) {
    const Out* outs[] = {&c.str, &c.lng, &c.bin, &c.boo, &no, &no};
    const LONG types[] = {kString, kLong, kBinary, kBoolean, 4, -1};
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(testing::Message() << c.what << " as type " << types[i]);
      const std::wstring name = std::wstring(c.what, c.what + strlen(c.what)) + L" " + std::to_wstring(types[i]);
      Arg value = c.make();
      const VARIANT_BOOL ok = Save(L"", name, types[i], std::move(value));
      const test::Stored s = Query(kUser, key, name);
      const Out& out = *outs[i];
      EXPECT_EQ(ok == VARIANT_TRUE, s.found) << "the flag agrees with the registry";
      EXPECT_TRUE(ok == VARIANT_TRUE || ok == VARIANT_FALSE) << ok;
      switch (out.kind) {
        case No: EXPECT_FALSE(s.found); break;
        case Either: break;
        case Text:
          EXPECT_EQ(s.type, static_cast<DWORD>(REG_SZ));
          EXPECT_EQ(s.bytes, Sz(out.text));
          break;
        case AnyText:
          EXPECT_EQ(s.type, static_cast<DWORD>(REG_SZ));
          EXPECT_GT(s.bytes.size(), 2u);
          break;
        case Dw:
          EXPECT_EQ(s.type, static_cast<DWORD>(REG_DWORD));
          EXPECT_EQ(s.bytes, out.bytes);
          break;
        case Bin:
          EXPECT_EQ(s.type, static_cast<DWORD>(REG_BINARY));
          EXPECT_EQ(s.bytes, out.bytes);
          break;
      }
      if (out.kind != No && out.kind != Either) {
        EXPECT_TRUE(s.found);
      }
    }
  }
}

TEST_F(Store, OmittedValueWritesNothingAndCreatesNoKey) {
  for (LONG type : {kString, kLong, kBinary, kBoolean}) {
    EXPECT_EQ(Save(L"sub", L"v", type, Arg::Missing()), VARIANT_FALSE);
    EXPECT_EQ(Save(L"sub", L"v", type, Arg::Ref(Arg::Missing())), VARIANT_FALSE);
  }
  // A value that cannot be prepared does not create the key either.
  EXPECT_EQ(Save(L"sub", L"v", kLong, Arg::R8(1)), VARIANT_FALSE);
  EXPECT_FALSE(KeyExists(kUser, AppKey(title_)));
}

TEST_F(Store, SavingLeavesTheCallersVariableAlone) {
  Arg flag = Arg::Ref(Arg::Bool(true), false);
  const VARIANT* target = flag.Target();
  EXPECT_EQ(store_->SaveSetting(nullptr, Bstr(L"b").Get(), sdtBoolean, *flag, Bstr(title_.c_str()).Get(), 1, 2,
                                VARIANT_TRUE, nullptr),
            S_OK);
  EXPECT_TRUE(SameVariant(*target, *Arg::Bool(true)));
  Arg number = Arg::Ref(Arg::I4(5));
  target = number.Target();
  EXPECT_EQ(store_->SaveSetting(nullptr, Bstr(L"s").Get(), sdtString, *number, Bstr(title_.c_str()).Get(), 1, 2,
                                VARIANT_TRUE, nullptr),
            S_OK);
  EXPECT_TRUE(SameVariant(*target, *Arg::I4(5)));
  EXPECT_EQ(Query(kUser, VersionKey(L"Version 1.02"), L"b").bytes, Sz(L"True"));
  EXPECT_EQ(Query(kUser, VersionKey(L"Version 1.02"), L"s").bytes, Sz(L"5"));
}

TEST_F(Store, SubKeyPlacesTheValueBelowTheVersionKey) {
  struct Case {
    const wchar_t* sub;
    const wchar_t* key;
  };
  const Case cases[] = {
      {L"", L"Version 1.02"}, {L"frmMain", L"Version 1.02\\frmMain"}, {L"a\\b", L"Version 1.02\\a\\b"}};
  for (const auto& c : cases) {
    const std::wstring name = L"at " + std::wstring(c.sub);
    EXPECT_EQ(Save(c.sub, name, kLong, Arg::I4(3)), VARIANT_TRUE);
    EXPECT_EQ(Query(kUser, VersionKey(c.key), name).bytes, Dword(3)) << Narrow(c.key);
    VARIANT_BOOL ok = kGarbage;
    EXPECT_EQ(V_I4(Load(c.sub, name, kLong, Arg::Missing(), &ok).Get()), 3);
    EXPECT_EQ(ok, VARIANT_TRUE);
  }
  EXPECT_FALSE(Query(kUser, VersionKey(L"Version 1.02\\a"), L"at a\\b").found);
  // An empty value name is the key's unnamed value.
  EXPECT_EQ(Save(L"", L"", kString, Arg::Text(L"unnamed")), VARIANT_TRUE);
  EXPECT_EQ(Query(kUser, VersionKey(L"Version 1.02"), L"").bytes, Sz(L"unnamed"));
}

TEST_F(Store, TitlesAreUsedExactlyAsGiven) {
  const std::wstring nested = Title("nested\\Inner");
  EXPECT_EQ(SaveAs(nested, L"", L"v", kLong, Arg::I4(1)), VARIANT_TRUE);
  EXPECT_TRUE(Query(kUser, AppKey(Title("nested")) + L"\\Inner\\Version 1.02", L"v").found);

  const std::wstring blank = Title("blank ");
  EXPECT_EQ(SaveAs(blank, L"", L"v", kLong, Arg::I4(2)), VARIANT_TRUE);
  EXPECT_TRUE(KeyExists(kUser, AppKey(blank)));
  VARIANT_BOOL ok = kGarbage;
  LoadAs(Title("blank"), L"", L"v", kLong, Arg::Missing(), &ok);
  EXPECT_EQ(ok, VARIANT_FALSE) << "the title is not trimmed";
}

// Names the registry cannot hold: a key name component over 255 characters,
// and texts with a NUL inside, which the registry API would cut short and so
// address another key or value. Nothing is written, loads give the default.
TEST_F(Store, NamesTheRegistryCannotHoldAddressNothing) {
  // `absent` names the key (or, with `absentValue`, the value) that must not appear.
  struct Case {
    const char* what;
    std::wstring title, sub, name, absent, absentValue;
  };
  const std::wstring nul(1, L'\0');
  const std::wstring longTitle = Title(std::string(300, 'L')), longSub(300, L'S');
  const Case cases[] = {
      {"long title", longTitle, L"", L"v", AppKey(longTitle), L""},
      {"long sub-key", title_, longSub, L"v", VersionKey(L"Version 1.02", longSub), L""},
      {"NUL in title", Title("nul") + nul + L"x", L"", L"v", AppKey(Title("nul")), L""},
      {"NUL in sub-key", title_, L"a" + nul + L"b", L"v", VersionKey(L"Version 1.02", L"a"), L""},
      {"NUL in value name", title_, L"", L"v" + nul + L"w", VersionKey(L"Version 1.02"), L"v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SaveAs(c.title, c.sub, c.name, kLong, Arg::I4(5)), VARIANT_FALSE);
    if (c.absentValue.empty()) {
      EXPECT_FALSE(KeyExists(kUser, c.absent));
    } else {
      EXPECT_FALSE(Query(kUser, c.absent, c.absentValue).found);
    }
    VARIANT_BOOL ok = kGarbage;
    Variant v = LoadAs(c.title, c.sub, c.name, kLong, Arg::I2(-3), &ok);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_TRUE(SameVariant(*v.Get(), *Arg::I2(-3)));
  }
  // With the cut-short name holding a value, a load still does not see it.
  PutDword(kUser, VersionKey(L"Version 1.02"), L"v", 1);
  VARIANT_BOOL ok = kGarbage;
  Load(L"", L"v" + nul + L"w", kLong, Arg::Missing(), &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
}

}  // namespace
}  // namespace orv::test

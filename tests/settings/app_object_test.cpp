// The methods that take an application object: what they read from it, how
// its values convert, and how an unreadable object fails the call.
#include <functional>
#include <string>
#include <vector>

#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);
constexpr HRESULT kScriptError = static_cast<HRESULT>(0x800A0005);

using AppObject = SettingsTest;

TEST_F(AppObject, TitleAndVersionComeFromTheObject) {
  for (bool scriptLike : {false, true}) {
    SCOPED_TRACE(scriptLike ? "script class instance" : "C++ object");
    ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, scriptLike);
    IDispatch* disp = app.Get();

    Bstr path;
    ASSERT_EQ(store_->GetSettingPath2(&disp, Bstr(L"frmMain").Get(), path.Put()), S_OK);
    EXPECT_EQ(Str(path.Get()), VersionKey(L"Version 1.02", L"frmMain"));

    VARIANT_BOOL ok = kGarbage, result = kGarbage;
    ASSERT_EQ(store_->SaveSetting2(Bstr(L"").Get(), Bstr(L"n").Get(), sdtLong, *Arg::I4(8), &disp, VARIANT_TRUE, &ok,
                                   &result),
              S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_EQ(Query(HKEY_CURRENT_USER, VersionKey(L"Version 1.02"), L"n").bytes, Dword(8));

    for (const wchar_t* name : {L"n", L"absent"}) {
      Variant out;
      ok = kGarbage;
      ASSERT_EQ(store_->LoadSetting2(nullptr, Bstr(name).Get(), sdtLong, *Arg::Missing(), &disp, VARIANT_TRUE, &ok,
                                     out.Get()),
                S_OK);
      const bool present = name[0] == L'n';
      EXPECT_EQ(ok, present ? VARIANT_TRUE : VARIANT_FALSE);
      EXPECT_TRUE(SameVariant(*out.Get(), *Arg::I4(present ? 8 : 0)));
    }
    // The object stays the caller's, and is read in the same order every time.
    EXPECT_EQ(disp, app.Get());
    const std::vector<std::wstring>& reads = app->Reads();
    ASSERT_EQ(reads.size(), 12u);
    const wchar_t* const order[] = {L"TITLE", L"MAJOR", L"MINOR"};
    for (std::size_t i = 0; i < reads.size(); ++i) EXPECT_EQ(reads[i], order[i % 3]);
  }
}

TEST_F(AppObject, UserSettingAndTheFlagPassThrough) {
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 3, 0);
  IDispatch* disp = app.Get();
  VARIANT_BOOL result = kGarbage;
  ASSERT_EQ(store_->SaveSetting2(nullptr, Bstr(L"m").Get(), sdtBoolean, *Arg::Bool(true), &disp, VARIANT_FALSE, nullptr,
                                 &result),
            S_OK);
  EXPECT_EQ(result, VARIANT_TRUE) << "the result tells success also without a flag";
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, VersionKey(L"Version 3.00"), L"m").bytes, Sz(L"True"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(title_)));

  VARIANT_BOOL ok = kGarbage;
  result = kGarbage;
  ASSERT_EQ(
      store_->SaveSetting2(nullptr, Bstr(L"m").Get(), sdtBoolean, *Arg::I4(1), &disp, VARIANT_FALSE, &ok, &result),
      S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(result, VARIANT_FALSE);
}

// Calls a member late-bound: `positional` in declaration order, `named` as
// (parameter index, argument) pairs, which go first in the argument array.
HRESULT CallLate(IDispatch* disp, DISPID member, const std::vector<const Arg*>& positional,
                 const std::vector<std::pair<DISPID, const Arg*>>& named, VARIANT* out) {
  std::vector<VARIANT> args;
  std::vector<DISPID> ids;
  for (const auto& [id, arg] : named) {
    args.push_back(**arg);
    ids.push_back(id);
  }
  for (auto it = positional.rbegin(); it != positional.rend(); ++it) args.push_back(***it);
  DISPPARAMS params{args.data(), ids.empty() ? nullptr : ids.data(), static_cast<UINT>(args.size()),
                    static_cast<UINT>(ids.size())};
  return disp->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, out, nullptr, nullptr);
}

// Scripts pass variables as VT_BYREF|VT_VARIANT, and values in parentheses,
// for the typed by-reference AppObject and lpSuccess.
TEST_F(AppObject, LateBoundCallsTakeScriptVariablesAndValues) {
  PutDword(HKEY_CURRENT_USER, VersionKey(L"Version 1.02"), L"n", 8);
  ComPtr<IDispatch> disp;
  ASSERT_EQ(store_.As(&disp), S_OK);
  constexpr DISPID kLoadSetting2 = 0x6003000E;
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, true);
  const Arg sub = Arg::Text(L""), name = Arg::Text(L"n"), type = Arg::I4(sdtLong), omitted = Arg::Missing(),
            user = Arg::Bool(true);
  struct Case {
    const char* what;
    bool byRef;
    Arg flagHeld;
    bool named;
  };
  Case cases[] = {
      {"variables", true, Arg::Of(VT_EMPTY), false},
      {"flag variable holding a text", true, Arg::Text(L"x"), false},
      {"values in parentheses", false, Arg::Text(L"x"), false},
      {"by name", true, Arg::I2(5), true},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Arg appArg = c.byRef ? Arg::Ref(Arg::Object(app.Get())) : Arg::Object(app.Get());
    const Arg flag = c.byRef ? Arg::Ref(std::move(c.flagHeld)) : std::move(c.flagHeld);
    Variant out;
    const HRESULT hr =
        c.named
            ? CallLate(disp.Get(), kLoadSetting2, {&sub, &name, &type}, {{4, &appArg}, {6, &flag}}, out.Get())
            : CallLate(disp.Get(), kLoadSetting2, {&sub, &name, &type, &omitted, &appArg, &user, &flag}, {}, out.Get());
    ASSERT_EQ(hr, S_OK);
    EXPECT_TRUE(SameVariant(*out.Get(), *Arg::I4(8))) << Describe(*out.Get());
    if (c.byRef) {
      EXPECT_TRUE(SameVariant(*flag.Target(), *Arg::Bool(true))) << Describe(*flag.Target());
    }
  }
}

TEST_F(AppObject, PropertiesConvertByTheAutomationRules) {
  struct Case {
    const char* what;
    Arg title, major, minor;
    HRESULT hr;
    const wchar_t* version;
  };
  Case cases[] = {
      {"plain", Arg::Text(L"T"), Arg::I4(1), Arg::I4(2), S_OK, L"T\\Version 1.02"},
      {"small integers", Arg::Text(L"T"), Arg::I2(4), Arg::Ui1(5), S_OK, L"T\\Version 4.05"},
      {"numeric texts", Arg::Text(L"T"), Arg::Text(L"3"), Arg::Text(L" 12 "), S_OK, L"T\\Version 3.12"},
      {"halves to even", Arg::Text(L"T"), Arg::R8(2.5), Arg::R8(3.5), S_OK, L"T\\Version 2.04"},
      {"number as title", Arg::I4(42), Arg::I4(1), Arg::I4(0), S_OK, L"42\\Version 1.00"},
      {"Empty values", Arg::Of(VT_EMPTY), Arg::Of(VT_EMPTY), Arg::Of(VT_EMPTY), S_OK, L"\\Version 0.00"},
      {"Null title", Arg::Of(VT_NULL), Arg::I4(1), Arg::I4(0), DISP_E_TYPEMISMATCH, nullptr},
      {"text major", Arg::Text(L"T"), Arg::Text(L"one"), Arg::I4(0), DISP_E_TYPEMISMATCH, nullptr},
      {"huge minor", Arg::Text(L"T"), Arg::I4(1), Arg::R8(3e9), DISP_E_OVERFLOW, nullptr},
      {"negative major", Arg::Text(L"T"), Arg::I4(-1), Arg::I4(0), E_INVALIDARG, nullptr},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto app = ComPtr<TestAppObject>::Attach(new TestAppObject());
    app->Set(L"Title", std::move(c.title));
    app->Set(L"Major", std::move(c.major));
    app->Set(L"Minor", std::move(c.minor));
    IDispatch* disp = app.Get();
    Bstr path;
    const HRESULT hr = store_->GetSettingPath2(&disp, nullptr, path.Put());
    EXPECT_EQ(hr, c.hr);
    if (c.version) {
      EXPECT_EQ(Str(path.Get()), std::wstring(kFamilyKey) + L"\\" + c.version);
    } else {
      EXPECT_EQ(path.Get(), nullptr);
      EXPECT_NE(LastErrorDescription(), L"");
    }
  }
}

// Each way of failing, through all three methods: the COM error of the call
// with a description, and no registry access.
TEST_F(AppObject, UnreadableObjectFailsTheCallAndTouchesNothing) {
  struct Case {
    const char* what;
    std::function<ComPtr<TestAppObject>()> make;
    HRESULT hr;
    const wchar_t* mention;
  };
  auto without = [this](const wchar_t* name, bool scriptLike) {
    return [=, this] {
      ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, scriptLike);
      app->Remove(name);
      return app;
    };
  };
  const Case cases[] = {
      {"Nothing", [] { return ComPtr<TestAppObject>(); }, kObjectNotSet, L"AppObject"},
      {"no Title", without(L"Title", false), DISP_E_UNKNOWNNAME, L"Title"},
      {"no Major", without(L"Major", false), DISP_E_UNKNOWNNAME, L"Major"},
      {"no Minor", without(L"Minor", false), DISP_E_UNKNOWNNAME, L"Minor"},
      {"script object without Minor", without(L"Minor", true), DISP_E_UNKNOWNNAME, L"Minor"},
      {"raising Major",
       [this] {
         ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2);
         app->Set(L"Major", Arg::Error(kScriptError));
         return app;
       },
       kScriptError, L"cannot be read now"},
      {"Null Title",
       [this] {
         ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2);
         app->Set(L"Title", Arg::Of(VT_NULL));
         return app;
       },
       DISP_E_TYPEMISMATCH, L"Title"},
  };
  // A value where a call that read the object anyway would find it.
  PutDword(HKEY_CURRENT_USER, VersionKey(L"Version 1.02"), L"v", 6);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<TestAppObject> app = c.make();
    IDispatch* disp = app.Get();
    auto expectError = [&](HRESULT hr) {
      EXPECT_EQ(hr, c.hr);
      const std::wstring d = LastErrorDescription();
      EXPECT_NE(d.find(c.mention), std::wstring::npos) << Narrow(d);
    };
    Bstr path;
    expectError(store_->GetSettingPath2(&disp, nullptr, path.Put()));
    EXPECT_EQ(path.Get(), nullptr);

    Variant out;
    VARIANT_BOOL ok = kGarbage;
    expectError(
        store_->LoadSetting2(nullptr, Bstr(L"v").Get(), sdtLong, *Arg::I2(-1), &disp, VARIANT_TRUE, &ok, out.Get()));
    EXPECT_EQ(V_VT(out.Get()), VT_EMPTY);

    VARIANT_BOOL result = kGarbage;
    expectError(
        store_->SaveSetting2(nullptr, Bstr(L"w").Get(), sdtLong, *Arg::I4(1), &disp, VARIANT_TRUE, &ok, &result));
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_FALSE(Query(HKEY_CURRENT_USER, VersionKey(L"Version 1.02"), L"w").found);
  }
  // An omitted object arrives as a NULL pointer.
  Bstr path;
  EXPECT_EQ(store_->GetSettingPath2(nullptr, nullptr, path.Put()), kObjectNotSet);
  EXPECT_NE(LastErrorDescription(), L"");

  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(store_.As(&support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__orvOrvaneSettings2), S_OK);
}

}  // namespace
}  // namespace orv::test

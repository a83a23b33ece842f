// Window placements stored and applied on real windows: the stored bytes
// against GetWindowPlacement, records that are no placement, the fixed
// sizes, a record off the screen, older versions, and bad form objects.
#include <cstring>
#include <functional>

#include "tests/settings/window_objects.h"

namespace orv::test {
namespace {

constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);
constexpr HRESULT kScriptError = static_cast<HRESULT>(0x800A0005);
constexpr wchar_t kValue[] = L"Window placement";

class FormPlacement : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    window_ = std::make_unique<TestWindow>(120, 90, 400, 300);
    ASSERT_NE(window_->Get(), nullptr);
    form_ = FormObject(window_->Get(), L"frmMain");
  }
  std::wstring FormKey(const std::wstring& version = L"Version 1.02") const { return VersionKey(version, L"frmMain"); }

  HRESULT Save(IDispatch* form, VARIANT_BOOL* ok, const wchar_t* sub = L"") {
    return store_->SaveFormPlacement(Bstr(sub).Get(), Bstr(kValue).Get(), &form, Bstr(title_.c_str()).Get(), 1, 2,
                                     VARIANT_TRUE, ok);
  }
  HRESULT LoadPx(IDispatch* form, VARIANT_BOOL* ok, LONG width = 0, LONG height = 0, bool minimized = false) {
    return store_->LoadFormPlacementPx(Bstr(L"").Get(), Bstr(kValue).Get(), &form, Bstr(title_.c_str()).Get(), 1, 2,
                                       minimized ? VARIANT_TRUE : VARIANT_FALSE, width, height, VARIANT_TRUE, ok);
  }
  void PutRecord(const WINDOWPLACEMENT& wp, const std::wstring& version = L"Version 1.02") {
    std::vector<BYTE> bytes(sizeof(wp));
    std::memcpy(bytes.data(), &wp, sizeof(wp));
    Put(HKEY_CURRENT_USER, FormKey(version), kValue, REG_BINARY, bytes);
  }
  static WINDOWPLACEMENT Record(RECT normal, UINT show = SW_SHOWNORMAL) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    wp.showCmd = show;
    wp.ptMinPosition = {-1, -1};
    wp.ptMaxPosition = {-1, -1};
    wp.rcNormalPosition = normal;
    return wp;
  }
  WINDOWPLACEMENT Placement() const {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    GetWindowPlacement(window_->Get(), &wp);
    return wp;
  }

  std::unique_ptr<TestWindow> window_;
  ComPtr<TestAppObject> form_;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Every integer type a handle may arrive as stores the same record.
TEST_F(FormPlacement, SavedRecordIsWhatTheWindowManagerReports) {
  const auto handle = static_cast<LONGLONG>(reinterpret_cast<INT_PTR>(window_->Get()));
  struct Case {
    const char* what;
    Arg hwnd;
  };
  Case cases[] = {
      {"Long", HandleArg(window_->Get())},
      {"unsigned", Arg::Of(VT_UI4)},
      {"64-bit", Arg::Of(VT_I8)},
      {"unsigned 64-bit", Arg::Of(VT_UI8)},
      {"Double", Arg::R8(static_cast<double>(handle))},
      {"script variable", Arg::Ref(HandleArg(window_->Get()))},
  };
  V_UI4(cases[1].hwnd.Get()) = static_cast<ULONG>(handle);
  V_I8(cases[2].hwnd.Get()) = handle;
  V_UI8(cases[3].hwnd.Get()) = static_cast<ULONGLONG>(handle);
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTestTitles();
    form_->Set(L"hWnd", std::move(c.hwnd));
    VARIANT_BOOL ok = kGarbage;
    ASSERT_EQ(Save(form_.Get(), &ok), S_OK) << Narrow(LastErrorDescription());
    EXPECT_EQ(ok, VARIANT_TRUE);
    const WINDOWPLACEMENT wp = Placement();
    std::vector<BYTE> expected(sizeof(wp));
    std::memcpy(expected.data(), &wp, sizeof(wp));
    const Stored s = Query(HKEY_CURRENT_USER, FormKey(), kValue);
    EXPECT_EQ(s.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(s.bytes, expected);
    ASSERT_EQ(s.bytes.size(), 44u);
    EXPECT_EQ(s.bytes[0], 44);
  }
  // Back where it was saved.
  SetWindowPos(window_->Get(), nullptr, 300, 200, 500, 350, SWP_NOZORDER);
  VARIANT_BOOL ok = kGarbage;
  ASSERT_EQ(LoadPx(form_.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  const RECT expected{120, 90, 520, 390};
  EXPECT_TRUE(SameRect(Placement().rcNormalPosition, expected));
}

TEST_F(FormPlacement, RecordsThatAreNoPlacementLeaveTheWindow) {
  WINDOWPLACEMENT wp = Record({500, 400, 700, 600});
  std::vector<BYTE> good(44);
  std::memcpy(good.data(), &wp, 44);
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> bytes;
  };
  std::vector<BYTE> shortLength = good;
  shortLength[0] = 40;
  const Case cases[] = {
      {"43 bytes", REG_BINARY, {good.begin(), good.end() - 1}},
      {"45 bytes", REG_BINARY,
       [&] {
         auto b = good;
         b.push_back(0);
         return b;
       }()},
      {"length field 40", REG_BINARY, shortLength},
      {"empty", REG_BINARY, {}},
      {"a text", REG_SZ, Sz(L"placement")},
  };
  const RECT before = Placement().rcNormalPosition;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put(HKEY_CURRENT_USER, FormKey(), kValue, c.type, c.bytes);
    VARIANT_BOOL ok = kGarbage;
    ASSERT_EQ(LoadPx(form_.Get(), &ok, 300, 300, true), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_TRUE(SameRect(Placement().rcNormalPosition, before));
    EXPECT_FALSE(IsIconic(window_->Get()));
  }
}

TEST_F(FormPlacement, ShowStateAndFixedSizes) {
  const RECT stored{200, 150, 600, 450};
  float twips = 0;
  {
    HDC dc = GetDC(nullptr);
    twips = 1440.0f / static_cast<float>(GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(nullptr, dc);
  }
  struct Case {
    const char* what;
    bool twips;
    float width, height;
    bool minimized;
    UINT storedShow;
    RECT expected;
    bool iconic;
  };
  const Case cases[] = {
      {"as stored", false, 0, 0, false, SW_SHOWNORMAL, stored, false},
      {"300 pixels wide", false, 300, 0, false, SW_SHOWNORMAL, {200, 150, 500, 450}, false},
      {"negative sizes keep the stored ones", false, -5, -1, false, SW_SHOWNORMAL, stored, false},
      {"both sizes", false, 320, 200, false, SW_SHOWNORMAL, {200, 150, 520, 350}, false},
      {"4500 twips", true, 4500, 0, false, SW_SHOWNORMAL, {200, 150, 200 + LONG(4500 / twips), 450}, false},
      {"10 twips: under a pixel", true, 10, 10, false, SW_SHOWNORMAL, stored, false},
      {"SetMinimized", false, 0, 0, true, SW_SHOWNORMAL, stored, true},
      {"saved minimized", false, 0, 0, false, SW_SHOWMINIMIZED, stored, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShowWindow(window_->Get(), SW_RESTORE);
    SetWindowPos(window_->Get(), nullptr, 10, 10, 100, 100, SWP_NOZORDER);
    PutRecord(Record(stored, c.storedShow));
    VARIANT_BOOL ok = kGarbage;
    IDispatch* form = form_.Get();
    const HRESULT hr = c.twips
                           ? store_->LoadFormPlacement(nullptr, Bstr(kValue).Get(), &form, Bstr(title_.c_str()).Get(),
                                                       1, 2, c.minimized, c.width, c.height, VARIANT_TRUE, &ok)
                           : LoadPx(form, &ok, LONG(c.width), LONG(c.height), c.minimized);
    ASSERT_EQ(hr, S_OK) << Narrow(LastErrorDescription());
    EXPECT_EQ(ok, VARIANT_TRUE);
    const RECT r = Placement().rcNormalPosition;
    EXPECT_TRUE(SameRect(r, c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(IsIconic(window_->Get()) != FALSE, c.iconic);
  }
}

TEST_F(FormPlacement, RecordOffTheScreenComesBackOnIt) {
  PutRecord(Record({9000, 7000, 9400, 7300}));
  VARIANT_BOOL ok = kGarbage;
  ASSERT_EQ(LoadPx(form_.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  RECT onScreen;
  GetWindowRect(window_->Get(), &onScreen);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(window_->Get(), MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_GE(onScreen.left, mi.rcWork.left);
  EXPECT_GE(onScreen.top, mi.rcWork.top);
  EXPECT_LE(onScreen.right, mi.rcWork.right);
  EXPECT_LE(onScreen.bottom, mi.rcWork.bottom);
  const RECT r = Placement().rcNormalPosition;
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
}

TEST_F(FormPlacement, OlderVersionAndApplicationObject) {
  PutRecord(Record({210, 160, 610, 460}), L"Version 1.01");
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, true);
  const Arg sub = Arg::Text(L""), name = Arg::Text(kValue), formArg = Arg::Ref(Arg::Object(form_.Get())),
            appArg = Arg::Ref(Arg::Object(app.Get())), notMin = Arg::Bool(false), height = Arg::I4(0),
            user = Arg::Bool(true), flag = Arg::Ref(Arg::Bool(false));
  Arg width = Arg::Of(VT_R4);
  V_R4(width.Get()) = 4500;
  ASSERT_EQ(CallLate(store_.Get(), L"LoadFormPlacement2",
                     {&sub, &name, &formArg, &appArg, &notMin, &width, &height, &user, &flag}),
            S_OK);
  EXPECT_TRUE(SameVariant(*flag.Target(), *Arg::Bool(true)));
  EXPECT_EQ(Placement().rcNormalPosition.left, 210);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FormKey())) << "an older record is only read";

  const Arg saveFlag = Arg::Ref(Arg::Bool(false));
  ASSERT_EQ(CallLate(store_.Get(), L"SaveFormPlacement2", {&sub, &name, &formArg, &appArg, &user, &saveFlag}), S_OK);
  EXPECT_TRUE(SameVariant(*saveFlag.Target(), *Arg::Bool(true)));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, FormKey(), kValue).bytes.size(), 44u);

  IDispatch* form = form_.Get();
  IDispatch* appDisp = app.Get();
  VARIANT_BOOL ok = kGarbage;
  ASSERT_EQ(store_->LoadFormPlacementPx2(nullptr, Bstr(kValue).Get(), &form, &appDisp, VARIANT_FALSE, 0, 0,
                                         VARIANT_TRUE, &ok),
            S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
}

// Bad forms: a quiet False where the window cannot be reached, the form's own
// error where it cannot be read; never a stray value.
TEST_F(FormPlacement, BadFormObjects) {
  PutRecord(Record({200, 150, 600, 450}), L"Version 1.01");  // something to load
  TestWindow gone(0, 0, 100, 100);
  const HWND destroyed = gone.Get();
  gone.Destroy();
  struct Case {
    const char* what;
    std::function<void(TestAppObject*)> spoil;
    HRESULT hr;
    const wchar_t* mention;
  };
  const Case cases[] = {
      {"Nothing", nullptr, S_OK, nullptr},
      {"destroyed window", [&](TestAppObject* f) { f->Set(L"hWnd", HandleArg(destroyed)); }, S_OK, nullptr},
      {"handle 0", [](TestAppObject* f) { f->Set(L"hWnd", Arg::I4(0)); }, S_OK, nullptr},
      {"no hWnd", [](TestAppObject* f) { f->Remove(L"hWnd"); }, DISP_E_UNKNOWNNAME, L"hWnd"},
      {"hWnd raises", [](TestAppObject* f) { f->Set(L"hWnd", Arg::Error(kScriptError)); }, kScriptError,
       L"cannot be read now"},
      {"hWnd a word", [](TestAppObject* f) { f->Set(L"hWnd", Arg::Text(L"abc")); }, DISP_E_TYPEMISMATCH, L"hWnd"},
      {"no Name", [](TestAppObject* f) { f->Remove(L"Name"); }, DISP_E_UNKNOWNNAME, L"Name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<TestAppObject> form = c.spoil ? FormObject(window_->Get(), L"frmMain") : nullptr;
    if (c.spoil) c.spoil(form.Get());
    const RECT before = Placement().rcNormalPosition;
    for (bool load : {false, true}) {
      VARIANT_BOOL ok = kGarbage;
      const HRESULT hr = load ? LoadPx(form.Get(), &ok) : Save(form.Get(), &ok);
      // A load of a destroyed or null window fails at SetWindowPlacement.
      EXPECT_EQ(hr, c.hr) << (load ? "load" : "save");
      if (c.hr == S_OK) {
        EXPECT_EQ(ok, VARIANT_FALSE);
      } else {
        EXPECT_NE(LastErrorDescription().find(c.mention), std::wstring::npos) << Narrow(LastErrorDescription());
      }
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FormKey())) << "nothing written";
      EXPECT_TRUE(SameRect(Placement().rcNormalPosition, before));
    }
  }
  // Without an application object nothing is read or written.
  IDispatch* form = form_.Get();
  IDispatch* noApp = nullptr;
  VARIANT_BOOL ok = kGarbage;
  EXPECT_EQ(store_->SaveFormPlacement2(nullptr, nullptr, &form, &noApp, VARIANT_TRUE, &ok), kObjectNotSet);
  EXPECT_EQ(ok, kGarbage);
}

TEST_F(FormPlacement, SizeArithmeticRaises) {
  PutRecord(Record({500, 100, 900, 400}));
  const RECT before = Placement().rcNormalPosition;
  constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);
  IDispatch* form = form_.Get();
  for (bool twips : {false, true}) {
    SCOPED_TRACE(twips ? "3e10 twips" : "the largest Long in pixels");
    VARIANT_BOOL ok = kGarbage;
    const HRESULT hr = twips ? store_->LoadFormPlacement(nullptr, Bstr(kValue).Get(), &form, Bstr(title_.c_str()).Get(),
                                                         1, 2, VARIANT_FALSE, 3e10f, 0, VARIANT_TRUE, &ok)
                             : LoadPx(form, &ok, 0x7FFFFFFF, 0);
    EXPECT_EQ(hr, kOverflow);
    EXPECT_EQ(LastErrorDescription(), L"Overflow");
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_TRUE(SameRect(Placement().rcNormalPosition, before));
  }
}

}  // namespace
}  // namespace orv::test

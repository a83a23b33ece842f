// Column widths of a real report-view list view stored in twips and applied
// again; stored values that are no width; wrong column counts; bad objects.
#include <functional>

#include "tests/settings/window_objects.h"

namespace orv::test {
namespace {

constexpr HRESULT kScriptError = static_cast<HRESULT>(0x800A0005);
constexpr HRESULT kObjectRequired = static_cast<HRESULT>(0x800A01A8);

class ListViewColumns : public SettingsTest {
 protected:
  std::wstring ListKey(const std::wstring& version = L"Version 1.02") const { return VersionKey(version, L"lvw"); }
  static std::wstring Column(int n) { return L"Column " + std::to_wstring(n) + L" Width"; }

  HRESULT Save(IDispatch* lv) {
    return store_->SaveListViewColumns(Bstr(L"lvw").Get(), &lv, Bstr(title_.c_str()).Get(), 1, 2, VARIANT_TRUE);
  }
  HRESULT Load(IDispatch* lv) {
    return store_->LoadListViewColumns(Bstr(L"lvw").Get(), &lv, Bstr(title_.c_str()).Get(), 1, 2, VARIANT_TRUE);
  }
  void PutWidth(int n, LONG twips, const std::wstring& version = L"Version 1.02") {
    PutDword(HKEY_CURRENT_USER, ListKey(version), Column(n), static_cast<std::uint32_t>(twips));
  }
  static int TwipsPerPixel() {
    HDC dc = GetDC(nullptr);
    const int perInch = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return 1440 / perInch;
  }
};

TEST_F(ListViewColumns, WidthsStoredInTwipsAndAppliedAgain) {
  if (TwipsPerPixel() != 15) GTEST_SKIP() << "the screen is not at 96 dots per inch";
  TestListView list({100, 0, 250});
  ComPtr<TestAppObject> lv = ListViewObject(list.Get(), Arg::I4(3));
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, true);
  const Arg sub = Arg::Text(L"lvw"), lvArg = Arg::Ref(Arg::Object(lv.Get())), appArg = Arg::Object(app.Get());
  for (bool lateBound : {false, true}) {
    SCOPED_TRACE(lateBound ? "SaveListViewColumns2 late-bound" : "SaveListViewColumns");
    RemoveTestTitles();
    ASSERT_EQ(lateBound ? CallLate(store_.Get(), L"SaveListViewColumns2", {&sub, &lvArg, &appArg}) : Save(lv.Get()),
              S_OK);
    const std::uint32_t expected[] = {1500, 0, 3750};
    for (int n = 1; n <= 3; ++n) {
      const Stored s = Query(HKEY_CURRENT_USER, ListKey(), Column(n));
      EXPECT_EQ(s.type, static_cast<DWORD>(REG_DWORD)) << n;
      EXPECT_EQ(s.bytes, Dword(expected[n - 1])) << n;
    }
    EXPECT_EQ(EnumNames(HKEY_CURRENT_USER, ListKey(), true).size(), 3u);
  }
  list.SetWidths(50);
  ASSERT_EQ(CallLate(store_.Get(), L"LoadListViewColumns2", {&sub, &lvArg, &appArg}), S_OK);
  EXPECT_EQ(list.Width(0), 100);
  EXPECT_EQ(list.Width(1), 0);
  EXPECT_EQ(list.Width(2), 250);
}

// What is stored against what the control has: a value that is no width, or
// a column the other side lacks, leaves the column as it is.
TEST_F(ListViewColumns, StoredValuesAgainstTheControlsColumns) {
  if (TwipsPerPixel() != 15) GTEST_SKIP() << "the screen is not at 96 dots per inch";
  PutWidth(1, 1500);
  PutWidth(2, -5);
  PutSz(HKEY_CURRENT_USER, ListKey(), Column(3), L"900");
  PutWidth(4, 1200);
  // Column 5 missing; column 10 stored with its two digits.
  PutWidth(10, 600);
  PutWidth(12, 450);
  struct Case {
    const char* what;
    int columns;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"more columns than stored", 11, {100, 70, 70, 80, 70, 70, 70, 70, 70, 40, 70}},
      {"fewer columns than stored", 2, {100, 70}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestListView list(std::vector<int>(c.columns, 70));
    ComPtr<TestAppObject> lv = ListViewObject(list.Get(), Arg::I4(c.columns));
    ASSERT_EQ(Load(lv.Get()), S_OK) << Narrow(LastErrorDescription());
    for (int i = 0; i < c.columns; ++i) EXPECT_EQ(list.Width(i), c.expected[i]) << "column " << i + 1;
  }
}

TEST_F(ListViewColumns, OlderVersionIsReadForEachColumn) {
  if (TwipsPerPixel() != 15) GTEST_SKIP() << "the screen is not at 96 dots per inch";
  PutWidth(1, 300, L"Version 1.01");
  PutWidth(2, 450, L"Version 0.09");      // older than the newest older version: not looked at
  MakeKey(HKEY_CURRENT_USER, ListKey());  // the current version's key exists, its values do not
  TestListView list({70, 70});
  ComPtr<TestAppObject> lv = ListViewObject(list.Get(), Arg::I4(2));
  ASSERT_EQ(Load(lv.Get()), S_OK);
  EXPECT_EQ(list.Width(0), 20);
  EXPECT_EQ(list.Width(1), 70);
}

// A count the control does not have: only its real columns are visited.
TEST_F(ListViewColumns, WrongColumnCounts) {
  TestListView list({100, 120, 140});
  struct Case {
    const char* what;
    Arg count;
    std::size_t saved;
  };
  Case cases[] = {
      {"negative", Arg::I4(-3), 0},
      {"zero", Arg::I4(0), 0},
      {"fewer", Arg::I2(2), 2},
      {"a million", Arg::I4(1000000), 3},
      {"the largest Long", Arg::I4(0x7FFFFFFF), 3},
      {"a numeric text", Arg::Text(L"3"), 3},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTestTitles();
    ComPtr<TestAppObject> lv = ListViewObject(list.Get(), std::move(c.count));
    ASSERT_EQ(Save(lv.Get()), S_OK);
    EXPECT_EQ(EnumNames(HKEY_CURRENT_USER, ListKey(), true).size(), c.saved);
    list.SetWidths(30);
    ASSERT_EQ(Load(lv.Get()), S_OK);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(list.Width(int(i)), i < c.saved ? int(100 + 20 * i) : 30) << i;
    list.SetWidths(0);
    for (int i = 0; i < 3; ++i) SendMessageW(list.Get(), LVM_SETCOLUMNWIDTH, i, 100 + 20 * i);
  }
}

// Saving traps the object's failures and stores nothing; loading raises
// those of the count and quietly skips what cannot reach a window.
TEST_F(ListViewColumns, BadListViewObjects) {
  TestListView list({100, 120});
  TestListView gone({100, 120});
  const HWND destroyed = gone.Get();
  gone.Destroy();
  PutWidth(1, 3000);
  struct Case {
    const char* what;
    std::function<void(TestAppObject*)> spoil;
    HRESULT loadHr;
    const wchar_t* mention;
  };
  const Case cases[] = {
      {"Nothing", nullptr, S_OK, nullptr},
      {"destroyed window", [&](TestAppObject* lv) { lv->Set(L"hWnd", HandleArg(destroyed)); }, S_OK, nullptr},
      {"no hWnd", [](TestAppObject* lv) { lv->Remove(L"hWnd"); }, S_OK, nullptr},
      {"hWnd raises", [](TestAppObject* lv) { lv->Set(L"hWnd", Arg::Error(kScriptError)); }, S_OK, nullptr},
      {"no ColumnHeaders", [](TestAppObject* lv) { lv->Remove(L"ColumnHeaders"); }, DISP_E_UNKNOWNNAME,
       L"ColumnHeaders"},
      {"ColumnHeaders a number", [](TestAppObject* lv) { lv->Set(L"ColumnHeaders", Arg::I4(2)); }, kObjectRequired,
       L"ColumnHeaders"},
      {"Count raises",
       [](TestAppObject* lv) {
         auto headers = ComPtr<TestAppObject>::Attach(new TestAppObject());
         headers->Set(L"Count", Arg::Error(kScriptError));
         lv->Set(L"ColumnHeaders", Arg::Object(headers.Get()));
       },
       kScriptError, L"cannot be read now"},
      {"Count a word",
       [](TestAppObject* lv) {
         auto headers = ComPtr<TestAppObject>::Attach(new TestAppObject());
         headers->Set(L"Count", Arg::Text(L"many"));
         lv->Set(L"ColumnHeaders", Arg::Object(headers.Get()));
       },
       DISP_E_TYPEMISMATCH, L"Count"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<TestAppObject> lv = c.spoil ? ListViewObject(list.Get(), Arg::I4(2)) : nullptr;
    if (c.spoil) c.spoil(lv.Get());
    list.SetWidths(30);
    EXPECT_EQ(Save(lv.Get()), S_OK);
    EXPECT_EQ(EnumNames(HKEY_CURRENT_USER, ListKey(), true).size(), 1u) << "nothing saved";
    EXPECT_EQ(Load(lv.Get()), c.loadHr);
    if (c.mention) {
      EXPECT_NE(LastErrorDescription().find(c.mention), std::wstring::npos) << Narrow(LastErrorDescription());
    }
    EXPECT_EQ(list.Width(0), 30);
  }
}

}  // namespace
}  // namespace orv::test

// Fonts stored as eight values and built back, with real standard font
// objects, through the vtable and late-bound; stored bytes read directly.
#include <olectl.h>

#include <string>
#include <vector>

#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

constexpr DISPID kLoadFont2 = 0x6003001A, kSaveFont2 = 0x6003001B;
constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);
constexpr HRESULT kScriptError = static_cast<HRESULT>(0x800A0005);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);

// A font's properties as IFont sees them; size in ten-thousandths of a point.
struct FontState {
  std::wstring name;
  LONGLONG size = 0;
  SHORT weight = 0, charset = 0;
  BOOL italic = FALSE, underline = FALSE, strike = FALSE;
  bool operator==(const FontState&) const = default;
};

ComPtr<IFontDisp> MakeFont(const FontState& s) {
  FONTDESC d{sizeof(FONTDESC), const_cast<LPOLESTR>(s.name.c_str()), {}, s.weight, s.charset, s.italic, s.underline,
             s.strike};
  d.cySize.int64 = s.size;
  ComPtr<IFontDisp> f;
  EXPECT_EQ(OleCreateFontIndirect(&d, IID_IFontDisp, reinterpret_cast<void**>(f.Put())), S_OK);
  return f;
}

FontState StateOf(IFontDisp* disp) {
  FontState s;
  ComPtr<IFont> f;
  if (!disp || FAILED(disp->QueryInterface(IID_IFont, reinterpret_cast<void**>(f.Put())))) return s;
  Bstr name;
  CY size{};
  f->get_Name(name.Put());
  f->get_Size(&size);
  f->get_Weight(&s.weight);
  f->get_Charset(&s.charset);
  f->get_Italic(&s.italic);
  f->get_Underline(&s.underline);
  f->get_Strikethrough(&s.strike);
  s.name = Str(name.Get());
  s.size = size.int64;
  return s;
}

const FontState kDefault{L"Liberation Mono", 90000, 400, 0, TRUE, FALSE, FALSE};

class Fonts : public SettingsTest {
 protected:
  void Save(IFontDisp* font, LONG minor = 2) {
    ASSERT_EQ(store_->SaveFont(Bstr(L"F").Get(), &font, Bstr(title_.c_str()).Get(), 1, minor, VARIANT_TRUE), S_OK);
  }
  ComPtr<IFontDisp> Load(IFontDisp** def, LONG minor = 2, HRESULT expect = S_OK) {
    ComPtr<IFontDisp> out;
    EXPECT_EQ(store_->LoadFont(Bstr(L"F").Get(), def, Bstr(title_.c_str()).Get(), 1, minor, VARIANT_TRUE, out.Put()),
              expect);
    return out;
  }
  FontState LoadOver(const FontState& def) {
    ComPtr<IFontDisp> d = MakeFont(def);
    IFontDisp* p = d.Get();
    return StateOf(Load(&p).Get());
  }
  // SubKey, the font as a script variable, the application object by value.
  HRESULT Late(DISPID member, Arg& font, IDispatch* app, VARIANT* out) {
    ComPtr<IDispatch> disp;
    EXPECT_EQ(store_.As(&disp), S_OK);
    const Arg sub = Arg::Text(L"F"), appArg = Arg::Object(app);
    VARIANT args[] = {*appArg, *font, *sub};
    DISPPARAMS params{args, nullptr, 3, 0};
    return disp->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, out, nullptr, nullptr);
  }
  std::wstring Key() const { return VersionKey(L"Version 1.02", L"F"); }
};

TEST_F(Fonts, SizesRoundTripExactlyWithTheStoredBytes) {
  struct Case {
    LONGLONG size;
    DWORD points, thousandths;
  };
  for (const Case& c : {Case{82500, 8, 8250}, Case{105000, 10, 10500}, Case{120000, 12, 12000}}) {
    SCOPED_TRACE(c.size);
    const FontState font{L"Liberation Mono", c.size, 700, 204, FALSE, TRUE, TRUE};
    Save(MakeFont(font).Get());
    EXPECT_EQ(Query(HKEY_CURRENT_USER, Key(), L"Size").bytes, Dword(c.points));
    EXPECT_EQ(Query(HKEY_CURRENT_USER, Key(), L"Size2").bytes, Dword(c.thousandths));
    EXPECT_EQ(LoadOver(kDefault), font);
  }
  std::vector<std::wstring> names = EnumNames(HKEY_CURRENT_USER, Key(), true);
  std::sort(names.begin(), names.end());  // Wine lists values by name
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Charset", L"Italic", L"Name", L"Size", L"Size2", L"Strikethrough",
                                              L"Underline", L"Weight"}));
  const std::pair<const wchar_t*, std::vector<BYTE>> stored[] = {
      {L"Italic", Sz(L"False")}, {L"Underline", Sz(L"True")},       {L"Charset", Dword(204)},
      {L"Weight", Dword(700)},   {L"Name", Sz(L"Liberation Mono")},
  };
  for (const auto& [name, bytes] : stored) EXPECT_EQ(Query(HKEY_CURRENT_USER, Key(), name).bytes, bytes) << name;
}

// Values written by hand, each loaded over the default font.
TEST_F(Fonts, StoredValuesOverrideTheDefaultOneByOne) {
  struct Case {
    const char* what;
    std::vector<std::tuple<const wchar_t*, DWORD, std::vector<BYTE>>> values;
    FontState want;
  };
  FontState italicOff = kDefault, size12 = kDefault, bold = kDefault, cyrillic = kDefault;
  italicOff.italic = FALSE;
  size12.size = 120000;
  bold.weight = 700;
  cyrillic.charset = 204;
  const Case cases[] = {
      {"nothing stored", {}, kDefault},
      {"Size without Size2", {{L"Size", REG_DWORD, Dword(12)}}, size12},
      {"Size2 of a wrong type", {{L"Size", REG_DWORD, Dword(12)}, {L"Size2", REG_SZ, Sz(L"8250")}}, size12},
      {"Italic as text", {{L"Italic", REG_SZ, Sz(L"false")}}, italicOff},
      {"Italic as DWORD", {{L"Italic", REG_DWORD, Dword(0)}}, italicOff},
      {"Weight 700", {{L"Weight", REG_DWORD, Dword(700)}}, bold},
      {"Charset low word", {{L"Charset", REG_DWORD, Dword(0x300CC)}}, cyrillic},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTestTitles();
    for (const auto& [name, type, bytes] : c.values) Put(HKEY_CURRENT_USER, Key(), name, type, bytes);
    EXPECT_EQ(LoadOver(kDefault), c.want);
  }
  ComPtr<IFontDisp> def = MakeFont(kDefault);
  IFontDisp* p = def.Get();
  ComPtr<IFontDisp> built = Load(&p);
  EXPECT_NE(built.Get(), def.Get()) << "a new font, not the default";
  ComPtr<IFont> f;
  ASSERT_EQ(built->QueryInterface(IID_IFont, reinterpret_cast<void**>(f.Put())), S_OK);
}

TEST_F(Fonts, ItalicTextAndDwordBothGiveItalic) {
  FontState plain = kDefault;
  plain.italic = FALSE;
  for (auto [type, bytes] : {std::pair{REG_SZ, Sz(L"True")}, std::pair{REG_DWORD, Dword(1)}}) {
    Put(HKEY_CURRENT_USER, Key(), L"Italic", type, bytes);
    EXPECT_TRUE(LoadOver(plain).italic) << type;
  }
}

TEST_F(Fonts, DefaultNothingGetsANewStandardFont) {
  IFontDisp* var = nullptr;
  ComPtr<IFontDisp> built = Load(&var);
  ComPtr<IFontDisp> own = ComPtr<IFontDisp>::Attach(var);
  ASSERT_TRUE(own && built);
  EXPECT_NE(own.Get(), built.Get());
  EXPECT_EQ(StateOf(built.Get()), StateOf(own.Get()));
  EXPECT_NE(StateOf(own.Get()).name, L"");

  // Late-bound, as a script's Empty variable: it receives the font too.
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, true);
  Save(MakeFont(kDefault).Get());
  Arg variable = Arg::Ref(Arg::Object(nullptr));
  Variant out;
  ASSERT_EQ(Late(kLoadFont2, variable, app.Get(), out.Get()), S_OK);
  ASSERT_EQ(V_VT(variable.Target()), VT_DISPATCH);
  EXPECT_NE(V_DISPATCH(variable.Target()), nullptr);
  ASSERT_EQ(V_VT(out.Get()), VT_DISPATCH);
  EXPECT_EQ(StateOf(static_cast<IFontDisp*>(V_DISPATCH(out.Get()))), kDefault);
}

TEST_F(Fonts, LateBoundSaveAndOlderVersionFallback) {
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2, true);
  const FontState font{L"Liberation Mono", 82500, 400, 0, FALSE, FALSE, TRUE};
  Arg value = Arg::Ref(Arg::Object(MakeFont(font).Get()));
  ASSERT_EQ(Late(kSaveFont2, value, app.Get(), nullptr), S_OK);
  EXPECT_EQ(Query(HKEY_CURRENT_USER, Key(), L"Size2").bytes, Dword(8250));
  ComPtr<IFontDisp> def = MakeFont(kDefault);
  IFontDisp* p = def.Get();
  EXPECT_EQ(StateOf(Load(&p, 5).Get()), font) << "version 1.05 reads what 1.02 stored";
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, VersionKey(L"Version 1.05")));
}

// Objects that are no font, or fail: quiet where nothing is there to store,
// else the COM error of the call with a description naming the property.
TEST_F(Fonts, BadFontObjects) {
  ComPtr<TestAppObject> stranger = TestAppObject::Make(title_, 1, 2);
  // Script objects that look like fonts: read by name.
  auto lookAlike = [](double size) {
    auto font = ComPtr<TestAppObject>::Attach(new TestAppObject(true));
    font->Set(L"Size", Arg::R8(size));
    for (const wchar_t* flag : {L"Italic", L"Strikethrough", L"Underline"}) font->Set(flag, Arg::Bool(false));
    font->Set(L"Charset", Arg::I2(0));
    font->Set(L"Weight", Arg::I2(400));
    font->Set(L"Name", Arg::Text(L"Liberation Mono"));
    return font;
  };
  ComPtr<TestAppObject> raising = lookAlike(9), huge = lookAlike(3e6);
  raising->Set(L"Italic", Arg::Error(kScriptError));
  struct Case {
    const char* what;
    IDispatch* font;
    HRESULT save, load;
    const wchar_t* mention;
    std::vector<const wchar_t*> written;
  };
  const Case cases[] = {
      {"Nothing", nullptr, S_OK, S_OK, L"", {}},
      {"another class", stranger.Get(), DISP_E_UNKNOWNNAME, DISP_E_UNKNOWNNAME, L"Size", {}},
      {"a raising property", raising.Get(), kScriptError, kScriptError, L"Italic", {L"Size", L"Size2"}},
      {"a size beyond 32 bits", huge.Get(), kOverflow, S_OK, L"Overflow", {L"Size"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTestTitles();
    IFontDisp* font = static_cast<IFontDisp*>(c.font);
    EXPECT_EQ(store_->SaveFont(Bstr(L"F").Get(), &font, Bstr(title_.c_str()).Get(), 1, 2, VARIANT_TRUE), c.save);
    if (FAILED(c.save)) {
      EXPECT_NE(LastErrorDescription().find(c.mention), std::wstring::npos) << Narrow(LastErrorDescription());
    }
    EXPECT_EQ(EnumNames(HKEY_CURRENT_USER, Key(), true), std::vector<std::wstring>(c.written.begin(), c.written.end()));
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, Key()), !c.written.empty());
    if (c.font) {
      ComPtr<IFontDisp> built = Load(&font, 2, c.load);
      EXPECT_EQ(built.Get() != nullptr, SUCCEEDED(c.load));
      EXPECT_EQ(font, c.font) << "the caller's object stays";
    }
  }
  // An application object that cannot be read: the Default variable stays Nothing.
  IFontDisp* var = nullptr;
  IDispatch* noApp = nullptr;
  ComPtr<IFontDisp> out;
  EXPECT_EQ(store_->LoadFont2(nullptr, &var, &noApp, VARIANT_TRUE, out.Put()), kObjectNotSet);
  EXPECT_EQ(var, nullptr);
}

}  // namespace
}  // namespace orv::test

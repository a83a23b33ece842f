// orvOrvaneSettings2: fonts kept as eight typed settings in one sub-key, and
// a new standard font object built from them.
#include <olectl.h>

#include <cstdint>
#include <string>

#include "server/caller_object.h"
#include "server/com_error.h"
#include "settings/method_arguments.h"
#include "settings/orv_settings.h"
#include "support/text_routines.h"

namespace orv {
namespace {

// One property of a caller's font, with the type the store wants it in and
// how to read it from an object that offers IFont.
struct FontProperty {
  const wchar_t* name;
  VARTYPE type;
  HRESULT (*viaIFont)(IFont*, VARIANT*);
};

template <HRESULT (STDMETHODCALLTYPE IFont::*Get)(BOOL*)>
HRESULT ReadFlag(IFont* font, VARIANT* out) {
  BOOL value = FALSE;
  const HRESULT hr = (font->*Get)(&value);
  V_VT(out) = VT_BOOL;
  V_BOOL(out) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return hr;
}

template <HRESULT (STDMETHODCALLTYPE IFont::*Get)(SHORT*)>
HRESULT ReadShort(IFont* font, VARIANT* out) {
  V_VT(out) = VT_I2;
  V_I2(out) = 0;
  return (font->*Get)(&V_I2(out));
}

HRESULT ReadSize(IFont* font, VARIANT* out) {
  V_VT(out) = VT_CY;
  V_CY(out).int64 = 0;
  return font->get_Size(&V_CY(out));
}

HRESULT ReadName(IFont* font, VARIANT* out) {
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = nullptr;
  return font->get_Name(&V_BSTR(out));
}

constexpr FontProperty kSize{L"Size", VT_CY, &ReadSize};
constexpr FontProperty kItalic{L"Italic", VT_BOOL, &ReadFlag<&IFont::get_Italic>};
constexpr FontProperty kStrikethrough{L"Strikethrough", VT_BOOL, &ReadFlag<&IFont::get_Strikethrough>};
constexpr FontProperty kUnderline{L"Underline", VT_BOOL, &ReadFlag<&IFont::get_Underline>};
constexpr FontProperty kCharset{L"Charset", VT_I2, &ReadShort<&IFont::get_Charset>};
constexpr FontProperty kWeight{L"Weight", VT_I2, &ReadShort<&IFont::get_Weight>};
constexpr FontProperty kName{L"Name", VT_BSTR, &ReadName};

// How a saved value is made from its property.
enum class Written { AsIs, Points, Thousandths };

struct FontValue {
  const wchar_t* valueName;
  LONG settingType;
  const FontProperty& property;
  Written written;
};

// In the order they are written.
constexpr FontValue kFontValues[] = {
    {L"Size", sdtLong, kSize, Written::Points},
    {L"Size2", sdtLong, kSize, Written::Thousandths},
    {L"Italic", sdtBoolean, kItalic, Written::AsIs},
    {L"Strikethrough", sdtBoolean, kStrikethrough, Written::AsIs},
    {L"Underline", sdtBoolean, kUnderline, Written::AsIs},
    {L"Charset", sdtLong, kCharset, Written::AsIs},
    {L"Weight", sdtLong, kWeight, Written::AsIs},
    {L"Name", sdtString, kName, Written::AsIs},
};

// A font a caller passed in. The standard font object answers IFont, which
// reads its properties without a name lookup; any other object is read by
// name, so a look-alike works and a stranger fails with the missing name.
class CallerFont {
 public:
  CallerFont(IDispatch* font, const wchar_t* argName) : font_(font), argName_(argName) {
    if (FAILED(font->QueryInterface(IID_IFont, reinterpret_cast<void**>(ifont_.Put())))) ifont_.Reset();
  }

  Variant Read(const FontProperty& p) const {
    Variant v;
    if (ifont_) {
      ThrowIfFailed(p.viaIFont(ifont_.Get(), v.Get()), Describe(p, L" failed.").c_str());
      return v;
    }
    ReadPropertyByName(font_, argName_, p.name, v.Put());
    if (HRESULT hr = VariantChangeType(v.Get(), v.Get(), 0, p.type); FAILED(hr)) {
      throw ComError(hr, Describe(p, L" does not convert to the font property's type."));
    }
    return v;
  }

  CY Size() const { return V_CY(Read(kSize).Get()); }

 private:
  std::wstring Describe(const FontProperty& p, const wchar_t* what) const {
    return std::wstring(L"Reading ") + argName_ + L"." + p.name + what;
  }

  IDispatch* font_;
  const wchar_t* argName_;
  ComPtr<IFont> ifont_;
};

// Fails only when the size does not fit 32 bits.
LONG SizeToLong(CY size) {
  LONG out = 0;
  if (FAILED(VarI4FromCy(size, &out))) ThrowOverflow();
  return out;
}

Variant ValueToSave(const CallerFont& font, const FontValue& row) {
  switch (row.written) {
    case Written::Points: return Variant::I4(SizeToLong(font.Size()));
    case Written::Thousandths: {
      CY thousandths{};
      if (FAILED(VarCyMulI4(font.Size(), 1000, &thousandths))) ThrowOverflow();
      return Variant::I4(SizeToLong(thousandths));
    }
    case Written::AsIs: break;
  }
  return font.Read(row.property);
}

// A loaded value converted by the automation rules.
Variant As(Variant v, VARTYPE type, const wchar_t* valueName) {
  if (HRESULT hr = VariantChangeType(v.Get(), v.Get(), 0, type); FAILED(hr)) {
    throw ComError(hr, std::wstring(L"The loaded font value \"") + valueName + L"\" does not convert.");
  }
  return v;
}

LONGLONG ToLargeInteger(double value) {
  std::int64_t out = 0;
  if (const Status s = asDoubleToLargeInteger(value, &out); s == kOverflow) {
    ThrowOverflow();
  } else {
    ThrowIfFailed(s, L"The font size could not be converted.");
  }
  return out;
}

SHORT LowWord(const Variant& v) {
  std::int16_t out = 0;
  ThrowIfFailed(esLoWord(V_I4(v.Get()), &out), L"The low word of a font value could not be taken.");
  return out;
}

}  // namespace

void OrvOrvaneSettings2::SaveFontTo(const SettingScope& scope, IFontDisp** value) const {
  IDispatch* font = Object(value);
  if (!font) return;
  const CallerFont caller(font, L"Value");
  // Each value's own success is not reported: a font has no success flag.
  for (const FontValue& row : kFontValues)
    core_.Save(scope, row.valueName, row.settingType, *ValueToSave(caller, row).Get());
}

ComPtr<IFontDisp> OrvOrvaneSettings2::LoadFontFrom(const SettingScope& scope, IFontDisp** defaultFont) const {
  ComPtr<IDispatch> font(Object(defaultFont));
  const bool created = !font;
  if (created) {
    ComPtr<IFontDisp> fresh;
    ThrowIfFailed(CoCreateInstance(CLSID_StdFont, nullptr, CLSCTX_INPROC_SERVER, IID_IFontDisp,
                                   reinterpret_cast<void**>(fresh.Put())),
                  L"A new standard font object could not be created.");
    if (defaultFont) *defaultFont = fresh.CopyOut();  // the caller's variable gets it
    font = fresh.Get();
  }
  const CallerFont base(font.Get(), L"Default");
  auto load = [&](const wchar_t* valueName, LONG settingType, const Variant& fallback, bool* success) {
    bool ignored = false;
    return core_.Load(scope, valueName, settingType, *fallback.Get(), success ? success : &ignored);
  };

  FONTDESC desc{};
  desc.cbSizeofstruct = sizeof(FONTDESC);
  // Thousandths of a point when they were stored, else whole points.
  bool exact = false;
  Variant size = load(L"Size2", sdtLong, base.Read(kSize), &exact);
  if (exact) {
    desc.cySize.int64 = ToLargeInteger(V_R8(As(std::move(size), VT_R8, L"Size2").Get()) * 10);
  } else {
    size = load(L"Size", sdtLong, base.Read(kSize), nullptr);
    desc.cySize.int64 = ToLargeInteger(V_R8(As(std::move(size), VT_R8, L"Size").Get()) * 10000);
  }
  auto flag = [&](const wchar_t* valueName, const FontProperty& p) -> BOOL {
    return V_BOOL(As(load(valueName, sdtBoolean, base.Read(p), nullptr), VT_BOOL, valueName).Get()) ? 1 : 0;
  };
  desc.fItalic = flag(L"Italic", kItalic);
  desc.fStrikethrough = flag(L"Strikethrough", kStrikethrough);
  desc.fUnderline = flag(L"Underline", kUnderline);
  desc.sCharset = LowWord(As(load(L"Charset", sdtLong, base.Read(kCharset), nullptr), VT_I4, L"Charset"));
  desc.sWeight = LowWord(As(load(L"Weight", sdtLong, base.Read(kWeight), nullptr), VT_I4, L"Weight"));
  const Variant name = As(load(L"Name", sdtString, base.Read(kName), nullptr), VT_BSTR, L"Name");
  desc.lpstrName = V_BSTR(name.Get()) ? V_BSTR(name.Get()) : const_cast<LPOLESTR>(L"");

  ComPtr<IFontDisp> built;
  if (SUCCEEDED(OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(built.Put())))) return built;
  // A font that cannot be built is no error: the caller's own font, or nothing.
  if (created) return {};
  return ComPtr<IFontDisp>(*defaultFont);
}

HRESULT OrvOrvaneSettings2::LoadFontOf(const AppSource& app, BSTR subKey, IFontDisp** defaultFont,
                                       VARIANT_BOOL userSetting, IFontDisp** ret) const {
  const auto before = [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    return S_OK;
  };
  return InScope(app, userSetting, subKey, before, [&](const SettingScope& scope) {
    *ret = LoadFontFrom(scope, defaultFont).Detach();
    return S_OK;
  });
}

HRESULT OrvOrvaneSettings2::SaveFontOf(const AppSource& app, BSTR subKey, IFontDisp** value,
                                       VARIANT_BOOL userSetting) const {
  return InScope(app, userSetting, subKey, [&](const SettingScope& scope) {
    SaveFontTo(scope, value);
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::LoadFont(BSTR SubKey, IFontDisp** Default, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                          VARIANT_BOOL UserSetting, IFontDisp** ret) {
  return LoadFontOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, Default, UserSetting, ret);
}

STDMETHODIMP OrvOrvaneSettings2::SaveFont(BSTR SubKey, IFontDisp** Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                          VARIANT_BOOL UserSetting) {
  return SaveFontOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, Value, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadFont2(BSTR SubKey, IFontDisp** Default, IDispatch** AppObject,
                                           VARIANT_BOOL UserSetting, IFontDisp** ret) {
  return LoadFontOf(AppSource(AppObject), SubKey, Default, UserSetting, ret);
}

STDMETHODIMP OrvOrvaneSettings2::SaveFont2(BSTR SubKey, IFontDisp** Value, IDispatch** AppObject,
                                           VARIANT_BOOL UserSetting) {
  return SaveFontOf(AppSource(AppObject), SubKey, Value, UserSetting);
}

}  // namespace orv

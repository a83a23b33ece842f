// orvOrvaneSettings2: the proxy settings of client programs, copied between
// the properties of the caller's proxy object and a group of settings. Two
// families with their own value and property names; the password is kept
// only in a stored form of the password cryptor.
#include <span>

#include "protect/password_cryptor.h"
#include "protect/secret_variant.h"
#include "server/caller_object.h"
#include "server/com_error.h"
#include "server/variant_args.h"
#include "settings/method_arguments.h"
#include "settings/orv_settings.h"

namespace orv {
namespace {

// What a row loads when nothing is stored.
enum class Fallback { kZero16, kEmptyText, kFalse };

struct ProxyRow {
  const wchar_t* valueName;
  SettingDataType_Const type;
  const wchar_t* property;
  Fallback fallback;
  bool password = false;  // stored through the password cryptor
};

constexpr ProxyRow kHttpProxyRows[] = {
    {L"AccessType", sdtLong, L"HTTP_AccessType", Fallback::kZero16},
    {L"Address", sdtString, L"HTTP_Address", Fallback::kEmptyText},
    {L"BypassList", sdtString, L"HTTP_BypassList", Fallback::kEmptyText},
    {L"BypassLocal", sdtBoolean, L"HTTP_BypassLocal", Fallback::kFalse},
    {L"UserName", sdtString, L"HTTP_UserName", Fallback::kEmptyText},
    {L"Password", sdtString, L"HTTP_Password", Fallback::kEmptyText, true},
};

constexpr ProxyRow kProxyHtRows[] = {
    {L"Access Type", sdtLong, L"AccessType", Fallback::kZero16},
    {L"HTTP Address", sdtString, L"HTTP_Address", Fallback::kEmptyText},
    {L"HTTPS Address", sdtString, L"HTTPS_Address", Fallback::kEmptyText},
    {L"FTP Address", sdtString, L"FTP_Address", Fallback::kEmptyText},
    {L"Bypass List", sdtString, L"BypassList", Fallback::kEmptyText},
    {L"User Name", sdtString, L"UserName", Fallback::kEmptyText},
    {L"Password", sdtString, L"Password", Fallback::kEmptyText, true},
};

// The password is a text setting and comes last, after everything that
// cannot fail for its sake.
template <std::size_t N>
constexpr bool PasswordLastAndOnly(const ProxyRow (&rows)[N]) {
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (rows[i].password) return false;
  }
  return rows[N - 1].password && rows[N - 1].type == sdtString;
}
static_assert(PasswordLastAndOnly(kHttpProxyRows));
static_assert(PasswordLastAndOnly(kProxyHtRows));

// Mode 2: protected for the current user, scrambled when that fails.
constexpr std::int32_t kCurrentUserMode = 2;
constexpr wchar_t kProxyObject[] = L"ProxySettingsObject";

Variant FallbackValue(Fallback fallback) {
  switch (fallback) {
    case Fallback::kZero16: return Variant::I2(0);
    case Fallback::kFalse: return Variant::Bool(false);
    case Fallback::kEmptyText: break;
  }
  return Variant::Text(L"");
}

// The password property's value, as text by the automation rules, in its
// stored form. Throws when it does not convert or cannot be scrambled. The
// plain text is held only in types that wipe it.
SecretVariant StoredPassword(const SecretVariant& plain, const wchar_t* property) {
  // A text, or a reference to one, is read where it is: converting it would
  // have the runtime copy it and free the copy unwiped.
  const Held held = Look(*plain.Get());
  SecretVariant converted;
  BSTR text = nullptr;
  if (held.type == VT_BSTR) {
    text = *static_cast<const BSTR*>(held.data);
  } else {
    if (HRESULT hr = VariantChangeType(converted.Put(), const_cast<VARIANT*>(plain.Get()), 0, VT_BSTR); FAILED(hr)) {
      throw ComError(hr, std::wstring(kProxyObject) + L"." + property + L" does not convert to a text.");
    }
    text = V_BSTR(converted.Get());
  }
  std::wstring stored;
  const std::wstring_view password(text, SysStringLen(text));
  if (const Status s = EncodePassword(password, kCurrentUserMode, &stored); Failed(s)) {
    throw ComError(s, std::wstring(L"The proxy password ") + DescribeEncodeFailure(s));
  }
  return SecretVariant::Text(stored);
}

// What the password property gets for a loaded text: its password, or the
// empty string when the text does not decode.
SecretVariant LoadedPassword(const SecretVariant& stored) {
  Variant text;
  ThrowIfFailed(VariantChangeType(text.Get(), const_cast<VARIANT*>(stored.Get()), 0, VT_BSTR),
                L"The stored proxy password is not a text.");
  return SecretVariant::Text(DecodePassword(Text(V_BSTR(text.Get()))).view());
}

// Row by row: a failing row stops the save there, and what was written
// before it stays written.
void SaveProxyRows(const SettingsCore& core, const SettingScope& scope, IDispatch* proxy,
                   std::span<const ProxyRow> rows) {
  if (!proxy) return;
  for (const ProxyRow& row : rows) {
    SecretVariant value;
    ReadPropertyByName(proxy, kProxyObject, row.property, value.Put());
    if (row.password) value = StoredPassword(value, row.property);
    // An unfitting value writes nothing; the group goes on, as SaveSetting's flag is not read.
    core.Save(scope, row.valueName, row.type, *value.Get());
  }
}

// Each value on its own, so one may come from an older version's key while
// its neighbours do not. A failing row stops the load there, and a password
// already decoded is wiped on the way out.
void LoadProxyRows(const SettingsCore& core, const SettingScope& scope, IDispatch* proxy,
                   std::span<const ProxyRow> rows) {
  if (!proxy) return;
  for (const ProxyRow& row : rows) {
    bool loaded = false;
    SecretVariant value;
    *value.Put() = core.Load(scope, row.valueName, row.type, *FallbackValue(row.fallback).Get(), &loaded).Detach();
    if (row.password) value = LoadedPassword(value);
    WritePropertyByName(proxy, kProxyObject, row.property, *value.Get());
  }
}

}  // namespace

HRESULT OrvOrvaneSettings2::ProxySettingsOf(bool save, ProxyFamily family, const AppSource& app, BSTR subKey,
                                            IDispatch** proxy, VARIANT_BOOL userSetting) const {
  const std::span<const ProxyRow> rows = family == ProxyFamily::kHttp ? std::span<const ProxyRow>(kHttpProxyRows)
                                                                      : std::span<const ProxyRow>(kProxyHtRows);
  return InScope(app, userSetting, subKey, [&](const SettingScope& scope) {
    (save ? SaveProxyRows : LoadProxyRows)(core_, scope, Object(proxy), rows);
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveProxySettings(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle,
                                                   LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(true, ProxyFamily::kHttp, AppSource(AppTitle, VerMajor, VerMinor), SubKey, ProxySettingsObject,
                         UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadProxySettings(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle,
                                                   LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(false, ProxyFamily::kHttp, AppSource(AppTitle, VerMajor, VerMinor), SubKey,
                         ProxySettingsObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::SaveProxySettings2(BSTR SubKey, IDispatch** ProxySettingsObject, IDispatch** AppObject,
                                                    VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(true, ProxyFamily::kHttp, AppSource(AppObject), SubKey, ProxySettingsObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadProxySettings2(BSTR SubKey, IDispatch** ProxySettingsObject, IDispatch** AppObject,
                                                    VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(false, ProxyFamily::kHttp, AppSource(AppObject), SubKey, ProxySettingsObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::SaveProxySettingsHT(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle,
                                                     LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(true, ProxyFamily::kHt, AppSource(AppTitle, VerMajor, VerMinor), SubKey, ProxySettingsObject,
                         UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadProxySettingsHT(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle,
                                                     LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(false, ProxyFamily::kHt, AppSource(AppTitle, VerMajor, VerMinor), SubKey, ProxySettingsObject,
                         UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::SaveProxySettingsHT2(BSTR SubKey, IDispatch** ProxySettingsObject,
                                                      IDispatch** AppObject, VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(true, ProxyFamily::kHt, AppSource(AppObject), SubKey, ProxySettingsObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadProxySettingsHT2(BSTR SubKey, IDispatch** ProxySettingsObject,
                                                      IDispatch** AppObject, VARIANT_BOOL UserSetting) {
  return ProxySettingsOf(false, ProxyFamily::kHt, AppSource(AppObject), SubKey, ProxySettingsObject, UserSetting);
}

}  // namespace orv

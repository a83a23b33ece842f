#include "orv_settings.h"

#include "registry/com_error.h"
#include "registry/server_classes.h"
#include "settings/app_object.h"
#include "settings/prev_version_finder.h"
#include "settings/setting_types.h"
#include "support/text_routines.h"

namespace orv {

// {CCCCB5ED-5749-4676-B452-B88AA992213E}
const IID kIidOrvOrvaneSettings2V0 = {0xCCCCB5ED, 0x5749, 0x4676, {0xB4, 0x52, 0xB8, 0x8A, 0xA9, 0x92, 0x21, 0x3E}};

namespace {

constexpr wchar_t kSource[] = L"Brindle0200.orvOrvaneSettings2";

HRESULT NotAvailable(const wchar_t* method) {
  return ReportError(E_NOTIMPL, std::wstring(method) + L" is not available in this build of Brindle0200.",
                     IID__orvOrvaneSettings2, kSource);
}

}  // namespace

HRESULT OrvOrvaneSettings2::Create(ComPtr<OrvOrvaneSettings2>* out) {
  ComPtr<OrvOrvaneSettings2> obj = ComPtr<OrvOrvaneSettings2>::Attach(new OrvOrvaneSettings2());
  if (HRESULT hr = OrvRegistry2::Create(&obj->registry_); FAILED(hr)) return hr;
  *out = std::move(obj);
  return S_OK;
}

HRESULT CreateOrvOrvaneSettings2Instance(REFIID iid, void** out) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&] {
    ComPtr<OrvOrvaneSettings2> obj;
    Check(OrvOrvaneSettings2::Create(&obj), L"The settings object could not be created.");
    return obj->QueryInterface(iid, out);
  });
}

bool OrvOrvaneSettings2::AnswersAlso(REFIID iid) const { return IsEqualIID(iid, kIidOrvOrvaneSettings2V0) != FALSE; }

namespace {

constexpr LONG kHkeyCurrentUser = static_cast<LONG>(0x80000001);
constexpr LONG kHkeyLocalMachine = static_cast<LONG>(0x80000002);

RegistryRoot2_Const RootFor(VARIANT_BOOL userSetting) {
  return static_cast<RegistryRoot2_Const>(userSetting != VARIANT_FALSE ? kHkeyCurrentUser : kHkeyLocalMachine);
}

// The VARIANT a caller means: a script variable arrives as a reference to it.
// nullptr for a reference that points nowhere.
const VARIANT* Referent(const VARIANT& v) {
  const VARIANT* cur = &v;
  for (int depth = 0; V_VT(cur) == (VT_BYREF | VT_VARIANT); ++depth) {
    if (depth == 8 || !V_VARIANTREF(cur)) return nullptr;
    cur = V_VARIANTREF(cur);
  }
  if ((V_VT(cur) & VT_BYREF) && !V_BYREF(cur)) return nullptr;
  return cur;
}

bool IsMissing(const VARIANT& v) {
  const VARIANT* r = Referent(v);
  return r && V_VT(r) == VT_ERROR && V_ERROR(r) == DISP_E_PARAMNOTFOUND;
}

std::wstring Text(BSTR b) { return std::wstring(b ? b : L"", SysStringLen(b)); }

Bstr MakeBstr(const std::wstring& text) {
  Bstr b(text.data(), static_cast<UINT>(text.size()));
  if (!b.Get()) throw std::bad_alloc();
  return b;
}

void SetFlag(VARIANT_BOOL* flag, bool value) {
  if (flag) *flag = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// Raises a failed call of another object with the description that object
// left behind, so the caller learns the real cause.
void CheckCall(HRESULT hr, const wchar_t* what) {
  if (SUCCEEDED(hr)) return;
  std::wstring description = what;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    Bstr text;
    if (SUCCEEDED(info->GetDescription(text.Put())) && text.Length() > 0) description = Text(text.Get());
  }
  throw ComError(hr, description);
}

// The registry API takes NUL-terminated names: a name with a NUL inside
// would address another key or value, so it addresses nothing at all.
bool Addressable(const std::wstring& path, BSTR valueName) {
  return path.find(L'\0') == std::wstring::npos && Text(valueName).find(L'\0') == std::wstring::npos;
}

std::wstring BuildSettingPath(const std::wstring& title, const std::wstring& version, const std::wstring& subKey) {
  std::wstring path = ApplicationKeyPath(title) + L"\\Version " + version;
  if (!subKey.empty()) path += L"\\" + subKey;
  return path;
}

// The caller's Default as given (looked at through a script variable's
// reference), or the type's own default when it was omitted.
void DefaultValueFor(LONG settingType, const VARIANT& given, VARIANT* out) {
  if (IsMissing(given)) {
    TypeDefault(settingType, out);
    return;
  }
  VariantInit(out);
  if (!Referent(given)) throw ComError(E_INVALIDARG, L"Default is a reference that points nowhere.");
  Check(VariantCopyInd(out, const_cast<VARIANT*>(&given)), L"The default value could not be copied.");
}

// What LoadSetting returns for a record, or for none.
void ConvertStoredValue(_RegValue* record, LONG settingType, const VARIANT& given, VARIANT_BOOL* lpSuccess,
                        VARIANT* out) {
  SetFlag(lpSuccess, false);
  RegistryDataType2_Const stored{};
  if (record) CheckCall(record->get_DataType(&stored), L"Reading the stored type failed.");
  if (!record || !IsTypeCompatible(static_cast<LONG>(stored), settingType)) {
    DefaultValueFor(settingType, given, out);
    return;
  }
  Variant data;
  CheckCall(record->get_Data(data.Put()), L"Reading the stored data failed.");
  VariantInit(out);
  if (settingType == sdtBoolean) {
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = ToBoolean(*data.Get()) ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    *out = data.Detach();
  }
  SetFlag(lpSuccess, true);
}

}  // namespace

STDMETHODIMP OrvOrvaneSettings2::GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath,
                                                BSTR* ret) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    std::wstring version;
    if (Status s = asFormatVersionShort(VerMajor, VerMinor, &version); Failed(s)) {
      throw ComError(s, L"The version numbers must not be negative.");
    }
    *ret = MakeBstr(BuildSettingPath(Text(AppTitle), version, Text(KeyPath))).Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::GetSettingPath2(IDispatch** AppObject, BSTR KeyPath, BSTR* ret) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    const AppIdentity app = ReadAppIdentity(AppObject);
    return Self()->GetSettingPath(MakeBstr(app.title).Get(), app.major, app.minor, KeyPath, ret);
  });
}

STDMETHODIMP OrvOrvaneSettings2::LoadSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                             VARIANT Default, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                             VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess, VARIANT* ret) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    SetFlag(lpSuccess, false);
    const LONG type = static_cast<LONG>(ValueDataType);
    const RegistryRoot2_Const root = RootFor(UserSetting);

    Bstr path;
    CheckCall(Self()->GetSettingPath(AppTitle, VerMajor, VerMinor, SubKey, path.Put()),
              L"Building the setting path failed.");
    Variant result;
    if (!Addressable(Text(path.Get()), ValueName)) {
      DefaultValueFor(type, Default, result.Put());
      *ret = result.Detach();
      return S_OK;
    }
    ComPtr<_RegValue> record;
    CheckCall(registry_->GetValue(root, path.Get(), ValueName, record.Put()), L"Reading the setting failed.");

    // Missing here: an older version of the program may have stored it.
    if (!record && (VerMajor != 0 || VerMinor != 0)) {
      const std::wstring title = Text(AppTitle);
      const std::wstring older = FindPreviousVersion(registry_.Get(), root, title, VerMajor, VerMinor);
      if (!older.empty()) {
        CheckCall(registry_->GetValue(root, MakeBstr(BuildSettingPath(title, older, Text(SubKey))).Get(),
                                      ValueName, record.Put()),
                  L"Reading the setting failed.");
      }
    }
    ConvertStoredValue(record.Get(), type, Default, lpSuccess, result.Put());
    *ret = result.Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                             VARIANT Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                             VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&]() -> HRESULT {
    SetFlag(lpSuccess, false);
    if (IsMissing(Value)) return S_OK;
    // The call's own copy: a script variable passed by reference stays untouched.
    Variant prepared;
    if (!Referent(Value) || FAILED(VariantCopyInd(prepared.Get(), &Value))) return S_OK;
    LONG registryType = 0;
    if (!PrepareValueToSave(static_cast<LONG>(ValueDataType), prepared.Get(), &registryType)) return S_OK;

    Bstr path;
    CheckCall(Self()->GetSettingPath(AppTitle, VerMajor, VerMinor, SubKey, path.Put()),
              L"Building the setting path failed.");
    if (!Addressable(Text(path.Get()), ValueName)) return S_OK;
    VARIANT_BOOL keyExisted = VARIANT_FALSE, written = VARIANT_FALSE;
    CheckCall(registry_->SetValue(RootFor(UserSetting), path.Get(), ValueName,
                                  static_cast<RegistryDataType2_Const>(registryType), *prepared.Get(), &keyExisted,
                                  &written),
              L"Writing the setting failed.");
    SetFlag(lpSuccess, written != VARIANT_FALSE);
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::LoadSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                              VARIANT Default, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                              VARIANT_BOOL* lpSuccess, VARIANT* ret) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    const AppIdentity app = ReadAppIdentity(AppObject);
    return Self()->LoadSetting(SubKey, ValueName, ValueDataType, Default, MakeBstr(app.title).Get(), app.major,
                               app.minor, UserSetting, lpSuccess, ret);
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                              VARIANT Value, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                              VARIANT_BOOL* lpSuccess, VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvOrvaneSettings2, kSource, [&]() -> HRESULT {
    if (ret) *ret = VARIANT_FALSE;
    const AppIdentity app = ReadAppIdentity(AppObject);
    // The result repeats the success flag; an omitted flag still has one.
    VARIANT_BOOL own = VARIANT_FALSE;
    VARIANT_BOOL* success = lpSuccess ? lpSuccess : &own;
    const HRESULT hr = Self()->SaveSetting(SubKey, ValueName, ValueDataType, Value, MakeBstr(app.title).Get(),
                                           app.major, app.minor, UserSetting, success);
    if (ret && SUCCEEDED(hr)) *ret = *success;
    return hr;
  });
}

// Not built yet: each method answers E_NOTIMPL with a description.
STDMETHODIMP OrvOrvaneSettings2::SaveListViewColumns(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"SaveListViewColumns"); }
STDMETHODIMP OrvOrvaneSettings2::LoadListViewColumns(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"LoadListViewColumns"); }
STDMETHODIMP OrvOrvaneSettings2::SaveListViewColumns2(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"SaveListViewColumns2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadListViewColumns2(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"LoadListViewColumns2"); }
STDMETHODIMP OrvOrvaneSettings2::SaveProxySettings(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"SaveProxySettings"); }
STDMETHODIMP OrvOrvaneSettings2::LoadProxySettings(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"LoadProxySettings"); }
STDMETHODIMP OrvOrvaneSettings2::SaveProxySettings2(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"SaveProxySettings2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadProxySettings2(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"LoadProxySettings2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadFont(BSTR, IFontDisp**, BSTR, LONG, LONG, VARIANT_BOOL, IFontDisp**) { return NotAvailable(L"LoadFont"); }
STDMETHODIMP OrvOrvaneSettings2::SaveFont(BSTR, IFontDisp**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"SaveFont"); }
STDMETHODIMP OrvOrvaneSettings2::LoadFont2(BSTR, IFontDisp**, IDispatch**, VARIANT_BOOL, IFontDisp**) { return NotAvailable(L"LoadFont2"); }
STDMETHODIMP OrvOrvaneSettings2::SaveFont2(BSTR, IFontDisp**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"SaveFont2"); }
STDMETHODIMP OrvOrvaneSettings2::SaveFormPlacement(BSTR, BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"SaveFormPlacement"); }
STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacementPx(BSTR, BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"LoadFormPlacementPx"); }
STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacement(BSTR, BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL, float, float, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"LoadFormPlacement"); }
STDMETHODIMP OrvOrvaneSettings2::SaveFormPlacement2(BSTR, BSTR, IDispatch**, IDispatch**, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"SaveFormPlacement2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacementPx2(BSTR, BSTR, IDispatch**, IDispatch**, VARIANT_BOOL, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"LoadFormPlacementPx2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacement2(BSTR, BSTR, IDispatch**, IDispatch**, VARIANT_BOOL, float, float, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"LoadFormPlacement2"); }
STDMETHODIMP OrvOrvaneSettings2::SaveProxySettingsHT(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"SaveProxySettingsHT"); }
STDMETHODIMP OrvOrvaneSettings2::LoadProxySettingsHT(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL) { return NotAvailable(L"LoadProxySettingsHT"); }
STDMETHODIMP OrvOrvaneSettings2::SaveProxySettingsHT2(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"SaveProxySettingsHT2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadProxySettingsHT2(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL) { return NotAvailable(L"LoadProxySettingsHT2"); }

}  // namespace orv

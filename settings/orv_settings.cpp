#include "settings/orv_settings.h"

#include "server/com_error.h"
#include "settings/method_arguments.h"

namespace orv {

// {CCCCB5ED-5749-4676-B452-B88AA992213E}
const IID kIidOrvOrvaneSettings2V0 = {0xCCCCB5ED, 0x5749, 0x4676, {0xB4, 0x52, 0xB8, 0x8A, 0xA9, 0x92, 0x21, 0x3E}};

HRESULT OrvOrvaneSettings2::Create(ComPtr<OrvOrvaneSettings2>* out) {
  ComPtr<OrvRegistry2> registry;
  if (HRESULT hr = OrvRegistry2::Create(&registry); FAILED(hr)) return hr;
  *out = MakeObject<OrvOrvaneSettings2>(std::move(registry));
  return S_OK;
}

HRESULT CreateOrvOrvaneSettings2Instance(REFIID iid, void** out) {
  return ComBoundary(IID__orvOrvaneSettings2, OrvOrvaneSettings2::kErrorSource, [&] {
    ComPtr<OrvOrvaneSettings2> obj;
    ThrowIfFailed(OrvOrvaneSettings2::Create(&obj), L"The settings object could not be created.");
    return obj->QueryInterface(iid, out);
  });
}

bool OrvOrvaneSettings2::AnswersAlso(REFIID iid) const { return IsEqualIID(iid, kIidOrvOrvaneSettings2V0) != FALSE; }

HRESULT OrvOrvaneSettings2::SettingPathOf(const AppSource& app, BSTR keyPath, BSTR* ret) const {
  return Boundary([&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    *ret = MakeBstr(SettingsCore::SettingPath(app.Identity(), Text(keyPath))).Detach();
    return S_OK;
  });
}

HRESULT OrvOrvaneSettings2::LoadSettingOf(const AppSource& app, BSTR subKey, BSTR valueName, SettingDataType_Const type,
                                          const VARIANT& defaultValue, VARIANT_BOOL userSetting,
                                          VARIANT_BOOL* lpSuccess, VARIANT* ret) const {
  const auto before = [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    return S_OK;
  };
  return InScope(app, userSetting, subKey, before, [&](const SettingScope& scope) {
    SetFlag(lpSuccess, false);
    bool success = false;
    *ret = core_.Load(scope, Text(valueName), type, defaultValue, &success).Detach();
    SetFlag(lpSuccess, success);
    return S_OK;
  });
}

// The "2" form's result repeats the success flag; the plain form has none.
HRESULT OrvOrvaneSettings2::SaveSettingOf(const AppSource& app, BSTR subKey, BSTR valueName, SettingDataType_Const type,
                                          const VARIANT& value, VARIANT_BOOL userSetting, VARIANT_BOOL* lpSuccess,
                                          VARIANT_BOOL* ret) const {
  const auto before = [&] {
    SetFlag(ret, false);
    return S_OK;
  };
  return InScope(app, userSetting, subKey, before, [&](const SettingScope& scope) {
    SetFlag(lpSuccess, false);
    const bool saved = core_.Save(scope, Text(valueName), type, value);
    SetFlag(lpSuccess, saved);
    SetFlag(ret, saved);
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath, BSTR* ret) {
  return SettingPathOf(AppSource(AppTitle, VerMajor, VerMinor), KeyPath, ret);
}

STDMETHODIMP OrvOrvaneSettings2::GetSettingPath2(IDispatch** AppObject, BSTR KeyPath, BSTR* ret) {
  return SettingPathOf(AppSource(AppObject), KeyPath, ret);
}

STDMETHODIMP OrvOrvaneSettings2::LoadSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                             VARIANT Default, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                             VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess, VARIANT* ret) {
  return LoadSettingOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, ValueName, ValueDataType, Default, UserSetting,
                       lpSuccess, ret);
}

STDMETHODIMP OrvOrvaneSettings2::SaveSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                             VARIANT Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                             VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) {
  return SaveSettingOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, ValueName, ValueDataType, Value, UserSetting,
                       lpSuccess, nullptr);
}

STDMETHODIMP OrvOrvaneSettings2::LoadSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                              VARIANT Default, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                              VARIANT_BOOL* lpSuccess, VARIANT* ret) {
  return LoadSettingOf(AppSource(AppObject), SubKey, ValueName, ValueDataType, Default, UserSetting, lpSuccess, ret);
}

STDMETHODIMP OrvOrvaneSettings2::SaveSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                              VARIANT Value, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                              VARIANT_BOOL* lpSuccess, VARIANT_BOOL* ret) {
  return SaveSettingOf(AppSource(AppObject), SubKey, ValueName, ValueDataType, Value, UserSetting, lpSuccess, ret);
}

}  // namespace orv

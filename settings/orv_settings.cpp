#include "settings/orv_settings.h"

#include "server/com_error.h"
#include "settings/method_arguments.h"

namespace orv {

// {CCCCB5ED-5749-4676-B452-B88AA992213E}
const IID kIidOrvOrvaneSettings2V0 = {0xCCCCB5ED, 0x5749, 0x4676, {0xB4, 0x52, 0xB8, 0x8A, 0xA9, 0x92, 0x21, 0x3E}};

namespace {}  // namespace

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

STDMETHODIMP OrvOrvaneSettings2::GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath, BSTR* ret) {
  return Boundary([&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    *ret = MakeBstr(SettingsCore::SettingPath({Text(AppTitle), VerMajor, VerMinor}, Text(KeyPath))).Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::GetSettingPath2(IDispatch** AppObject, BSTR KeyPath, BSTR* ret) {
  return Boundary([&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    *ret = MakeBstr(SettingsCore::SettingPath(ReadAppIdentity(Object(AppObject)), Text(KeyPath))).Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::LoadSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                             VARIANT Default, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                             VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess, VARIANT* ret) {
  return Boundary([&]() -> HRESULT {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    SetFlag(lpSuccess, false);
    bool success = false;
    *ret = core_
               .Load(ScopeOf(AppTitle, VerMajor, VerMinor, UserSetting, SubKey), Text(ValueName), ValueDataType,
                     Default, &success)
               .Detach();
    SetFlag(lpSuccess, success);
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                             VARIANT Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                             VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) {
  return Boundary([&]() -> HRESULT {
    SetFlag(lpSuccess, false);
    SetFlag(lpSuccess, core_.Save(ScopeOf(AppTitle, VerMajor, VerMinor, UserSetting, SubKey), Text(ValueName),
                                  ValueDataType, Value));
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::LoadSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                              VARIANT Default, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                              VARIANT_BOOL* lpSuccess, VARIANT* ret) {
  return Boundary([&]() -> HRESULT {
    if (!ret) return E_POINTER;
    VariantInit(ret);
    const SettingScope scope{ReadAppIdentity(Object(AppObject)), UserSetting != VARIANT_FALSE, Text(SubKey)};
    SetFlag(lpSuccess, false);
    bool success = false;
    *ret = core_.Load(scope, Text(ValueName), ValueDataType, Default, &success).Detach();
    SetFlag(lpSuccess, success);
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType,
                                              VARIANT Value, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                              VARIANT_BOOL* lpSuccess, VARIANT_BOOL* ret) {
  return Boundary([&]() -> HRESULT {
    if (ret) *ret = VARIANT_FALSE;
    const SettingScope scope{ReadAppIdentity(Object(AppObject)), UserSetting != VARIANT_FALSE, Text(SubKey)};
    SetFlag(lpSuccess, false);
    // The result repeats the success flag.
    const bool saved = core_.Save(scope, Text(ValueName), ValueDataType, Value);
    SetFlag(lpSuccess, saved);
    SetFlag(ret, saved);
    return S_OK;
  });
}

}  // namespace orv

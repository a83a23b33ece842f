#include "orv_settings.h"

#include "registry/com_error.h"
#include "registry/server_classes.h"

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

// Not built yet: each method answers E_NOTIMPL with a description.
STDMETHODIMP OrvOrvaneSettings2::GetSettingPath(BSTR, LONG, LONG, BSTR, BSTR*) { return NotAvailable(L"GetSettingPath"); }
STDMETHODIMP OrvOrvaneSettings2::GetSettingPath2(IDispatch**, BSTR, BSTR*) { return NotAvailable(L"GetSettingPath2"); }
STDMETHODIMP OrvOrvaneSettings2::LoadSetting(BSTR, BSTR, SettingDataType_Const, VARIANT, BSTR, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*, VARIANT*) { return NotAvailable(L"LoadSetting"); }
STDMETHODIMP OrvOrvaneSettings2::SaveSetting(BSTR, BSTR, SettingDataType_Const, VARIANT, BSTR, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotAvailable(L"SaveSetting"); }
STDMETHODIMP OrvOrvaneSettings2::LoadSetting2(BSTR, BSTR, SettingDataType_Const, VARIANT, IDispatch**, VARIANT_BOOL, VARIANT_BOOL*, VARIANT*) { return NotAvailable(L"LoadSetting2"); }
STDMETHODIMP OrvOrvaneSettings2::SaveSetting2(BSTR, BSTR, SettingDataType_Const, VARIANT, IDispatch**, VARIANT_BOOL, VARIANT_BOOL*, VARIANT_BOOL*) { return NotAvailable(L"SaveSetting2"); }
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

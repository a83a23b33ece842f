// orvOrvaneSettings2: the per-application, per-version settings store.
#pragma once
#include "idl/brindle_idl.h"
#include "server/dispatch_object.h"
#include "settings/method_arguments.h"
#include "settings/settings_core.h"

namespace orv {

// Makes a new orvOrvaneSettings2 and asks it for `iid`: the class factory's work.
HRESULT CreateOrvOrvaneSettings2Instance(REFIID iid, void** out);

// The earlier interface identifier that orvOrvaneSettings2 also answers.
extern const IID kIidOrvOrvaneSettings2V0;

class OrvOrvaneSettings2 final : public DispatchObject<_orvOrvaneSettings2> {
 public:
  static constexpr wchar_t kErrorSource[] = L"Brindle0200.orvOrvaneSettings2";

  // Creates the object with the orvRegistry2 it keeps for its life.
  static HRESULT Create(ComPtr<OrvOrvaneSettings2>* out);

  // _orvOrvaneSettings2, in slot order.
  STDMETHODIMP GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath, BSTR* ret) override;
  STDMETHODIMP GetSettingPath2(IDispatch** AppObject, BSTR KeyPath, BSTR* ret) override;
  STDMETHODIMP LoadSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType, VARIANT Default,
                           BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting,
                           VARIANT_BOOL* lpSuccess, VARIANT* ret) override;
  STDMETHODIMP SaveSetting(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType, VARIANT Value,
                           BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting,
                           VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP LoadSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType, VARIANT Default,
                            IDispatch** AppObject, VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess,
                            VARIANT* ret) override;
  STDMETHODIMP SaveSetting2(BSTR SubKey, BSTR ValueName, SettingDataType_Const ValueDataType, VARIANT Value,
                            IDispatch** AppObject, VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess,
                            VARIANT_BOOL* ret) override;
  STDMETHODIMP SaveListViewColumns(BSTR SubKey, IDispatch** ListViewObject, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                   VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadListViewColumns(BSTR SubKey, IDispatch** ListViewObject, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                                   VARIANT_BOOL UserSetting) override;
  STDMETHODIMP SaveListViewColumns2(BSTR SubKey, IDispatch** ListViewObject, IDispatch** AppObject,
                                    VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadListViewColumns2(BSTR SubKey, IDispatch** ListViewObject, IDispatch** AppObject,
                                    VARIANT_BOOL UserSetting) override;
  STDMETHODIMP SaveProxySettings(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle, LONG VerMajor,
                                 LONG VerMinor, VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadProxySettings(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle, LONG VerMajor,
                                 LONG VerMinor, VARIANT_BOOL UserSetting) override;
  STDMETHODIMP SaveProxySettings2(BSTR SubKey, IDispatch** ProxySettingsObject, IDispatch** AppObject,
                                  VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadProxySettings2(BSTR SubKey, IDispatch** ProxySettingsObject, IDispatch** AppObject,
                                  VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadFont(BSTR SubKey, IFontDisp** Default, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                        VARIANT_BOOL UserSetting, IFontDisp** ret) override;
  STDMETHODIMP SaveFont(BSTR SubKey, IFontDisp** Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor,
                        VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadFont2(BSTR SubKey, IFontDisp** Default, IDispatch** AppObject, VARIANT_BOOL UserSetting,
                         IFontDisp** ret) override;
  STDMETHODIMP SaveFont2(BSTR SubKey, IFontDisp** Value, IDispatch** AppObject, VARIANT_BOOL UserSetting) override;
  STDMETHODIMP SaveFormPlacement(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, BSTR AppTitle, LONG VerMajor,
                                 LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP LoadFormPlacementPx(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, BSTR AppTitle, LONG VerMajor,
                                   LONG VerMinor, VARIANT_BOOL SetMinimized, LONG FixedWidth, LONG FixedHeight,
                                   VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP LoadFormPlacement(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, BSTR AppTitle, LONG VerMajor,
                                 LONG VerMinor, VARIANT_BOOL SetMinimized, float FixedWidth, float FixedHeight,
                                 VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP SaveFormPlacement2(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, IDispatch** AppObject,
                                  VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP LoadFormPlacementPx2(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, IDispatch** AppObject,
                                    VARIANT_BOOL SetMinimized, LONG FixedWidth, LONG FixedHeight,
                                    VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP LoadFormPlacement2(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, IDispatch** AppObject,
                                  VARIANT_BOOL SetMinimized, float FixedWidth, float FixedHeight,
                                  VARIANT_BOOL UserSetting, VARIANT_BOOL* lpSuccess) override;
  STDMETHODIMP SaveProxySettingsHT(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle, LONG VerMajor,
                                   LONG VerMinor, VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadProxySettingsHT(BSTR SubKey, IDispatch** ProxySettingsObject, BSTR AppTitle, LONG VerMajor,
                                   LONG VerMinor, VARIANT_BOOL UserSetting) override;
  STDMETHODIMP SaveProxySettingsHT2(BSTR SubKey, IDispatch** ProxySettingsObject, IDispatch** AppObject,
                                    VARIANT_BOOL UserSetting) override;
  STDMETHODIMP LoadProxySettingsHT2(BSTR SubKey, IDispatch** ProxySettingsObject, IDispatch** AppObject,
                                    VARIANT_BOOL UserSetting) override;

 protected:
  bool AnswersAlso(REFIID iid) const override;

 private:
  template <class T, class... Args>
  friend ComPtr<T> MakeObject(Args&&... args);
  explicit OrvOrvaneSettings2(ComPtr<OrvRegistry2> registry) : core_(std::move(registry)) {}
  // Runs a method body: errors thrown inside become the COM error of the call.
  template <class Body>
  static HRESULT Boundary(Body&& body) {
    return ComBoundary(IID__orvOrvaneSettings2, kErrorSource, std::forward<Body>(body));
  }

  // Runs a settings method inside the boundary: `before` (the checks and
  // resets of its outputs; anything but S_OK ends the call there), then the
  // body with the scope built from where the method names its application.
  template <class Before, class Body>
  static HRESULT InScope(const AppSource& app, VARIANT_BOOL userSetting, BSTR subKey, Before&& before, Body&& body) {
    return Boundary([&]() -> HRESULT {
      if (const HRESULT hr = before(); hr != S_OK) return hr;
      return body(app.Scope(userSetting, subKey));
    });
  }
  template <class Body>
  static HRESULT InScope(const AppSource& app, VARIANT_BOOL userSetting, BSTR subKey, Body&& body) {
    return InScope(
        app, userSetting, subKey, [] { return S_OK; }, std::forward<Body>(body));
  }

  // Each family's work, shared by its plain and its "2" form.
  HRESULT SettingPathOf(const AppSource& app, BSTR keyPath, BSTR* ret) const;
  HRESULT LoadSettingOf(const AppSource& app, BSTR subKey, BSTR valueName, SettingDataType_Const type,
                        const VARIANT& defaultValue, VARIANT_BOOL userSetting, VARIANT_BOOL* lpSuccess,
                        VARIANT* ret) const;
  HRESULT SaveSettingOf(const AppSource& app, BSTR subKey, BSTR valueName, SettingDataType_Const type,
                        const VARIANT& value, VARIANT_BOOL userSetting, VARIANT_BOOL* lpSuccess,
                        VARIANT_BOOL* ret) const;
  HRESULT ListViewColumnsOf(bool save, const AppSource& app, BSTR subKey, IDispatch** listView,
                            VARIANT_BOOL userSetting) const;
  enum class ProxyFamily { kHttp, kHt };
  HRESULT ProxySettingsOf(bool save, ProxyFamily family, const AppSource& app, BSTR subKey, IDispatch** proxy,
                          VARIANT_BOOL userSetting) const;
  HRESULT SaveFontOf(const AppSource& app, BSTR subKey, IFontDisp** value, VARIANT_BOOL userSetting) const;
  HRESULT LoadFontOf(const AppSource& app, BSTR subKey, IFontDisp** defaultFont, VARIANT_BOOL userSetting,
                     IFontDisp** ret) const;
  HRESULT SaveFormPlacementOf(const AppSource& app, BSTR subKey, BSTR valueName, IDispatch** form,
                              VARIANT_BOOL userSetting, VARIANT_BOOL* lpSuccess) const;
  // Size: LONG for pixels (the "Px" forms), float for twips.
  template <class Size>
  HRESULT LoadFormPlacementOf(const AppSource& app, BSTR subKey, BSTR valueName, IDispatch** form,
                              VARIANT_BOOL setMinimized, Size fixedWidth, Size fixedHeight, VARIANT_BOOL userSetting,
                              VARIANT_BOOL* lpSuccess) const;
  void SaveFontTo(const SettingScope& scope, IFontDisp** value) const;
  ComPtr<IFontDisp> LoadFontFrom(const SettingScope& scope, IFontDisp** defaultFont) const;

  SettingsCore core_;
};

}  // namespace orv

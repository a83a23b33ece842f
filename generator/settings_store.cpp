#include "settings_store.h"

#include <string>

#include "idl/brindle_idl.h"
#include "run_time_error.h"

namespace orv::quorlet {
SettingsSession::SettingsSession(IDispatch* appObject) : app_(appObject) {}

SettingsSession::~SettingsSession() = default;

_orvOrvaneSettings2* SettingsSession::Store() {
  if (!store_) {
    const HRESULT hr = CoCreateInstance(CLSID_orvOrvaneSettings2, nullptr, CLSCTX_INPROC_SERVER,
                                        IID__orvOrvaneSettings2, reinterpret_cast<void**>(store_.Put()));
    if (FAILED(hr)) {
      // The usual cause is an unregistered Brindle0200.dll; say so beside the system's text.
      std::wstring text = L"Не удалось создать объект настроек Brindle0200.orvOrvaneSettings2";
      if (const std::wstring system = SystemErrorText(hr); !system.empty()) text += L": " + system;
      throw RunTimeError(hr, text + L"\nПроверьте, что Brindle0200.dll зарегистрирована (regsvr32).");
    }
  }
  return store_.Get();
}

std::int32_t SettingsSession::LoadLong(std::wstring_view valueName, std::int16_t defaultValue) {
  _orvOrvaneSettings2* store = Store();
  Bstr subKey(L"");
  Bstr name(std::wstring(valueName).c_str());
  if (!subKey.Get() || !name.Get()) Raise(E_OUTOFMEMORY);
  Variant defaultArg = Variant::I2(defaultValue);
  // [in, out]: the callee may replace the object, and this copy owns what comes back.
  ComPtr<IDispatch> app(app_);
  VARIANT_BOOL success = VARIANT_FALSE;  // never looked at
  Variant result;
  ThrowIfFailed(store->LoadSetting2(subKey.Get(), name.Get(), sdtLong, *defaultArg.Get(), app.InOut(), VARIANT_TRUE,
                                    &success, result.Put()));
  if (HRESULT hr = VariantChangeType(result.Get(), result.Get(), 0, VT_I4); FAILED(hr)) Raise(hr);
  return V_I4(result.Get());
}

void SettingsSession::SaveLong(std::wstring_view valueName, std::int32_t value) {
  _orvOrvaneSettings2* store = Store();
  Bstr subKey(L"");
  Bstr name(std::wstring(valueName).c_str());
  if (!subKey.Get() || !name.Get()) Raise(E_OUTOFMEMORY);
  Variant valueArg = Variant::I4(value);
  ComPtr<IDispatch> app(app_);
  VARIANT_BOOL success = VARIANT_FALSE;
  VARIANT_BOOL saved = VARIANT_FALSE;  // neither is looked at: a failed write is the store's to report
  ThrowIfFailed(store->SaveSetting2(subKey.Get(), name.Get(), sdtLong, *valueArg.Get(), app.InOut(), VARIANT_TRUE,
                                    &success, &saved));
}

}  // namespace orv::quorlet

#include "settings_store.h"

#include <string>

#include "brindle/brindle_idl.h"
#include "run_time_error.h"

namespace orv::quorlet {
namespace {

// The [in, out] application object: the callee may replace it, and the
// caller owns whatever comes back.
class InOutDispatch {
 public:
  explicit InOutDispatch(IDispatch* p) : p_(p) { if (p_) p_->AddRef(); }
  ~InOutDispatch() { if (p_) p_->Release(); }
  InOutDispatch(const InOutDispatch&) = delete;
  InOutDispatch& operator=(const InOutDispatch&) = delete;
  IDispatch** Put() { return &p_; }

 private:
  IDispatch* p_;
};

}  // namespace

SettingsSession::SettingsSession(IDispatch* appObject) : app_(appObject) {}

SettingsSession::~SettingsSession() {
  if (store_) store_->Release();
}

_orvOrvaneSettings2* SettingsSession::Store() {
  if (!store_) {
    const HRESULT hr = CoCreateInstance(CLSID_orvOrvaneSettings2, nullptr, CLSCTX_INPROC_SERVER,
                                        IID__orvOrvaneSettings2, reinterpret_cast<void**>(&store_));
    if (FAILED(hr)) {
      // The usual cause is an unregistered Brindle0200.dll; say so beside the system's text.
      std::wstring text = L"Не удалось создать объект настроек Brindle0200.orvOrvaneSettings2";
      if (const std::wstring system = SystemErrorText(hr); !system.empty()) text += L": " + system;
      throw RunTimeError(hr, text + L"\nПроверьте, что Brindle0200.dll зарегистрирована (regsvr32).");
    }
  }
  return store_;
}

std::int32_t SettingsSession::LoadLong(std::wstring_view valueName, std::int16_t defaultValue) {
  _orvOrvaneSettings2* store = Store();
  Bstr subKey(L"");
  Bstr name(std::wstring(valueName).c_str());
  if (!subKey.Get() || !name.Get()) Raise(E_OUTOFMEMORY);
  VARIANT defaultArg;
  VariantInit(&defaultArg);
  V_VT(&defaultArg) = VT_I2;
  V_I2(&defaultArg) = defaultValue;
  InOutDispatch app(app_);
  VARIANT_BOOL success = VARIANT_FALSE;  // never looked at
  Variant result;
  CheckCom(store->LoadSetting2(subKey.Get(), name.Get(), sdtLong, defaultArg, app.Put(), VARIANT_TRUE, &success,
                               result.Put()));
  if (HRESULT hr = VariantChangeType(result.Get(), result.Get(), 0, VT_I4); FAILED(hr)) Raise(hr);
  return V_I4(result.Get());
}

void SettingsSession::SaveLong(std::wstring_view valueName, std::int32_t value) {
  _orvOrvaneSettings2* store = Store();
  Bstr subKey(L"");
  Bstr name(std::wstring(valueName).c_str());
  if (!subKey.Get() || !name.Get()) Raise(E_OUTOFMEMORY);
  VARIANT valueArg;
  VariantInit(&valueArg);
  V_VT(&valueArg) = VT_I4;
  V_I4(&valueArg) = value;
  InOutDispatch app(app_);
  VARIANT_BOOL success = VARIANT_FALSE;
  VARIANT_BOOL saved = VARIANT_FALSE;  // neither is looked at: a failed write is the store's to report
  CheckCom(store->SaveSetting2(subKey.Get(), name.Get(), sdtLong, valueArg, app.Put(), VARIANT_TRUE, &success,
                               &saved));
}

}  // namespace orv::quorlet

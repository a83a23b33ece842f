// orvRegistry2: registry access for automation clients. Registry failures are
// never raised: Boolean methods answer False, object methods Nothing, and
// LastRegError keeps the status of the object's last registry call.
#pragma once
#include <string>
#include <vector>

#include "idl/brindle_idl.h"
#include "server/dispatch_object.h"

namespace orv {

class RegValueRecord;

// Makes a new orvRegistry2 and asks it for `iid`: the class factory's work.
HRESULT CreateOrvRegistry2Instance(REFIID iid, void** out);

class OrvRegistry2 final : public DispatchObject<_orvRegistry2> {
 public:
  static constexpr wchar_t kErrorSource[] = L"Brindle0200.orvRegistry2";

  // Fails (and makes no object) when esIsUnicodeAvailable fails.
  static HRESULT Create(ComPtr<OrvRegistry2>* out);

  // _orvRegistry2, in slot order.
  STDMETHODIMP get_UseUnicodeFunctions(VARIANT_BOOL* ret) override;
  STDMETHODIMP put_UseUnicodeFunctions(VARIANT_BOOL value) override;
  STDMETHODIMP get_LastRegError(LONG* ret) override;
  STDMETHODIMP ValueDataTypeToString(RegistryDataType2_Const ValueType, BSTR* ret) override;
  STDMETHODIMP SetValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                        RegistryDataType2_Const ValueDataType, VARIANT ValueData, VARIANT_BOOL* lpKeyAlreadyExist,
                        VARIANT_BOOL* ret) override;
  STDMETHODIMP GetValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName, _RegValue** ret) override;
  STDMETHODIMP DeleteValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName, VARIANT_BOOL* ret) override;
  STDMETHODIMP DeleteKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL Recursive,
                         VARIANT_BOOL* ret) override;
  STDMETHODIMP CreateKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* lpKeyAlreadyExist,
                         VARIANT_BOOL* ret) override;
  STDMETHODIMP IsKeyExist(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* ret) override;
  STDMETHODIMP GetValues(RegistryRoot2_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL QueryData,
                         _Collection** ret) override;
  STDMETHODIMP GetSubKeys(RegistryRoot2_Const RegistryRoot, BSTR SubKey, _Collection** ret) override;
  STDMETHODIMP GetKey(RegistryRoot2_Const RegistryRoot, BSTR SubKey, _RegKey** ret) override;

  // The entry points this object's registry calls go through (the settings
  // store's registry layer uses the same): UseUnicodeFunctions.
  bool Wide() const { return useUnicode_ != VARIANT_FALSE; }

 protected:
  std::span<const std::wstring_view> UnsignedEnumerations() const override;

 private:
  template <class T, class... Args>
  friend ComPtr<T> MakeObject(Args&&... args);
  OrvRegistry2() = default;
  static HKEY Root(RegistryRoot2_Const root);
  // A new record, or nullptr when the bytes do not convert for the type.
  ComPtr<RegValueRecord> BytesToRegValue(const std::wstring& name, LONG type, const BYTE* bytes, DWORD count) const;
  // Stores the status of a registry call in LastRegError and passes it on.
  LONG Track(LONG status) {
    lastRegError_ = status;
    return status;
  }

  LONG lastRegError_ = 0;
  VARIANT_BOOL useUnicode_ = VARIANT_FALSE;
};

}  // namespace orv

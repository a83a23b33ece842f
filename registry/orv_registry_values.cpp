// TEMPORARY: replaced by the value operations.
#include "orv_registry.h"
#include "reg_value.h"
namespace orv {
STDMETHODIMP OrvRegistry2::SetValue(RegistryRoot2_Const, BSTR, BSTR, RegistryDataType2_Const, VARIANT, VARIANT_BOOL*, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::GetValue(RegistryRoot2_Const, BSTR, BSTR, _RegValue**) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::DeleteValue(RegistryRoot2_Const, BSTR, BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
bool OrvRegistry2::ValueDataToBytes(const VARIANT&, LONG, std::vector<BYTE>*) const { return false; }
ComPtr<RegValueRecord> OrvRegistry2::BytesToRegValue(const std::wstring&, LONG, const BYTE*, DWORD) const { return {}; }
}  // namespace orv

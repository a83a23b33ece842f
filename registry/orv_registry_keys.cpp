// TEMPORARY: replaced by the key operations.
#include "orv_registry.h"
namespace orv {
STDMETHODIMP OrvRegistry2::DeleteKey(RegistryRoot2_Const, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::CreateKey(RegistryRoot2_Const, BSTR, VARIANT_BOOL*, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::IsKeyExist(RegistryRoot2_Const, BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::GetValues(RegistryRoot2_Const, BSTR, VARIANT_BOOL, _Collection**) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::GetSubKeys(RegistryRoot2_Const, BSTR, _Collection**) { return E_NOTIMPL; }
STDMETHODIMP OrvRegistry2::GetKey(RegistryRoot2_Const, BSTR, _RegKey**) { return E_NOTIMPL; }
}  // namespace orv

#include "app_object.h"

#include <array>
#include <cwchar>
#include <variant>

#include "app_identity.h"
#include "support/com_object.h"

namespace orv::quorlet {
namespace {

struct Property {
  const wchar_t* name;
  DISPID id;
  std::variant<const wchar_t*, std::int16_t> value;  // Integer, as the form runtime's App object
};

constexpr std::array<Property, 5> kProperties{{
    {L"Title", 1, kTitle},
    {L"Major", 2, static_cast<std::int16_t>(kMajor)},
    {L"Minor", 3, static_cast<std::int16_t>(kMinor)},
    {L"Revision", 4, static_cast<std::int16_t>(kRevision)},
    {L"EXEName", 5, kExeName},
}};

const Property* FindById(DISPID id) {
  for (const Property& p : kProperties) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

class AppObject final : public ComObject<Uncounted, IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    if (count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    // Properties take no named arguments, so only the first name can be known.
    for (const Property& p : kProperties) {
      if (names[0] && _wcsicmp(names[0], p.name) == 0) ids[0] = p.id;
    }
    for (UINT i = 0; i < count; ++i) {
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    const Property* p = FindById(id);
    if (!p) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params && (params->cArgs != 0 || params->cNamedArgs != 0)) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;  // a get whose caller drops the value
    VariantInit(result);
    if (const auto* text = std::get_if<const wchar_t*>(&p->value)) {
      BSTR b = SysAllocString(*text);
      if (!b) return E_OUTOFMEMORY;
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = b;
    } else {
      V_VT(result) = VT_I2;
      V_I2(result) = std::get<std::int16_t>(p->value);
    }
    return S_OK;
  }
};

}  // namespace

ComPtr<IDispatch> CreateAppObject() { return MakeObject<AppObject>(); }

}  // namespace orv::quorlet

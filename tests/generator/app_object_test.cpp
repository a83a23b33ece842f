#include "generator/app_object.h"

#include <gtest/gtest.h>

#include <string>

namespace orv::quorlet {
namespace {

HRESULT IdOf(IDispatch* app, const wchar_t* name, DISPID* id) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return app->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT Get(IDispatch* app, const wchar_t* name, WORD flags, VARIANT* out) {
  DISPID id = DISPID_UNKNOWN;
  if (HRESULT hr = IdOf(app, name, &id); FAILED(hr)) return hr;
  DISPPARAMS none{};
  return app->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, out, nullptr, nullptr);
}

// Read late-bound, in whatever letter case the caller spells the name, and
// with the flags the settings store passes.
TEST(QuorletAppObject, AnswersEveryPropertyLateBound) {
  ComPtr<IDispatch> app = CreateAppObject();
  struct Case {
    const wchar_t* name;
    VARTYPE type;
    const wchar_t* text;
    int number;
  };
  const Case cases[] = {
      {L"Title", VT_BSTR, L"Orvane - Quorlet for Win32", 0},
      {L"title", VT_BSTR, L"Orvane - Quorlet for Win32", 0},
      {L"Major", VT_I2, nullptr, 1},
      {L"MINOR", VT_I2, nullptr, 2},
      {L"Revision", VT_I2, nullptr, 11},
      {L"EXEName", VT_BSTR, L"Quorlet", 0},
  };
  for (const Case& c : cases) {
    for (WORD flags : {WORD(DISPATCH_PROPERTYGET), WORD(DISPATCH_PROPERTYGET | DISPATCH_METHOD)}) {
      Variant value;
      ASSERT_EQ(Get(app.Get(), c.name, flags, value.Put()), S_OK) << c.name;
      ASSERT_EQ(V_VT(value.Get()), c.type) << c.name;
      if (c.text) {
        EXPECT_STREQ(V_BSTR(value.Get()), c.text);
      } else {
        EXPECT_EQ(V_I2(value.Get()), c.number) << c.name;
      }
    }
  }
}

TEST(QuorletAppObject, RefusesWhatItDoesNotOffer) {
  ComPtr<IDispatch> app = CreateAppObject();
  DISPID id = 0;
  EXPECT_EQ(IdOf(app.Get(), L"Path", &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);

  Variant value;
  EXPECT_EQ(Get(app.Get(), L"Title", DISPATCH_PROPERTYPUT, value.Put()), DISP_E_MEMBERNOTFOUND);
  DISPPARAMS none{};
  EXPECT_EQ(app->Invoke(12345, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.Put(), nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);

  ASSERT_EQ(IdOf(app.Get(), L"Major", &id), S_OK);
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_I4;
  DISPPARAMS one{&arg, nullptr, 1, 0};
  EXPECT_EQ(app->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, value.Put(), nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);

  ComPtr<IUnknown> unknown;
  EXPECT_EQ(app->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.Put())), S_OK);
  ComPtr<IUnknown> other;
  EXPECT_EQ(app->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(other.Put())), E_NOINTERFACE);
  EXPECT_FALSE(other);
}

// The object lives exactly as long as its references.
TEST(QuorletAppObject, CountsItsReferences) {
  IDispatch* app = CreateAppObject().Detach();
  EXPECT_EQ(app->AddRef(), 2u);
  EXPECT_EQ(app->Release(), 1u);
  EXPECT_EQ(app->Release(), 0u);
}

}  // namespace
}  // namespace orv::quorlet

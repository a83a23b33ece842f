// An object argument left out means no object. Every object parameter of
// both creatable classes is found in the type information (so no method can
// be missed), and each is called late-bound once left out and once as
// Nothing: the two calls must answer alike, and neither may write anything.
#include <string>
#include <tuple>
#include <vector>

#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);

// An object parameter of a method, with the parameters a caller passes.
struct ObjectParameter {
  std::wstring method;
  DISPID id;
  std::vector<std::wstring> params;  // in declaration order
  std::size_t object;                // the one under test
};

// Through any pointers: an interface, or a type that stands for one (stdole's
// IFontDisp is an alias).
bool IsObject(ITypeInfo* info, const TYPEDESC& type) {
  const TYPEDESC* t = &type;
  while (t->vt == VT_PTR && t->lptdesc) t = t->lptdesc;
  if (t->vt == VT_DISPATCH || t->vt == VT_UNKNOWN) return true;
  ComPtr<ITypeInfo> ref;
  TYPEATTR* attr = nullptr;
  if (t->vt != VT_USERDEFINED || FAILED(info->GetRefTypeInfo(t->hreftype, ref.Put())) ||
      FAILED(ref->GetTypeAttr(&attr))) {
    return false;
  }
  const TYPEKIND kind = attr->typekind;
  const TYPEDESC aliased = attr->tdescAlias;
  ref->ReleaseTypeAttr(attr);
  return kind == TKIND_INTERFACE || kind == TKIND_DISPATCH || (kind == TKIND_ALIAS && IsObject(ref.Get(), aliased));
}

std::vector<ObjectParameter> ObjectParameters(IDispatch* d) {
  std::vector<ObjectParameter> found;
  ComPtr<ITypeInfo> info;
  TYPEATTR* attr = nullptr;
  if (FAILED(d->GetTypeInfo(0, 0, info.Put())) || FAILED(info->GetTypeAttr(&attr))) return found;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (WORD i = 0; i < count; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    BSTR names[64] = {};
    UINT got = 0;
    info->GetNames(f->memid, names, 64, &got);
    ObjectParameter method{Str(names[0]), f->memid, {}, 0};
    std::vector<std::size_t> objects;
    const bool callable = f->invkind == INVOKE_FUNC && !(f->wFuncFlags & FUNCFLAG_FRESTRICTED);
    for (SHORT p = 0; p < f->cParams && callable; ++p) {
      const ELEMDESC& e = f->lprgelemdescParam[p];
      if (e.paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) continue;
      if (IsObject(info.Get(), e.tdesc)) objects.push_back(method.params.size());
      method.params.push_back(static_cast<UINT>(p + 1) < got ? Str(names[p + 1]) : L"");
    }
    for (UINT n = 0; n < got; ++n) SysFreeString(names[n]);
    info->ReleaseFuncDesc(f);
    for (std::size_t o : objects) {
      method.object = o;
      found.push_back(method);
    }
  }
  return found;
}

// What a call answered: its status, error and description, and the result's type.
using Answer = std::tuple<HRESULT, SCODE, std::wstring, VARTYPE>;

Answer Call(IDispatch* d, DISPID id, std::vector<Arg>& args) {
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(**it);
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  Variant result;
  EXCEPINFO e{};
  UINT argErr = 0;
  const HRESULT hr = d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.Get(), &e, &argErr);
  if (e.pfnDeferredFillIn) e.pfnDeferredFillIn(&e);
  Answer a{hr, e.scode, Str(e.bstrDescription), V_VT(result.Get())};
  for (BSTR b : {e.bstrSource, e.bstrDescription, e.bstrHelpFile}) SysFreeString(b);
  return a;
}

using OmittedObject = SettingsTest;

TEST_F(OmittedObject, IsNoObjectForEveryObjectParameter) {
  ComPtr<IDispatch> store, registry;
  ASSERT_EQ(store_.As(&store), S_OK);
  ASSERT_EQ(loader_->Create(CLSID_orvRegistry2, &registry), S_OK);
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2);
  EXPECT_TRUE(ObjectParameters(registry.Get()).empty());
  const std::vector<ObjectParameter> table = ObjectParameters(store.Get());
  // The proxy, font, form and list view methods and their "2" forms, and
  // the application objects of GetSettingPath2, LoadSetting2, SaveSetting2.
  EXPECT_EQ(table.size(), 36u);
  for (const ObjectParameter& row : table) {
    const bool appObject = row.params[row.object] == L"AppObject";
    SCOPED_TRACE(Narrow(row.method + L"." + row.params[row.object]));
    Answer answers[2];
    for (bool omitted : {false, true}) {
      // The other arguments are left out, save the application's title and
      // object, and every other object is Nothing.
      std::vector<Arg> args;
      for (std::size_t p = 0; p < row.params.size(); ++p) {
        const std::wstring& name = row.params[p];
        args.push_back(p == row.object         ? (omitted ? Arg::Missing() : Arg::Object(nullptr))
                       : name == L"AppObject" ? Arg::Object(app.Get())
                       : name == L"AppTitle"  ? Arg::Text(title_)
                                              : Arg::Missing());
      }
      answers[omitted] = Call(store.Get(), row.id, args);
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(title_))) << (omitted ? "left out" : "Nothing");
    }
    EXPECT_EQ(answers[1], answers[0]) << "left out, then Nothing";
    // The application object is needed before anything else is looked at.
    EXPECT_EQ(std::get<0>(answers[1]), appObject ? DISP_E_EXCEPTION : S_OK);
    EXPECT_EQ(std::get<1>(answers[1]), appObject ? kObjectNotSet : S_OK);
  }
}

}  // namespace
}  // namespace orv::test

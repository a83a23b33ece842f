// The type library embedded in Brindle0200.dll, read back through OLE
// Automation as clients read it: identity, interfaces with their member
// order, DISPIDs and parameters, enumerations, classes and the alias of the
// earlier settings interface. Early-bound clients depend on every detail.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/com_types.h"
#include "tests/common/server_loader.h"

namespace orv::test {
namespace {

GUID Guid(const wchar_t* text) {
  GUID g{};
  CLSIDFromString(text, &g);
  return g;
}

std::wstring GuidText(REFGUID g) {
  wchar_t buf[40] = {};
  StringFromGUID2(g, buf, 40);
  return buf;
}

class TypeAttr {
 public:
  explicit TypeAttr(ITypeInfo* info) : info_(info) {
    if (FAILED(info_->GetTypeAttr(&attr_))) attr_ = nullptr;
  }
  ~TypeAttr() {
    if (attr_) info_->ReleaseTypeAttr(attr_);
  }
  TypeAttr(const TypeAttr&) = delete;
  TypeAttr& operator=(const TypeAttr&) = delete;
  const TYPEATTR* operator->() const { return attr_; }
  explicit operator bool() const { return attr_ != nullptr; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attr_ = nullptr;
};

std::wstring TypeName(ITypeInfo* info) {
  Bstr name;
  info->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr);
  return Text(name.Get());
}

// A type as C would spell it: "BSTR", "IDispatch**", "_RegValue*",
// "enum RegistryRoot2_Const", "stdole.IFontDisp**" (types of another library
// carry its name).
std::wstring Spell(ITypeInfo* owner, const TYPEDESC& t) {
  switch (t.vt) {
    case VT_PTR: return Spell(owner, *t.lptdesc) + L"*";
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> ref;
      if (FAILED(owner->GetRefTypeInfo(t.hreftype, ref.Put()))) return L"<unresolved>";
      std::wstring name = TypeName(ref.Get());
      ComPtr<ITypeLib> lib;
      UINT index = 0;
      if (SUCCEEDED(ref->GetContainingTypeLib(lib.Put(), &index))) {
        Bstr libName;
        lib->GetDocumentation(-1, libName.Put(), nullptr, nullptr, nullptr);
        if (Text(libName.Get()) != L"Brindle0200") name = Text(libName.Get()) + L"." + name;
      }
      TypeAttr attr(ref.Get());
      return (attr && attr->typekind == TKIND_ENUM) ? L"enum " + name : name;
    }
    case VT_BSTR: return L"BSTR";
    case VT_I4: return L"long";
    case VT_R4: return L"float";
    case VT_BOOL: return L"VARIANT_BOOL";
    case VT_VARIANT: return L"VARIANT";
    case VT_DATE: return L"DATE";
    case VT_DISPATCH: return L"IDispatch*";
    case VT_UNKNOWN: return L"IUnknown*";
    case VT_HRESULT: return L"HRESULT";
    case VT_VOID: return L"void";
    default: return L"vt" + std::to_wstring(t.vt);
  }
}

// "in", "in out opt", "in opt =\"\"", "in opt =-1", "in out opt =Nothing", "out retval".
std::wstring SpellFlags(const PARAMDESC& p) {
  std::wstring s;
  auto add = [&s](const wchar_t* w) { s += (s.empty() ? L"" : L" ") + std::wstring(w); };
  if (p.wParamFlags & PARAMFLAG_FIN) add(L"in");
  if (p.wParamFlags & PARAMFLAG_FOUT) add(L"out");
  if (p.wParamFlags & PARAMFLAG_FOPT) add(L"opt");
  if (p.wParamFlags & PARAMFLAG_FRETVAL) add(L"retval");
  if ((p.wParamFlags & PARAMFLAG_FHASDEFAULT) && p.pparamdescex) {
    VARIANT v = p.pparamdescex->varDefaultValue;
    if (V_VT(&v) == VT_BSTR) {
      add((L"=\"" + Text(V_BSTR(&v)) + L"\"").c_str());
    } else if ((V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN) && !V_UNKNOWN(&v)) {
      add(L"=Nothing");
    } else {
      Variant n;
      if (SUCCEEDED(VariantChangeType(n.Get(), &v, 0, VT_I4))) {
        add((L"=" + std::to_wstring(V_I4(n.Get()))).c_str());
      } else {
        add((L"=<vt" + std::to_wstring(V_VT(&v)) + L">").c_str());
      }
    }
  }
  return s;
}

struct Param {
  const wchar_t* name;  // nullptr: the description leaves it unnamed
  std::wstring type;
  std::wstring flags;
};

struct Member {
  const wchar_t* name;
  INVOKEKIND kind;
  DISPID id;
  std::vector<Param> params;  // without the result
  std::wstring result;        // "void" when there is none
};

// What one FUNCDESC says, in the terms of the tables.
struct Described {
  std::wstring name;
  INVOKEKIND kind;
  DISPID id;
  short vtableOffset;
  std::vector<Param> params;
  std::vector<std::wstring> names;
  std::wstring returns;
};

std::vector<Described> DescribeAll(ITypeInfo* info) {
  std::vector<Described> out;
  TypeAttr attr(info);
  if (!attr) return out;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    Described d;
    FUNCDESC* f = nullptr;
    const HRESULT hr = info->GetFuncDesc(i, &f);
    EXPECT_EQ(hr, S_OK) << "GetFuncDesc(" << i << ") of " << TypeName(info).c_str();
    if (FAILED(hr)) continue;
    BSTR names[40] = {};
    UINT count = 0;
    info->GetNames(f->memid, names, 40, &count);
    for (UINT n = 0; n < count; ++n) {
      d.names.push_back(Text(names[n]));
      SysFreeString(names[n]);
    }
    // Unnamed parameters (a property's new value, a result) come back as "".
    d.names.resize(std::max<size_t>(d.names.size(), f->cParams + 1));
    d.name = d.names.empty() ? L"" : d.names[0];
    d.kind = f->invkind;
    d.id = f->memid;
    d.vtableOffset = f->oVft;
    d.returns = Spell(info, f->elemdescFunc.tdesc);
    for (SHORT p = 0; p < f->cParams; ++p) {
      const ELEMDESC& e = f->lprgelemdescParam[p];
      d.params.push_back({nullptr, Spell(info, e.tdesc), SpellFlags(e.paramdesc)});
    }
    info->ReleaseFuncDesc(f);
    out.push_back(std::move(d));
  }
  return out;
}

class TypeLibTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTypeLibEx(ServerDllPath().c_str(), REGKIND_NONE, lib_.Put()), S_OK); }

  ComPtr<ITypeInfo> Info(const wchar_t* guid) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(lib_->GetTypeInfoOfGuid(Guid(guid), info.Put()), S_OK) << guid;
    return info;
  }

  // Checks one dual interface against its table: both halves, slot order,
  // DISPIDs, invoke kinds, parameters and results.
  void CheckDual(const wchar_t* iid, const wchar_t* name, const std::vector<Member>& table, bool hidden = true) {
    SCOPED_TRACE(name);
    ComPtr<ITypeInfo> disp = Info(iid);
    ASSERT_TRUE(disp);
    EXPECT_EQ(TypeName(disp.Get()), name);
    {
      TypeAttr a(disp.Get());
      ASSERT_TRUE(a);
      EXPECT_EQ(a->typekind, TKIND_DISPATCH);
      EXPECT_EQ(GuidText(a->guid), iid);
      EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FDUAL);
      EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
      EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
      EXPECT_EQ((a->wTypeFlags & TYPEFLAG_FHIDDEN) != 0, hidden);
    }
    HREFTYPE ref = 0;
    ASSERT_EQ(disp->GetRefTypeOfImplType(-1, &ref), S_OK);
    ComPtr<ITypeInfo> vtbl;
    ASSERT_EQ(disp->GetRefTypeInfo(ref, vtbl.Put()), S_OK);
    {
      TypeAttr a(vtbl.Get());
      ASSERT_TRUE(a);
      EXPECT_EQ(a->typekind, TKIND_INTERFACE);
      EXPECT_EQ(GuidText(a->guid), iid);
      EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FDUAL);
      EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
      EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
      EXPECT_EQ((a->wTypeFlags & TYPEFLAG_FHIDDEN) != 0, hidden);
      EXPECT_EQ(static_cast<size_t>(a->cFuncs), table.size());
      // IUnknown's three slots, IDispatch's four, then ours.
      EXPECT_EQ(static_cast<size_t>(a->cbSizeVft), (7 + table.size()) * sizeof(void*));
      EXPECT_EQ(a->cImplTypes, 1);
    }
    HREFTYPE baseRef = 0;
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(vtbl->GetRefTypeOfImplType(0, &baseRef), S_OK);
    ASSERT_EQ(vtbl->GetRefTypeInfo(baseRef, base.Put()), S_OK);
    EXPECT_EQ(TypeName(base.Get()), L"IDispatch");

    // The virtual table, slot by slot.
    std::vector<Described> slots = DescribeAll(vtbl.Get());
    std::sort(slots.begin(), slots.end(),
              [](const Described& x, const Described& y) { return x.vtableOffset < y.vtableOffset; });
    ASSERT_EQ(slots.size(), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
      const Member& m = table[i];
      const Described& d = slots[i];
      SCOPED_TRACE(testing::Message() << "slot " << i + 1 << " " << std::string(m.name, m.name + wcslen(m.name)));
      EXPECT_EQ(d.name, m.name);
      EXPECT_EQ(d.kind, m.kind);
      EXPECT_EQ(d.id, m.id);
      EXPECT_EQ(d.vtableOffset, static_cast<short>((7 + i) * sizeof(void*)));
      EXPECT_EQ(d.returns, L"HRESULT");
      std::vector<Param> want = m.params;
      if (m.result != L"void") want.push_back({nullptr, m.result + L"*", L"out retval"});
      CheckParams(d, want);
    }

    // The dispatch view: each member found by DISPID and invoke kind.
    const std::vector<Described> members = DescribeAll(disp.Get());
    for (const Member& m : table) {
      SCOPED_TRACE(testing::Message() << "dispatch " << std::string(m.name, m.name + wcslen(m.name)));
      auto it = std::find_if(members.begin(), members.end(),
                             [&m](const Described& d) { return d.id == m.id && d.kind == m.kind; });
      ASSERT_NE(it, members.end());
      EXPECT_EQ(it->name, m.name);
      EXPECT_EQ(it->returns, m.result);
      CheckParams(*it, m.params);
      DISPID byName = DISPID_UNKNOWN;
      LPOLESTR n = const_cast<LPOLESTR>(m.name);
      EXPECT_EQ(disp->GetIDsOfNames(&n, 1, &byName), S_OK);
      EXPECT_EQ(byName, m.id);
    }
  }

  static void CheckParams(const Described& d, const std::vector<Param>& want) {
    ASSERT_EQ(d.params.size(), want.size());
    for (size_t p = 0; p < want.size(); ++p) {
      SCOPED_TRACE(testing::Message() << "parameter " << p + 1);
      if (want[p].name) {
        EXPECT_EQ(d.names[p + 1], want[p].name);
      }
      EXPECT_EQ(d.params[p].type, want[p].type);
      EXPECT_EQ(d.params[p].flags, want[p].flags);
    }
  }

  ComPtr<ITypeLib> lib_;
};

constexpr wchar_t kIidRegistry[] = L"{0A2BDC59-E697-4C45-98D3-BE49C7E20209}";
constexpr wchar_t kIidRegKey[] = L"{8C188C18-45DD-45FE-A726-EF971CFBB39A}";
constexpr wchar_t kIidRegValue[] = L"{419A267A-2463-4338-AB72-F551B4EB1B89}";
constexpr wchar_t kIidSettings[] = L"{9E1A8F26-5A92-408E-8425-B047AA03F1DF}";
constexpr wchar_t kIidSettingsV0[] = L"{CCCCB5ED-5749-4676-B452-B88AA992213E}";
constexpr wchar_t kIidCollection[] = L"{A4C46780-499F-101B-BB78-00AA00383CBB}";

TEST_F(TypeLibTest, LibraryIdentity) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(GuidText(attr->guid), L"{5DF3BAEB-A157-40F5-BAF6-7BE0824A20F6}");
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 1);
  EXPECT_EQ(attr->lcid, 0u);
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  lib_->ReleaseTLibAttr(attr);
  Bstr name, help;
  ASSERT_EQ(lib_->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Text(name.Get()), L"Brindle0200");
  EXPECT_EQ(Text(help.Get()), L"Orvane - Brindle 2.00");
}

// Nothing beyond the declared types: no nameless helper types of the IDL
// compiler, no stray aliases.
TEST_F(TypeLibTest, HoldsExactlyTheDeclaredTypes) {
  const std::map<std::wstring, TYPEKIND> want = {
      {L"_orvRegistry2", TKIND_DISPATCH},
      {L"_RegKey", TKIND_DISPATCH},
      {L"_RegValue", TKIND_DISPATCH},
      {L"_orvOrvaneSettings2", TKIND_DISPATCH},
      {L"_Collection", TKIND_DISPATCH},
      {L"RegistryRoot2_Const", TKIND_ENUM},
      {L"RegistryDataType2_Const", TKIND_ENUM},
      {L"SettingDataType_Const", TKIND_ENUM},
      {L"orvOrvaneSettings2___v0", TKIND_ALIAS},
      {L"orvRegistry2", TKIND_COCLASS},
      {L"RegKey", TKIND_COCLASS},
      {L"RegValue", TKIND_COCLASS},
      {L"orvOrvaneSettings2", TKIND_COCLASS},
  };
  std::map<std::wstring, TYPEKIND> got;
  for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib_->GetTypeInfo(i, info.Put()), S_OK);
    TypeAttr a(info.Get());
    ASSERT_TRUE(a);
    got[TypeName(info.Get())] = a->typekind;
  }
  EXPECT_EQ(got, want);
}

TEST_F(TypeLibTest, Enumerations) {
  struct Enumeration {
    const wchar_t* name;
    const wchar_t* guid;
    std::vector<std::pair<std::wstring, LONG>> members;  // in declaration order
  };
  const Enumeration table[] = {
      {L"RegistryRoot2_Const",
       L"{6DB32E1F-B88D-42F1-9AE0-8F2A334BC5D7}",
       {{L"HKEY_CLASSES_ROOT", LONG(0x80000000)},
        {L"HKEY_CURRENT_USER", LONG(0x80000001)},
        {L"HKEY_LOCAL_MACHINE", LONG(0x80000002)},
        {L"HKEY_USERS", LONG(0x80000003)},
        {L"HKEY_PERFORMANCE_DATA", LONG(0x80000004)},
        {L"HKEY_CURRENT_CONFIG", LONG(0x80000005)},
        {L"HKEY_DYN_DATA", LONG(0x80000006)}}},
      {L"RegistryDataType2_Const",
       L"{60830F2E-A08F-4519-BF86-B315712BFC17}",
       {{L"REG_BINARY", 3},
        {L"REG_DWORD", 4},
        {L"REG_DWORD_LITTLE_ENDIAN", 4},
        {L"REG_DWORD_BIG_ENDIAN", 5},
        {L"REG_SZ", 1},
        {L"REG_EXPAND_SZ", 2},
        {L"REG_MULTI_SZ", 7},
        {L"REG_NONE", 0}}},
      {L"SettingDataType_Const",
       L"{9F663368-95AD-48AD-8B05-4DE1206F6913}",
       {{L"sdtString", 0}, {L"sdtLong", 1}, {L"sdtBinary", 2}, {L"sdtBoolean", 3}}},
  };
  for (const Enumeration& e : table) {
    SCOPED_TRACE(testing::Message() << std::string(e.name, e.name + wcslen(e.name)));
    ComPtr<ITypeInfo> info = Info(e.guid);
    ASSERT_TRUE(info);
    EXPECT_EQ(TypeName(info.Get()), e.name);
    TypeAttr a(info.Get());
    ASSERT_TRUE(a);
    EXPECT_EQ(a->typekind, TKIND_ENUM);
    ASSERT_EQ(static_cast<size_t>(a->cVars), e.members.size());
    for (UINT i = 0; i < a->cVars; ++i) {
      VARDESC* v = nullptr;
      ASSERT_EQ(info->GetVarDesc(i, &v), S_OK);
      Bstr name;
      info->GetDocumentation(v->memid, name.Put(), nullptr, nullptr, nullptr);
      EXPECT_EQ(Text(name.Get()), e.members[i].first);
      ASSERT_EQ(v->varkind, VAR_CONST);
      Variant n;
      ASSERT_EQ(VariantChangeType(n.Get(), v->lpvarValue, 0, VT_I4), S_OK);
      EXPECT_EQ(V_I4(n.Get()), e.members[i].second) << Text(name.Get()).c_str();
      info->ReleaseVarDesc(v);
    }
  }
}

TEST_F(TypeLibTest, Coclasses) {
  struct Coclass {
    const wchar_t* name;
    const wchar_t* clsid;
    const wchar_t* defaultInterface;
    bool creatable;
  };
  const Coclass table[] = {
      {L"orvRegistry2", L"{3DEAA128-D630-4170-8089-A405BFDA9B68}", L"_orvRegistry2", true},
      {L"RegKey", L"{AC39F012-D1F6-42B3-B676-3CFE08E1C7C3}", L"_RegKey", false},
      {L"RegValue", L"{D0FA0766-712E-42DC-BDB3-94CE31BCBEE9}", L"_RegValue", false},
      {L"orvOrvaneSettings2", L"{012513C3-7B54-4EEF-A3FD-A6F55147B50D}", L"_orvOrvaneSettings2", true},
  };
  for (const Coclass& c : table) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    ComPtr<ITypeInfo> info = Info(c.clsid);
    ASSERT_TRUE(info);
    EXPECT_EQ(TypeName(info.Get()), c.name);
    TypeAttr a(info.Get());
    ASSERT_TRUE(a);
    EXPECT_EQ(a->typekind, TKIND_COCLASS);
    EXPECT_EQ((a->wTypeFlags & TYPEFLAG_FCANCREATE) != 0, c.creatable);
    ASSERT_EQ(a->cImplTypes, 1);
    INT flags = 0;
    ASSERT_EQ(info->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> itf;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(ref, itf.Put()), S_OK);
    EXPECT_EQ(TypeName(itf.Get()), c.defaultInterface);
  }
}

TEST_F(TypeLibTest, EarlierSettingsInterfaceIsAHiddenAlias) {
  ComPtr<ITypeInfo> info = Info(kIidSettingsV0);
  ASSERT_TRUE(info);
  EXPECT_EQ(TypeName(info.Get()), L"orvOrvaneSettings2___v0");
  TypeAttr a(info.Get());
  ASSERT_TRUE(a);
  EXPECT_EQ(a->typekind, TKIND_ALIAS);
  EXPECT_TRUE(a->wTypeFlags & TYPEFLAG_FHIDDEN);
  EXPECT_EQ(Spell(info.Get(), a->tdescAlias), L"_orvOrvaneSettings2");
}

TEST_F(TypeLibTest, RegistryInterface) {
  const Param root{L"RegistryRoot", L"enum RegistryRoot2_Const", L"in"};
  const Param subKey{L"SubKey", L"BSTR", L"in"};
  const Param valueName{L"ValueName", L"BSTR", L"in opt =\"\""};
  const Param keyExisted{L"lpKeyAlreadyExist", L"VARIANT_BOOL*", L"in out opt"};
  CheckDual(kIidRegistry, L"_orvRegistry2",
            {
                {L"UseUnicodeFunctions", INVOKE_PROPERTYGET, 0x68030001, {}, L"VARIANT_BOOL"},
                {L"UseUnicodeFunctions", INVOKE_PROPERTYPUT, 0x68030001, {{nullptr, L"VARIANT_BOOL", L"in"}}, L"void"},
                {L"LastRegError", INVOKE_PROPERTYGET, 0x68030000, {}, L"long"},
                {L"ValueDataTypeToString",
                 INVOKE_FUNC,
                 0x60030003,
                 {{L"ValueType", L"enum RegistryDataType2_Const", L"in"}},
                 L"BSTR"},
                {L"SetValue",
                 INVOKE_FUNC,
                 0x60030004,
                 {root,
                  subKey,
                  valueName,
                  {L"ValueDataType", L"enum RegistryDataType2_Const", L"in opt =1"},
                  {L"ValueData", L"VARIANT", L"in opt"},
                  keyExisted},
                 L"VARIANT_BOOL"},
                {L"GetValue", INVOKE_FUNC, 0x60030006, {root, subKey, valueName}, L"_RegValue*"},
                {L"DeleteValue", INVOKE_FUNC, 0x60030009, {root, subKey, valueName}, L"VARIANT_BOOL"},
                {L"DeleteKey",
                 INVOKE_FUNC,
                 0x6003000A,
                 {root, subKey, {L"Recursive", L"VARIANT_BOOL", L"in opt =-1"}},
                 L"VARIANT_BOOL"},
                {L"CreateKey", INVOKE_FUNC, 0x6003000B, {root, subKey, keyExisted}, L"VARIANT_BOOL"},
                {L"IsKeyExist", INVOKE_FUNC, 0x6003000C, {root, subKey}, L"VARIANT_BOOL"},
                {L"GetValues",
                 INVOKE_FUNC,
                 0x6003000D,
                 {root, subKey, {L"QueryData", L"VARIANT_BOOL", L"in opt =0"}},
                 L"_Collection*"},
                {L"GetSubKeys", INVOKE_FUNC, 0x6003000E, {root, subKey}, L"_Collection*"},
                {L"GetKey", INVOKE_FUNC, 0x6003000F, {root, subKey}, L"_RegKey*"},
            });
}

TEST_F(TypeLibTest, RecordInterfaces) {
  CheckDual(kIidRegKey, L"_RegKey",
            {
                {L"KeyClass", INVOKE_PROPERTYGET, 0x68030002, {}, L"BSTR"},
                {L"LastWriteTime", INVOKE_PROPERTYGET, 0x68030001, {}, L"DATE"},
                {L"Name", INVOKE_PROPERTYGET, 0x68030000, {}, L"BSTR"},
            });
  CheckDual(kIidRegValue, L"_RegValue",
            {
                {L"Data", INVOKE_PROPERTYGET, 0x68030002, {}, L"VARIANT"},
                {L"DataType", INVOKE_PROPERTYGET, 0x68030001, {}, L"enum RegistryDataType2_Const"},
                {L"Name", INVOKE_PROPERTYGET, 0x68030000, {}, L"BSTR"},
            });
}

// The runtime's collection, declared here so that GetValues and GetSubKeys
// can name it; For Each needs _NewEnum at DISPID -4.
TEST_F(TypeLibTest, CollectionInterface) {
  const Param item{L"Item", L"VARIANT*", L"in"};
  const Param optional{nullptr, L"VARIANT*", L"in opt"};
  CheckDual(kIidCollection, L"_Collection",
            {
                {L"Item", INVOKE_FUNC, 0, {{L"Index", L"VARIANT*", L"in"}}, L"VARIANT"},
                {L"Add", INVOKE_FUNC, 1, {item, optional, optional, optional}, L"void"},
                {L"Count", INVOKE_FUNC, 2, {}, L"long"},
                {L"Remove", INVOKE_FUNC, 3, {{L"Index", L"VARIANT*", L"in"}}, L"void"},
                {L"_NewEnum", INVOKE_FUNC, DISPID_NEWENUM, {}, L"IUnknown*"},
            },
            /*hidden=*/false);
}

TEST_F(TypeLibTest, SettingsInterface) {
  auto str = [](const wchar_t* name, const wchar_t* def) {
    return Param{name, L"BSTR", L"in opt =\"" + std::wstring(def) + L"\""};
  };
  const Param appTitle = str(L"AppTitle", L"Orvane - Grumkin");
  const Param major{L"VerMajor", L"long", L"in opt =0"};
  const Param minor{L"VerMinor", L"long", L"in opt =0"};
  const Param user{L"UserSetting", L"VARIANT_BOOL", L"in opt =-1"};
  const Param success{L"lpSuccess", L"VARIANT_BOOL*", L"in out opt"};
  const Param app{L"AppObject", L"IDispatch**", L"in out opt =Nothing"};
  const Param type{L"ValueDataType", L"enum SettingDataType_Const", L"in opt =0"};
  const Param def{L"Default", L"VARIANT", L"in opt"};
  const Param value{L"Value", L"VARIANT", L"in opt"};
  auto object = [](const wchar_t* name) { return Param{name, L"IDispatch**", L"in out opt =Nothing"}; };
  auto font = [](const wchar_t* name) { return Param{name, L"stdole.IFontDisp**", L"in out opt =Nothing"}; };
  const Param minimized{L"SetMinimized", L"VARIANT_BOOL", L"in opt =0"};
  const Param widthPx{L"FixedWidth", L"long", L"in opt =0"};
  const Param heightPx{L"FixedHeight", L"long", L"in opt =0"};
  const Param widthTw{L"FixedWidth", L"float", L"in opt =0"};
  const Param heightTw{L"FixedHeight", L"float", L"in opt =0"};
  const Param noName = str(L"SubKey", L"");
  const Param placement = str(L"ValueName", L"Window placement");
  const Param form = object(L"FormObject");
  const Param list = str(L"SubKey", L"Unnamed List");
  const Param fontKey = str(L"SubKey", L"Unnamed Font");
  const Param proxyKey = str(L"SubKey", L"HTTP Proxy");
  const Param proxyHtKey = str(L"SubKey", L"Proxy HT");
  const Param proxy = object(L"ProxySettingsObject");
  const Param listView = object(L"ListViewObject");
  const INVOKEKIND F = INVOKE_FUNC;
  CheckDual(
      kIidSettings, L"_orvOrvaneSettings2",
      {
          {L"GetSettingPath", F, 0x60030002, {appTitle, major, minor, str(L"KeyPath", L"")}, L"BSTR"},
          {L"GetSettingPath2",
           F,
           0x60030004,
           {{L"AppObject", L"IDispatch**", L"in out"}, str(L"KeyPath", L"")},
           L"BSTR"},
          {L"LoadSetting",
           F,
           0x6003000B,
           {noName, str(L"ValueName", L""), type, def, appTitle, major, minor, user, success},
           L"VARIANT"},
          {L"SaveSetting",
           F,
           0x6003000D,
           {noName, str(L"ValueName", L""), type, value, appTitle, major, minor, user, success},
           L"void"},
          {L"LoadSetting2", F, 0x6003000E, {noName, str(L"ValueName", L""), type, def, app, user, success}, L"VARIANT"},
          {L"SaveSetting2",
           F,
           0x6003000F,
           {noName, str(L"ValueName", L""), type, value, app, user, success},
           L"VARIANT_BOOL"},
          {L"SaveListViewColumns", F, 0x60030010, {list, listView, appTitle, major, minor, user}, L"void"},
          {L"LoadListViewColumns", F, 0x60030011, {list, listView, appTitle, major, minor, user}, L"void"},
          {L"SaveListViewColumns2", F, 0x60030012, {list, listView, app, user}, L"void"},
          {L"LoadListViewColumns2", F, 0x60030013, {list, listView, app, user}, L"void"},
          {L"SaveProxySettings", F, 0x60030014, {proxyKey, proxy, appTitle, major, minor, user}, L"void"},
          {L"LoadProxySettings", F, 0x60030015, {proxyKey, proxy, appTitle, major, minor, user}, L"void"},
          {L"SaveProxySettings2", F, 0x60030016, {proxyKey, proxy, app, user}, L"void"},
          {L"LoadProxySettings2", F, 0x60030017, {proxyKey, proxy, app, user}, L"void"},
          {L"LoadFont", F, 0x60030018, {fontKey, font(L"Default"), appTitle, major, minor, user}, L"stdole.IFontDisp*"},
          {L"SaveFont", F, 0x60030019, {fontKey, font(L"Value"), appTitle, major, minor, user}, L"void"},
          {L"LoadFont2", F, 0x6003001A, {fontKey, font(L"Default"), app, user}, L"stdole.IFontDisp*"},
          {L"SaveFont2", F, 0x6003001B, {fontKey, font(L"Value"), app, user}, L"void"},
          {L"SaveFormPlacement",
           F,
           0x6003001C,
           {noName, placement, form, appTitle, major, minor, user, success},
           L"void"},
          {L"LoadFormPlacementPx",
           F,
           0x6003001D,
           {noName, placement, form, appTitle, major, minor, minimized, widthPx, heightPx, user, success},
           L"void"},
          {L"LoadFormPlacement",
           F,
           0x6003001E,
           {noName, placement, form, appTitle, major, minor, minimized, widthTw, heightTw, user, success},
           L"void"},
          {L"SaveFormPlacement2", F, 0x6003001F, {noName, placement, form, app, user, success}, L"void"},
          {L"LoadFormPlacementPx2",
           F,
           0x60030020,
           {noName, placement, form, app, minimized, widthPx, heightPx, user, success},
           L"void"},
          {L"LoadFormPlacement2",
           F,
           0x60030021,
           {noName, placement, form, app, minimized, widthTw, heightTw, user, success},
           L"void"},
          {L"SaveProxySettingsHT", F, 0x6003002C, {proxyHtKey, proxy, appTitle, major, minor, user}, L"void"},
          {L"LoadProxySettingsHT", F, 0x6003002D, {proxyHtKey, proxy, appTitle, major, minor, user}, L"void"},
          {L"SaveProxySettingsHT2", F, 0x6003002E, {proxyHtKey, proxy, app, user}, L"void"},
          {L"LoadProxySettingsHT2", F, 0x6003002F, {proxyHtKey, proxy, app, user}, L"void"},
      });
}

}  // namespace
}  // namespace orv::test

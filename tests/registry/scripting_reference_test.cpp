// docs/scripting.md and the type library embedded in Brindle0200.dll must not
// drift apart: every member and enumeration value the library describes has
// an entry in the reference (a "### Name" heading or a "| `Name`" table row)
// and a helpstring for object browsers.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/com_types.h"
#include "tests/common/server_loader.h"

namespace orv::test {
namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

struct Entry {
  std::wstring owner, name, help;
  bool needsHelp = true;  // widl takes no helpstring on enumeration values
};

// Every function and variable of every type, with its helpstring. Dual
// interfaces are read through their vtable view, which lists only their own
// members, not IDispatch's.
std::vector<Entry> TypeLibraryEntries(ITypeLib* lib) {
  std::vector<Entry> out;
  for (UINT t = 0; t < lib->GetTypeInfoCount(); ++t) {
    ComPtr<ITypeInfo> info;
    if (FAILED(lib->GetTypeInfo(t, info.Put()))) continue;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    if (attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL)) {
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> vtbl;
      if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, vtbl.Put()))) {
        info->ReleaseTypeAttr(attr);
        info = vtbl;
        info->GetTypeAttr(&attr);
      }
    }
    Bstr owner, ownerHelp;
    info->GetDocumentation(MEMBERID_NIL, owner.Put(), ownerHelp.Put(), nullptr, nullptr);
    if (attr->typekind == TKIND_ENUM) out.push_back({L"", Text(owner.Get()), Text(ownerHelp.Get())});
    auto add = [&](MEMBERID id) {
      Bstr name, help;
      info->GetDocumentation(id, name.Put(), help.Put(), nullptr, nullptr);
      out.push_back({Text(owner.Get()), Text(name.Get()), Text(help.Get())});
    };
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* f = nullptr;
      if (FAILED(info->GetFuncDesc(i, &f))) continue;
      add(f->memid);
      info->ReleaseFuncDesc(f);
    }
    for (UINT i = 0; i < attr->cVars; ++i) {
      VARDESC* v = nullptr;
      if (FAILED(info->GetVarDesc(i, &v))) continue;
      Bstr name;
      info->GetDocumentation(v->memid, name.Put(), nullptr, nullptr, nullptr);
      out.push_back({Text(owner.Get()), Text(name.Get()), L"", false});
      info->ReleaseVarDesc(v);
    }
    info->ReleaseTypeAttr(attr);
  }
  return out;
}

bool HasEntry(const std::string& reference, const std::string& name) {
  return reference.find("\n### " + name + "\n") != std::string::npos ||
         reference.find("\n| `" + name + "`") != std::string::npos;
}

TEST(ScriptingReference, EveryMemberHasAnEntryAndAHelpstring) {
  std::ifstream file(ORV_SCRIPTING_REFERENCE);
  ASSERT_TRUE(file) << "cannot read " << ORV_SCRIPTING_REFERENCE;
  std::stringstream text;
  text << file.rdbuf();
  const std::string reference = text.str();

  ComPtr<ITypeLib> lib;
  ASSERT_EQ(LoadTypeLibEx(ServerDllPath().c_str(), REGKIND_NONE, lib.Put()), S_OK);
  const std::vector<Entry> entries = TypeLibraryEntries(lib.Get());
  // The two classes' interfaces, both records, the collection and three enumerations.
  ASSERT_GE(entries.size(), 60u);
  for (const Entry& e : entries) {
    const std::string where = Narrow(e.owner.empty() ? e.name : e.owner + L"." + e.name);
    if (!e.owner.empty()) {
      EXPECT_TRUE(HasEntry(reference, Narrow(e.name))) << where << " has no entry";
    }
    if (e.needsHelp) {
      EXPECT_FALSE(e.help.empty()) << where << " has no helpstring";
    }
  }
}

}  // namespace
}  // namespace orv::test

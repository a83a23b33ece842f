// What a server DLL hands out and registers: its creatable classes, the
// interfaces marshalled through its type library, and the library itself.
#pragma once
#include <windows.h>

#include <span>

namespace orv {

// Makes a new object of a creatable class and asks it for `iid`.
using CreateInstanceFn = HRESULT (*)(REFIID iid, void** out);

struct CreatableClass {
  const CLSID* clsid;
  const wchar_t* className;
  const wchar_t* progId;
  CreateInstanceFn create;
};

struct MarshalledInterface {
  const IID* iid;
  const wchar_t* name;
};

struct ServerTable {
  const GUID* libid;
  const wchar_t* typeLibVersion;
  const wchar_t* typeLibHelp;
  std::span<const CreatableClass> classes;
  std::span<const MarshalledInterface> interfaces;

  // nullptr for a class the server does not hand out.
  const CreatableClass* Find(REFCLSID clsid) const {
    for (const CreatableClass& c : classes) {
      if (IsEqualCLSID(*c.clsid, clsid)) return &c;
    }
    return nullptr;
  }
};

}  // namespace orv

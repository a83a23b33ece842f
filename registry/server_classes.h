// The classes the server hands out, and what registration writes for them.
#pragma once
#include <windows.h>

namespace orv {

// Makes a new object of a creatable class and asks it for `iid`.
using CreateInstanceFn = HRESULT (*)(REFIID iid, void** out);

HRESULT CreateOrvRegistry2Instance(REFIID iid, void** out);
HRESULT CreateOrvOrvaneSettings2Instance(REFIID iid, void** out);  // settings/

struct CreatableClass {
  const CLSID* clsid;
  const wchar_t* className;
  const wchar_t* progId;
  CreateInstanceFn create;
};

// orvRegistry2 and orvOrvaneSettings2; RegKey and RegValue are never handed
// out by a factory.
const CreatableClass* FindCreatableClass(REFCLSID clsid);
const CreatableClass* CreatableClassesBegin();
const CreatableClass* CreatableClassesEnd();

// The earlier interface identifier that orvOrvaneSettings2 also answers.
extern const IID kIidOrvOrvaneSettings2V0;

}  // namespace orv

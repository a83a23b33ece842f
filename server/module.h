// Per-process state of the library: its module handle, the count of live
// objects and factory locks, and its embedded type library.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string_view>

#include "server/member_table.h"
#include "support/com_types.h"

namespace orv {

// What the dispatch layer keeps of one interface.
struct InterfaceInfo {
  ComPtr<ITypeInfo> typeInfo;
  MemberTable members;
};

}  // namespace orv

namespace orv::module {

HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

void ObjectCreated();
void ObjectDestroyed();
// The count a COM object base of the DLL reports to (see ComObject).
struct Counted {
  static void Created() { ObjectCreated(); }
  static void Destroyed() { ObjectDestroyed(); }
};
void Lock();
void Unlock();
bool InUse();

// DllCanUnloadNow: S_OK when no object is alive and no factory locked, after
// releasing the type library and every interface's cached information (the
// next object loads them again); S_FALSE otherwise. Not done at process
// detach, where oleaut32 must not be called under the loader lock.
HRESULT CanUnloadNow();

// Type information of an interface from the library's own TYPELIB resource,
// a new reference. The library is loaded once; a failed load is reported as
// its own error and tried again on the next call.
HRESULT LoadTypeInfo(REFIID iid, ITypeInfo** out);

// The type information and member table of an interface, loaded once into
// `*slot` (one per interface) and kept until CanUnloadNow releases them.
// `unsignedEnums` names its enumerations whose values run past 2^31.
HRESULT CachedInterface(REFIID iid, std::span<const std::wstring_view> unsignedEnums, InterfaceInfo** slot,
                        const InterfaceInfo** out);

}  // namespace orv::module

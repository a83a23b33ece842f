// Per-process state of the library: its module handle, the count of live
// objects and factory locks, and its embedded type library.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace orv::module {

HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

void ObjectCreated();
void ObjectDestroyed();
void Lock();
void Unlock();
bool InUse();

// Type information of an interface from the library's own TYPELIB resource,
// a new reference. The library is loaded once; a failed load is reported as
// its own error and tried again on the next call.
HRESULT LoadTypeInfo(REFIID iid, ITypeInfo** out);

}  // namespace orv::module

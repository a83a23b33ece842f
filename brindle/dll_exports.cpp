// The four exports of the in-process server and its entry point.
#include <windows.h>
#include <ole2.h>

#include "server/class_factory.h"
#include "server/module.h"
#include "server/registration.h"
#include "brindle/server_classes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    orv::module::SetInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const orv::CreatableClass* cls = orv::BrindleServer().Find(clsid);
  if (!cls) return CLASS_E_CLASSNOTAVAILABLE;
  return orv::CreateClassFactory(cls->create, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return orv::module::CanUnloadNow(); }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return orv::RegisterServer(orv::BrindleServer()); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return orv::UnregisterServer(orv::BrindleServer()); }

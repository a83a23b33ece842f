#include "server/module.h"

#include <oleauto.h>

#include <string>

#include "support/com_types.h"

namespace orv::module {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

HRESULT LoadOwnTypeLib(ITypeLib** out) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return HRESULT_FROM_WIN32(GetLastError());
    if (n < path.size()) { path.resize(n); break; }
    path.resize(path.size() * 2);
  }
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, out);
}

}  // namespace

HINSTANCE Instance() { return g_instance; }
void SetInstance(HINSTANCE instance) { g_instance = instance; }

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void Lock() { InterlockedIncrement(&g_locks); }
void Unlock() { InterlockedDecrement(&g_locks); }
bool InUse() { return InterlockedCompareExchange(&g_objects, 0, 0) != 0 || InterlockedCompareExchange(&g_locks, 0, 0) != 0; }

HRESULT GetTypeInfo(REFIID iid, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // Loaded once per process; type library objects may be used from any thread.
  static ITypeLib* const typeLib = [] {
    ITypeLib* lib = nullptr;
    return SUCCEEDED(LoadOwnTypeLib(&lib)) ? lib : nullptr;
  }();
  if (!typeLib) return TYPE_E_CANTLOADLIBRARY;
  return typeLib->GetTypeInfoOfGuid(iid, out);
}

}  // namespace orv::module

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
    if (n < path.size()) {
      path.resize(n);
      break;
    }
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
bool InUse() {
  return InterlockedCompareExchange(&g_objects, 0, 0) != 0 || InterlockedCompareExchange(&g_locks, 0, 0) != 0;
}

HRESULT LoadTypeInfo(REFIID iid, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // The library is kept once loaded; a failed load is tried again next time,
  // and its own error is what the caller sees.
  static ITypeLib* typeLib = nullptr;
  auto* lib =
      static_cast<ITypeLib*>(InterlockedCompareExchangePointer(reinterpret_cast<void**>(&typeLib), nullptr, nullptr));
  if (!lib) {
    if (HRESULT hr = LoadOwnTypeLib(&lib); FAILED(hr)) return hr;
    if (void* won = InterlockedCompareExchangePointer(reinterpret_cast<void**>(&typeLib), lib, nullptr)) {
      lib->Release();
      lib = static_cast<ITypeLib*>(won);
    }
  }
  return lib->GetTypeInfoOfGuid(iid, out);
}

}  // namespace orv::module

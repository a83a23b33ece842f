#include "server/module.h"

#include <oleauto.h>

#include <algorithm>
#include <new>
#include <string>

#include "support/com_types.h"

namespace orv::module {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;
ITypeLib* g_typeLib = nullptr;
// The interfaces' slots that CanUnloadNow empties; the library has a handful.
constexpr LONG kMaxSlots = 32;
InterfaceInfo** g_slots[kMaxSlots] = {};
LONG g_slotCount = 0;

template <class T>
T* Published(T** slot) {
  return static_cast<T*>(InterlockedCompareExchangePointer(reinterpret_cast<void**>(slot), nullptr, nullptr));
}

// Publishes `made` in an empty slot; the winner of a race is kept, the
// other released. Returns what the slot holds.
template <class T, class Free>
T* Publish(T** slot, T* made, Free free) {
  if (void* won = InterlockedCompareExchangePointer(reinterpret_cast<void**>(slot), made, nullptr)) {
    free(made);
    return static_cast<T*>(won);
  }
  return made;
}

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
  // A failed load is tried again next time, and its own error is what the caller sees.
  ITypeLib* lib = Published(&g_typeLib);
  if (!lib) {
    if (HRESULT hr = LoadOwnTypeLib(&lib); FAILED(hr)) return hr;
    lib = Publish(&g_typeLib, lib, [](ITypeLib* l) { l->Release(); });
  }
  return lib->GetTypeInfoOfGuid(iid, out);
}

HRESULT CachedInterface(REFIID iid, std::span<const std::wstring_view> unsignedEnums, InterfaceInfo** slot,
                        const InterfaceInfo** out) {
  if (InterfaceInfo* cached = Published(slot)) {
    *out = cached;
    return S_OK;
  }
  ComPtr<ITypeInfo> info;
  if (HRESULT hr = LoadTypeInfo(iid, info.Put()); FAILED(hr)) return hr;
  auto* made = new (std::nothrow) InterfaceInfo{info, MemberTable(info.Get(), unsignedEnums)};
  if (!made) return E_OUTOFMEMORY;
  InterfaceInfo* kept = Publish(slot, made, [](InterfaceInfo* i) { delete i; });
  if (kept == made) {
    bool known = false;
    for (LONG i = 0; i < InterlockedCompareExchange(&g_slotCount, 0, 0); ++i) known = known || g_slots[i] == slot;
    if (!known) {
      const LONG at = InterlockedIncrement(&g_slotCount) - 1;
      if (at < kMaxSlots) g_slots[at] = slot;
    }
  }
  *out = kept;
  return S_OK;
}

HRESULT CanUnloadNow() {
  if (InUse()) return S_FALSE;
  const LONG count = std::min(InterlockedCompareExchange(&g_slotCount, 0, 0), kMaxSlots);
  for (LONG i = 0; i < count; ++i) {
    delete static_cast<InterfaceInfo*>(InterlockedExchangePointer(reinterpret_cast<void**>(g_slots[i]), nullptr));
  }
  if (auto* lib = static_cast<ITypeLib*>(InterlockedExchangePointer(reinterpret_cast<void**>(&g_typeLib), nullptr))) {
    lib->Release();
  }
  return S_OK;
}

}  // namespace orv::module

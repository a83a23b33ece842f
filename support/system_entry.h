// Entry points of Windows DLLs that most runs never call, loaded on first
// use: imported, each would be loaded (and initialised) by every process
// that loads the caller, before it can do anything else.
#pragma once
#include <windows.h>

namespace orv {

// The entry point `name` of the system DLL `dll`, or null. Callers keep the
// answer in a function-local static: the DLL then stays loaded for the process.
template <class Fn>
Fn SystemEntry(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace orv

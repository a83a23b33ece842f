// Entry points of Windows DLLs that most runs never call, loaded on first
// use: imported, each would be loaded (and initialised) by every process
// that loads the caller, before it can do anything else.
#pragma once
#include <windows.h>

#include <string>

namespace orv {

// The entry point `name` of the system DLL `dll`, or null. Callers keep the
// answer in a function-local static: the DLL then stays loaded for the process.
template <class Fn>
Fn SystemEntry(const wchar_t* dll, const char* name) {
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    // Windows 7 without its loader update knows no search flags: the full path then.
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    module = LoadLibraryW((std::wstring(folder, n) + L"\\" + dll).c_str());
  }
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace orv

#include "system.h"

#include <windows.h>

namespace orv {
namespace {

// GetVersionEx lies to programs without a compatibility manifest; the kernel's
// own query does not.
bool NtVersionAtLeast(ULONG major) {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto fn = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                  : nullptr;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!fn || fn(&info) != 0) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= major;
}

}  // namespace

Status esIsUnicodeAvailable(VbBool* out) {
  if (!out) return kPointer;
  *out = NtVersionAtLeast(4) ? kVbTrue : kVbFalse;
  return kOk;
}

Status esIsInIDE(VbBool* out) {
  if (!out) return kPointer;
  *out = kVbFalse;
  return kOk;
}

Status esIsHostWin2000_OrHigher(VbBool* out) {
  if (!out) return kPointer;
  *out = NtVersionAtLeast(5) ? kVbTrue : kVbFalse;
  return kOk;
}

}  // namespace orv

// modProtectData: protects byte strings with the Windows data-protection
// service and restores them. Failures are returned, never raised.
//
// Every routine answers true on success. *lastError is then 0; after a
// failure it is 0 for a refused empty input (DataIn, or Entropy when one is
// asked for), the Windows error code of the failed service call, or
// ERROR_OLD_WIN_VERSION (1150) on a system without the service. After a
// failure *dataOut is empty; *description of UnprotectBytesEx is unchanged.
// No output pointer may be NULL. Memory the service hands out is freed before
// a routine returns.
#pragma once
#include <windows.h>
#include <dpapi.h>

#include <span>
#include <string>

#include "protect/secret_bytes.h"

namespace orv {

using ByteSpan = std::span<const BYTE>;

// `windowHandleText` is the owner window of the prompt as decimal text; it is
// read only when `usePrompt` is true.
bool ProtectBytesEx(ByteSpan dataIn, SecretBytes* dataOut, ByteSpan entropy, bool noEntropy,
                    const std::wstring& description, bool localMachine, bool usePrompt, const std::wstring& promptText,
                    const std::wstring& windowHandleText, DWORD* lastError);

bool UnprotectBytesEx(ByteSpan dataIn, SecretBytes* dataOut, ByteSpan entropy, bool noEntropy,
                      std::wstring* description, bool localMachine, bool usePrompt, const std::wstring& promptText,
                      const std::wstring& windowHandleText, DWORD* lastError);

// The same without entropy.
bool ProtectBytes(ByteSpan dataIn, SecretBytes* dataOut, const std::wstring& description, bool localMachine,
                  bool usePrompt, const std::wstring& promptText, const std::wstring& windowHandleText,
                  DWORD* lastError);

bool UnprotectBytes(ByteSpan dataIn, SecretBytes* dataOut, std::wstring* description, bool localMachine, bool usePrompt,
                    const std::wstring& promptText, const std::wstring& windowHandleText, DWORD* lastError);

// The one way the routines reach the system; tests put their own in place.
struct ProtectionService {
  bool (*isAvailable)();
  decltype(&CryptProtectData) protect;
  decltype(&CryptUnprotectData) unprotect;
};

// crypt32's entry points, available from Windows 2000 on.
ProtectionService SystemProtectionService();

// Puts `service` in place for the calling thread's later calls and answers
// the one it replaces.
ProtectionService SetProtectionService(const ProtectionService& service);

}  // namespace orv

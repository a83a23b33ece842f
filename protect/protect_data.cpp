#include "protect_data.h"

#include <cwchar>
#include <limits>
#include <optional>

#include "support/com_types.h"
#include "support/system.h"
#include "support/system_entry.h"
#include "support/text_routines.h"

namespace orv {
namespace {

bool HostHasService() {
  VbBool yes = kVbFalse;
  return !Failed(esIsHostWin2000_OrHigher(&yes)) && yes != kVbFalse;
}

thread_local ProtectionService t_service = SystemProtectionService();

// Restored plain text does not linger in the freed heap block.
void WipeAndFreeLocal(HLOCAL memory) {
  if (void* p = LocalLock(memory)) {
    SecureZeroMemory(p, LocalSize(memory));
    LocalUnlock(memory);
  }
  LocalFree(memory);
}
using PlainLocalMemory = UniqueHandle<HLOCAL, &WipeAndFreeLocal>;

// Decimal text with optional blanks and sign; nothing else converts.
std::optional<LONG> DecimalToLong(const std::wstring& text) {
  std::size_t i = 0, end = text.size();
  while (i < end && text[i] == L' ') ++i;
  while (end > i && text[end - 1] == L' ') --end;
  const bool negative = i < end && text[i] == L'-';
  if (i < end && (text[i] == L'-' || text[i] == L'+')) ++i;
  if (i == end) return std::nullopt;
  long long value = 0;
  for (; i < end; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    value = value * 10 + (text[i] - L'0');
    if (value > 1LL << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<LONG>::max()) return std::nullopt;
  return static_cast<LONG>(value);
}

// The records one service call reads; they point into the caller's data.
struct CallRecords {
  DATA_BLOB in{};
  DATA_BLOB entropy{};
  DATA_BLOB* entropyOrNone = nullptr;
  CRYPTPROTECT_PROMPTSTRUCT prompt{};
  CRYPTPROTECT_PROMPTSTRUCT* promptOrNone = nullptr;
  DWORD flags = 0;
};

// The byte count of a blob is 32 bits wide.
bool FitsBlob(ByteSpan bytes) { return bytes.size() <= std::numeric_limits<DWORD>::max(); }

DATA_BLOB BlobOf(ByteSpan bytes) { return {static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data())}; }

// Fills `r`, or answers the LastError of a refusal: 0 for an empty input.
std::optional<DWORD> Prepare(ByteSpan dataIn, ByteSpan entropy, bool noEntropy, bool localMachine, bool usePrompt,
                             DWORD promptFlags, const std::wstring& promptText, const std::wstring& windowHandleText,
                             CallRecords* r) {
  if (dataIn.empty()) return 0;
  if (!noEntropy && entropy.empty()) return 0;
  if (!FitsBlob(dataIn) || (!noEntropy && !FitsBlob(entropy))) return ERROR_ARITHMETIC_OVERFLOW;
  if (!noEntropy) {
    r->entropy = BlobOf(entropy);
    r->entropyOrNone = &r->entropy;
  }
  r->in = BlobOf(dataIn);
  r->flags = localMachine ? CRYPTPROTECT_LOCAL_MACHINE : 0;
  if (usePrompt) {
    // The record's own size: 16 bytes in 32-bit processes, 24 in 64-bit ones.
    r->prompt.cbSize = sizeof(CRYPTPROTECT_PROMPTSTRUCT);
    r->prompt.dwPromptFlags = promptFlags;
    // Window handles are 32-bit values, sign-extended in 64-bit processes.
    // A text that does not convert leaves no owner.
    r->prompt.hwndApp = reinterpret_cast<HWND>(static_cast<INT_PTR>(DecimalToLong(windowHandleText).value_or(0)));
    r->prompt.szPrompt = promptText.c_str();
    r->promptOrNone = &r->prompt;
  }
  return std::nullopt;
}

// Copies what the service returned; the caller's owner frees the block.
void CopyOutput(const DATA_BLOB& out, SecretBytes* dataOut) {
  if (out.cbData == 0 || !out.pbData) return;
  if (void* p = LocalLock(static_cast<HLOCAL>(out.pbData))) {
    const auto* bytes = static_cast<const BYTE*>(p);
    dataOut->assign(bytes, bytes + out.cbData);
    LocalUnlock(static_cast<HLOCAL>(out.pbData));
  }
}

// The description the service stored, read no further than its block.
std::wstring ReadDescription(HLOCAL memory) {
  std::wstring text;
  const SIZE_T size = memory ? LocalSize(memory) : 0;
  if (size == 0) return text;
  if (const auto* p = static_cast<const wchar_t*>(LocalLock(memory))) {
    const std::size_t limit = size / sizeof(wchar_t);
    if (wmemchr(p, L'\0', limit)) {
      asGetStringFromPointerW(p, &text);
    } else {
      text.assign(p, limit);
    }
    LocalUnlock(memory);
  }
  return text;
}

// crypt32 is loaded by the first protected value, not with the library:
// most programs that load the library never store a password.
BOOL WINAPI ProtectThroughCrypt32(DATA_BLOB* in, LPCWSTR description, DATA_BLOB* entropy, PVOID reserved,
                                  CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
  static const auto protect = SystemEntry<decltype(&CryptProtectData)>(L"crypt32.dll", "CryptProtectData");
  if (!protect) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return protect(in, description, entropy, reserved, prompt, flags, out);
}

BOOL WINAPI UnprotectThroughCrypt32(DATA_BLOB* in, LPWSTR* description, DATA_BLOB* entropy, PVOID reserved,
                                    CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
  static const auto unprotect = SystemEntry<decltype(&CryptUnprotectData)>(L"crypt32.dll", "CryptUnprotectData");
  if (!unprotect) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return unprotect(in, description, entropy, reserved, prompt, flags, out);
}

}  // namespace

ProtectionService SystemProtectionService() {
  return {&HostHasService, &ProtectThroughCrypt32, &UnprotectThroughCrypt32};
}

ProtectionService SetProtectionService(const ProtectionService& service) {
  const ProtectionService previous = t_service;
  t_service = service;
  return previous;
}

bool ProtectBytesEx(ByteSpan dataIn, SecretBytes* dataOut, ByteSpan entropy, bool noEntropy,
                    const std::wstring& description, bool localMachine, bool usePrompt, const std::wstring& promptText,
                    const std::wstring& windowHandleText, DWORD* lastError) {
  dataOut->clear();
  if (!t_service.isAvailable()) {
    *lastError = ERROR_OLD_WIN_VERSION;
    return false;
  }
  CallRecords r;
  if (auto refusal = Prepare(dataIn, entropy, noEntropy, localMachine, usePrompt, CRYPTPROTECT_PROMPT_ON_PROTECT,
                             promptText, windowHandleText, &r)) {
    *lastError = *refusal;
    return false;
  }
  DATA_BLOB out{};
  const BOOL ok =
      t_service.protect(&r.in, description.c_str(), r.entropyOrNone, nullptr, r.promptOrNone, r.flags, &out);
  const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  const LocalMemory outMemory(static_cast<HLOCAL>(out.pbData));
  if (!ok) {
    *lastError = error;
    return false;
  }
  CopyOutput(out, dataOut);
  *lastError = 0;
  return true;
}

bool UnprotectBytesEx(ByteSpan dataIn, SecretBytes* dataOut, ByteSpan entropy, bool noEntropy,
                      std::wstring* description, bool localMachine, bool usePrompt, const std::wstring& promptText,
                      const std::wstring& windowHandleText, DWORD* lastError) {
  dataOut->clear();
  if (!t_service.isAvailable()) {
    *lastError = ERROR_OLD_WIN_VERSION;
    return false;
  }
  CallRecords r;
  if (auto refusal = Prepare(dataIn, entropy, noEntropy, localMachine, usePrompt, CRYPTPROTECT_PROMPT_ON_UNPROTECT,
                             promptText, windowHandleText, &r)) {
    *lastError = *refusal;
    return false;
  }
  DATA_BLOB out{};
  LPWSTR stored = nullptr;
  const BOOL ok = t_service.unprotect(&r.in, &stored, r.entropyOrNone, nullptr, r.promptOrNone, r.flags, &out);
  const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  const PlainLocalMemory outMemory(static_cast<HLOCAL>(out.pbData));
  const LocalMemory descriptionMemory(static_cast<HLOCAL>(stored));
  if (!ok) {
    *lastError = error;
    return false;
  }
  CopyOutput(out, dataOut);
  *description = ReadDescription(descriptionMemory.Get());
  *lastError = 0;
  return true;
}

bool ProtectBytes(ByteSpan dataIn, SecretBytes* dataOut, const std::wstring& description, bool localMachine,
                  bool usePrompt, const std::wstring& promptText, const std::wstring& windowHandleText,
                  DWORD* lastError) {
  return ProtectBytesEx(dataIn, dataOut, {}, true, description, localMachine, usePrompt, promptText, windowHandleText,
                        lastError);
}

bool UnprotectBytes(ByteSpan dataIn, SecretBytes* dataOut, std::wstring* description, bool localMachine, bool usePrompt,
                    const std::wstring& promptText, const std::wstring& windowHandleText, DWORD* lastError) {
  return UnprotectBytesEx(dataIn, dataOut, {}, true, description, localMachine, usePrompt, promptText, windowHandleText,
                          lastError);
}

}  // namespace orv

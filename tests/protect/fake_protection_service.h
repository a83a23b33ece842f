// A stand-in for the data-protection service that records what the routines
// pass and answers as a test tells it to.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "protect/protect_data.h"

namespace orv::test {

struct ServiceCall {
  std::vector<BYTE> in;
  std::optional<std::vector<BYTE>> entropy;
  std::optional<std::wstring> description;  // protect only
  std::optional<CRYPTPROTECT_PROMPTSTRUCT> prompt;
  std::wstring promptText;
  DWORD flags = 0xFFFFFFFF;
};

struct ServiceAnswer {
  bool ok = true;
  DWORD error = 0;
  std::vector<BYTE> out;
  bool outNull = false;                                   // a null pointer even when `out` has bytes
  std::optional<std::vector<wchar_t>> storedDescription;  // unprotect only; raw block, NUL not added
};

inline ServiceAnswer FailWith(DWORD error) {
  ServiceAnswer answer;
  answer.ok = false;
  answer.error = error;
  return answer;
}

inline std::vector<ServiceCall> g_protectCalls, g_unprotectCalls;
inline ServiceAnswer g_answer;
inline bool g_available = true;

inline void* LocalCopy(const void* data, std::size_t size) {
  void* p = LocalAlloc(LMEM_FIXED, size);
  if (p) std::memcpy(p, data, size);
  return p;
}

inline ServiceCall Record(DATA_BLOB* in, DATA_BLOB* entropy, CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags) {
  ServiceCall call;
  call.in.assign(in->pbData, in->pbData + in->cbData);
  if (entropy) call.entropy.emplace(entropy->pbData, entropy->pbData + entropy->cbData);
  if (prompt) {
    call.prompt = *prompt;
    if (prompt->szPrompt) call.promptText = prompt->szPrompt;
  }
  call.flags = flags;
  return call;
}

inline BOOL Answer(DATA_BLOB* out) {
  if (!g_answer.ok) {
    SetLastError(g_answer.error);
    return FALSE;
  }
  out->cbData = static_cast<DWORD>(g_answer.out.size());
  out->pbData = g_answer.outNull ? nullptr : static_cast<BYTE*>(LocalCopy(g_answer.out.data(), g_answer.out.size()));
  return TRUE;
}

inline BOOL WINAPI FakeProtect(DATA_BLOB* in, LPCWSTR description, DATA_BLOB* entropy, PVOID,
                               CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
  g_protectCalls.push_back(Record(in, entropy, prompt, flags));
  if (description) g_protectCalls.back().description = description;
  return Answer(out);
}

inline BOOL WINAPI FakeUnprotect(DATA_BLOB* in, LPWSTR* description, DATA_BLOB* entropy, PVOID,
                                 CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
  g_unprotectCalls.push_back(Record(in, entropy, prompt, flags));
  if (description && g_answer.ok && g_answer.storedDescription) {
    const auto& d = *g_answer.storedDescription;
    *description = static_cast<LPWSTR>(LocalCopy(d.data(), d.size() * sizeof(wchar_t)));
  }
  return Answer(out);
}

inline bool FakeAvailable() { return g_available; }

// Puts the fake in place for one test and the real service back after it.
class FakeServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_protectCalls.clear();
    g_unprotectCalls.clear();
    g_answer = {};
    g_available = true;
    previous_ = SetProtectionService({&FakeAvailable, &FakeProtect, &FakeUnprotect});
  }
  void TearDown() override { SetProtectionService(previous_); }

 private:
  ProtectionService previous_{};
};

}  // namespace orv::test

// Plain password text is wiped before its memory is freed, on failing paths
// too. This program's operator delete searches every block freed while a
// watch is on for the watched text, in its wide and in its ANSI form.
#include <malloc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "protect/password_cryptor.h"
#include "tests/protect/fake_protection_service.h"

namespace {

struct Watch {
  std::string_view wide, ansi;  // byte patterns
  int seen = 0;                 // freed blocks that still held one
};
Watch* g_watch = nullptr;

void Inspect(const void* block, std::size_t size) {
  if (!g_watch || !block) return;
  const std::string_view bytes(static_cast<const char*>(block), size);
  if (bytes.find(g_watch->wide) != bytes.npos || bytes.find(g_watch->ansi) != bytes.npos) ++g_watch->seen;
}

}  // namespace

// The library's operator new takes its blocks from malloc.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
  if (p) Inspect(p, _msize(p));
  std::free(p);
}
void operator delete(void* p, std::size_t size) noexcept {
  Inspect(p, size);
  std::free(p);
}

namespace orv {
namespace {

// Long enough that no string keeps it inside its own object.
const std::wstring kPlain = L"Wipe-Me-Plain-Text-42";
const std::string kPlainAnsi(kPlain.begin(), kPlain.end());

// How many blocks freed during `step` still held the plain text.
template <class Step>
int FreedWithPlainText(Step&& step) {
  const std::wstring_view wide = kPlain;
  Watch watch{{reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)}, kPlainAnsi};
  g_watch = &watch;
  step();
  g_watch = nullptr;
  return watch.seen;
}

// The scrambled form of ANSI bytes in password order (filler 00).
std::wstring Scrambled(const std::string& ansi) {
  std::wstring text;
  for (auto c = ansi.rbegin(); c != ansi.rend(); ++c) {
    wchar_t group[5];
    swprintf(group, 5, L"%02X00", 255 - static_cast<unsigned char>(*c));
    text += group;
  }
  return text;
}

// A byte the ANSI code page does not take alone (a lead byte of a
// double-byte code page), or 0 when it has none.
char LoneByteThatFails() {
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char c = static_cast<char>(b);
    wchar_t w;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &c, 1, &w, 1) != 1) return c;
  }
  return 0;
}

using PasswordCryptorWipes = test::FakeServiceTest;

TEST_F(PasswordCryptorWipes, FreedPlainTextIsZeroedOnEveryPath) {
  const char lone = LoneByteThatFails();
  const std::wstring cutShort = Scrambled(kPlainAnsi + lone);  // fails at its last character
  const std::wstring whole = Scrambled(kPlainAnsi);
  test::ServiceAnswer restores;  // the service gives back the plain text
  restores.out.assign(kPlainAnsi.begin(), kPlainAnsi.end());
  struct Case {
    const char* name;
    bool needsLoneByte;
    test::ServiceAnswer service;
    std::function<void()> step;
  };
  const Case cases[] = {
      {"unscrambling that fails part-way", true, {}, [&] { EXPECT_EQ(UnscramblePassword(cutShort), L""); }},
      {"decoding that fails part-way", true, {}, [&] { EXPECT_EQ(DecodePassword(cutShort), L""); }},
      {"a decoded password dropped", false, {}, [&] { EXPECT_EQ(DecodePassword(whole), kPlain); }},
      {"an unprotected password dropped", false, restores, [&] { EXPECT_EQ(DecodePassword(L"Z0AFF"), kPlain); }},
      {"a failed protection scrambled instead", false, test::FailWith(ERROR_ACCESS_DENIED),
       [&] {
         std::wstring stored;
         EXPECT_EQ(EncodePassword(kPlain, 2, &stored), kOk);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsLoneByte && !lone) {
      std::printf("skipped '%s': code page %u takes every byte alone\n", c.name, GetACP());
      continue;
    }
    test::g_answer = c.service;
    EXPECT_EQ(FreedWithPlainText(c.step), 0);
  }
  // The watch sees plain text that is freed as it is.
  EXPECT_EQ(FreedWithPlainText([] {
              std::wstring copy = kPlain;
              asm volatile("" : : "g"(copy.data()) : "memory");  // kept, not optimised away
            }),
            1);
}

}  // namespace
}  // namespace orv

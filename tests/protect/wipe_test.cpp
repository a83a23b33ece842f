// Plain password text is wiped before its memory is freed, on failing paths
// too. This program's operator delete searches the blocks freed during a
// watch for the text, in its wide and its ANSI form.
#include <malloc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "protect/password_cryptor.h"
#include "tests/protect/fake_protection_service.h"

namespace {

const std::wstring kPlain = L"Wipe-Me-Plain-Text-42";  // too long to live inside a string object
const std::string kPlainAnsi(kPlain.begin(), kPlain.end());
int g_seen = -1;  // freed blocks that still held the text; -1 when not watching

void Inspect(const void* block, std::size_t size) {
  if (g_seen < 0 || !block) return;
  const std::string_view bytes(static_cast<const char*>(block), size);
  const std::string_view wide(reinterpret_cast<const char*>(kPlain.data()), kPlain.size() * sizeof(wchar_t));
  if (bytes.find(wide) != bytes.npos || bytes.find(kPlainAnsi) != bytes.npos) ++g_seen;
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

int FreedWithPlainText(const std::function<void()>& step) {
  g_seen = 0;
  step();
  return std::exchange(g_seen, -1);
}

// The scrambled form of ANSI bytes (filler 00).
std::wstring Scrambled(const std::string& ansi) {
  std::wstring text;
  for (auto c = ansi.rbegin(); c != ansi.rend(); ++c) {
    wchar_t group[5];
    swprintf(group, 5, L"%02X00", 255 - static_cast<unsigned char>(*c));
    text += group;
  }
  return text;
}

// A byte the code page does not take alone (a lead byte), or 0.
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
  const std::wstring cutShort = Scrambled(kPlainAnsi + lone), whole = Scrambled(kPlainAnsi);
  test::ServiceAnswer restores;
  restores.out.assign(kPlainAnsi.begin(), kPlainAnsi.end());
  const struct {
    const char* name;
    bool failsPartWay;  // needs a code page with lead bytes
    test::ServiceAnswer service;
    std::function<void()> step;
  } cases[] = {
      {"unscrambling fails part-way", true, {}, [&] { EXPECT_EQ(UnscramblePassword(cutShort), L""); }},
      {"decoding fails part-way", true, {}, [&] { EXPECT_EQ(DecodePassword(cutShort), L""); }},
      {"a decoded password dropped", false, {}, [&] { EXPECT_EQ(DecodePassword(whole), kPlain); }},
      {"an unprotected password dropped", false, restores, [&] { EXPECT_EQ(DecodePassword(L"Z0AFF"), kPlain); }},
  };
  for (const auto& c : cases) {
    if (c.failsPartWay && !lone) {
      std::printf("skipped '%s': code page %u takes every byte alone\n", c.name, GetACP());
      continue;
    }
    test::g_answer = c.service;
    EXPECT_EQ(FreedWithPlainText(c.step), 0) << c.name;
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

#include "protect/protect_data.h"

#include <gtest/gtest.h>

#include "tests/protect/fake_protection_service.h"

namespace orv {
namespace {

using test::FakeServiceTest;
using test::g_answer;
using test::g_protectCalls;
using test::g_unprotectCalls;

const std::vector<BYTE> kSecret = {'s', 'e', 'c', 'r', 'e', 't', 0x00, 0xE9};

SecretBytes Protected(const std::wstring& description) {
  SecretBytes blob;
  DWORD error = 0xDEAD;
  EXPECT_TRUE(ProtectBytes(kSecret, &blob, description, false, false, L"", L"0", &error));
  EXPECT_EQ(error, 0u);
  return blob;
}

// The data-protection service of the running user.
TEST(ProtectData, RoundTripGivesTheBytesAndTheDescriptionBack) {
  for (const std::wstring description : {L"", L"Orvane proxy \x0416"}) {
    const SecretBytes blob = Protected(description);
    ASSERT_FALSE(blob.empty());
    EXPECT_FALSE(std::equal(kSecret.begin(), kSecret.end(), blob.begin(), blob.end()));

    SecretBytes plain;
    std::wstring stored = L"kept";
    DWORD error = 0xDEAD;
    ASSERT_TRUE(UnprotectBytes(blob, &plain, &stored, false, false, L"", L"0", &error));
    EXPECT_TRUE(std::equal(kSecret.begin(), kSecret.end(), plain.begin(), plain.end()));
    EXPECT_EQ(stored, description);
    EXPECT_EQ(error, 0u);
  }
}

TEST(ProtectData, DamagedOrForeignBlobsAreRefusedWithTheServiceError) {
  const SecretBytes good = Protected(L"");
  ASSERT_GT(good.size(), 8u);
  // Windows refuses a change anywhere; Wine 8 leaves some header fields
  // unchecked (the master key's GUID among them), so the changes go into the
  // encrypted data and its signature at the end.
  SecretBytes inner = good, last = good;
  inner[good.size() * 3 / 4] ^= 0x01;
  last.back() ^= 0x80;
  struct Case {
    const char* name;
    SecretBytes blob;
  };
  const Case cases[] = {
      {"a byte of the data changed", inner},
      {"last byte changed", last},
      {"one byte short", SecretBytes(good.begin(), good.end() - 1)},
      {"first half", SecretBytes(good.begin(), good.begin() + good.size() / 2)},
      {"not a blob", SecretBytes({'h', 'e', 'l', 'l', 'o'})},
  };
  for (const auto& c : cases) {
    SecretBytes plain = {9, 9};
    std::wstring description = L"kept";
    DWORD error = 0;
    EXPECT_FALSE(UnprotectBytes(c.blob, &plain, &description, false, false, L"", L"0", &error)) << c.name;
    EXPECT_TRUE(plain.empty()) << c.name;
    EXPECT_NE(error, 0u) << c.name;
    EXPECT_EQ(description, L"kept") << c.name;
  }
}

using ProtectDataSeam = FakeServiceTest;

TEST_F(ProtectDataSeam, EmptyInputOrEntropyIsRefusedWithoutACall) {
  const std::vector<BYTE> some = {1};
  struct Case {
    std::vector<BYTE> in, entropy;
    bool noEntropy;
  };
  const Case cases[] = {{{}, {}, true}, {{}, some, false}, {some, {}, false}};
  for (const auto& c : cases) {
    SecretBytes out = {9};
    std::wstring description = L"kept";
    DWORD error = 0xDEAD;
    EXPECT_FALSE(ProtectBytesEx(c.in, &out, c.entropy, c.noEntropy, L"", false, false, L"", L"0", &error));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(error, 0u);
    out = {9};
    error = 0xDEAD;
    EXPECT_FALSE(UnprotectBytesEx(c.in, &out, c.entropy, c.noEntropy, &description, false, false, L"", L"0", &error));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(description, L"kept");
  }
  EXPECT_TRUE(g_protectCalls.empty());
  EXPECT_TRUE(g_unprotectCalls.empty());
}

TEST_F(ProtectDataSeam, WithoutTheServiceTheErrorIsOldWindowsVersion) {
  test::g_available = false;
  SecretBytes out = {9};
  std::wstring description;
  DWORD error = 0;
  EXPECT_FALSE(ProtectBytes(kSecret, &out, L"", false, false, L"", L"0", &error));
  EXPECT_EQ(error, 1150u);
  EXPECT_TRUE(out.empty());
  error = 0;
  EXPECT_FALSE(UnprotectBytes(kSecret, &out, &description, false, false, L"", L"0", &error));
  EXPECT_EQ(error, 1150u);
  EXPECT_TRUE(g_protectCalls.empty() && g_unprotectCalls.empty());
}

TEST_F(ProtectDataSeam, FlagsPromptAndDescriptionAsAsked) {
  struct Case {
    bool localMachine, usePrompt;
    std::wstring windowText;
    DWORD flags;
    INT_PTR window;
  };
  const Case cases[] = {
      {false, false, L"0", 0, 0},         {true, false, L"0", CRYPTPROTECT_LOCAL_MACHINE, 0},
      {false, true, L"0", 0, 0},          {true, true, L"123456", CRYPTPROTECT_LOCAL_MACHINE, 123456},
      {false, true, L" -5 ", 0, -5},      {false, true, L"2147483647", 0, 2147483647},
      {false, true, L"2147483648", 0, 0},  // does not fit: no owner
      {false, true, L"12x", 0, 0},        {false, true, L"", 0, 0},
  };
  g_answer.out = {0xB1, 0x0B};
  g_answer.storedDescription = std::vector<wchar_t>{L'd', L'\0'};
  for (const auto& c : cases) {
    g_protectCalls.clear();
    g_unprotectCalls.clear();
    SecretBytes out;
    std::wstring description;
    DWORD error = 0;
    ASSERT_TRUE(ProtectBytes(kSecret, &out, L"Proxy", c.localMachine, c.usePrompt, L"Why", c.windowText, &error));
    ASSERT_TRUE(UnprotectBytes(kSecret, &out, &description, c.localMachine, c.usePrompt, L"Why", c.windowText, &error));
    ASSERT_EQ(g_protectCalls.size(), 1u);
    ASSERT_EQ(g_unprotectCalls.size(), 1u);
    const DWORD promptFlags[] = {CRYPTPROTECT_PROMPT_ON_PROTECT, CRYPTPROTECT_PROMPT_ON_UNPROTECT};
    const test::ServiceCall* calls[] = {&g_protectCalls[0], &g_unprotectCalls[0]};
    for (int i = 0; i < 2; ++i) {
      const auto& call = *calls[i];
      EXPECT_EQ(call.in, kSecret);
      EXPECT_FALSE(call.entropy.has_value());
      EXPECT_EQ(call.flags, c.flags);
      ASSERT_EQ(call.prompt.has_value(), c.usePrompt) << c.windowText;
      if (!c.usePrompt) continue;
      EXPECT_EQ(call.prompt->cbSize, sizeof(CRYPTPROTECT_PROMPTSTRUCT));
      EXPECT_EQ(call.prompt->dwPromptFlags, promptFlags[i]);
      EXPECT_EQ(reinterpret_cast<INT_PTR>(call.prompt->hwndApp), c.window) << "'" << c.windowText << "'";
      EXPECT_EQ(call.promptText, L"Why");
    }
    EXPECT_EQ(g_protectCalls[0].description, L"Proxy");
  }
#ifndef _WIN64
  static_assert(sizeof(CRYPTPROTECT_PROMPTSTRUCT) == 16);
#endif
}

TEST_F(ProtectDataSeam, EntropyIsPassedOnlyWhenAskedFor) {
  const std::vector<BYTE> entropy = {7, 8};
  SecretBytes out;
  std::wstring description;
  DWORD error = 0;
  ASSERT_TRUE(ProtectBytesEx(kSecret, &out, entropy, false, L"", false, false, L"", L"0", &error));
  ASSERT_TRUE(UnprotectBytesEx(kSecret, &out, entropy, true, &description, false, false, L"", L"0", &error));
  EXPECT_EQ(g_protectCalls.at(0).entropy, entropy);
  EXPECT_FALSE(g_unprotectCalls.at(0).entropy.has_value());
}

TEST_F(ProtectDataSeam, OutputAndDescriptionFromTheService) {
  struct Case {
    test::ServiceAnswer answer;
    bool ok;
    DWORD error;
    std::vector<BYTE> out;
    std::wstring description;
  };
  const std::vector<BYTE> blob = {1, 2, 3};
  const std::vector<wchar_t> terminated = {L'a', L'b', L'\0', L'c'}, unterminated = {L'x', L'y'};
  const Case cases[] = {
      {{true, 0, blob, false, terminated}, true, 0, blob, L"ab"},
      {{true, 0, blob, false, unterminated}, true, 0, blob, L"xy"},  // read no further than its block
      {{true, 0, blob, false, std::nullopt}, true, 0, blob, L""},
      {{true, 0, {}, false, terminated}, true, 0, {}, L"ab"},   // succeeded with no bytes
      {{true, 0, blob, true, terminated}, true, 0, {}, L"ab"},  // a count without memory
      {{false, ERROR_INVALID_DATA, blob, false, terminated}, false, ERROR_INVALID_DATA, {}, L"kept"},
      {{false, 0x8009000B, {}, false, std::nullopt}, false, 0x8009000B, {}, L"kept"},
  };
  for (const auto& c : cases) {
    g_answer = c.answer;
    SecretBytes out = {9, 9, 9, 9};
    std::wstring description = L"kept";
    DWORD error = 0xDEAD;
    EXPECT_EQ(UnprotectBytes(kSecret, &out, &description, false, false, L"", L"0", &error), c.ok);
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), c.out.begin(), c.out.end()));
    EXPECT_EQ(description, c.description);

    out = {9, 9, 9, 9};
    error = 0xDEAD;
    EXPECT_EQ(ProtectBytes(kSecret, &out, L"", false, false, L"", L"0", &error), c.ok);
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), c.out.begin(), c.out.end()));
  }
}

}  // namespace
}  // namespace orv

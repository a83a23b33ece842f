#include "protect/password_cryptor.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwctype>

#include "tests/protect/fake_protection_service.h"

namespace orv {
namespace {

bool AllHex(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 128 && std::iswxdigit(c); });
}

std::wstring Encode(const std::wstring& password, std::int32_t mode) {
  std::wstring stored = L"untouched";
  EXPECT_EQ(EncodePassword(password, mode, &stored), kOk) << mode;
  return stored;
}

void ExpectScrambled(const std::wstring& stored, std::size_t length) {
  EXPECT_EQ(stored.size(), 4 * length) << "'" << stored << "'";
  EXPECT_TRUE(AllHex(stored)) << "'" << stored << "'";
}

void ExpectProtected(const std::wstring& stored) {
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(stored[0], L'Z');
  EXPECT_EQ(stored.size() % 2, 1u);
  EXPECT_TRUE(AllHex(std::wstring_view(stored).substr(1))) << "'" << stored << "'";
}

TEST(EncodePassword, EmptyPasswordAndUnknownModesStoreNothing) {
  for (std::int32_t mode : {0, 1, 2, 3, -1}) EXPECT_EQ(Encode(L"", mode), L"");
  for (std::int32_t mode : {3, -1, INT_MIN, INT_MAX}) EXPECT_EQ(Encode(L"abc", mode), L"");
}

TEST(EncodePassword, ModeZeroScramblesWithFreshFiller) {
  const std::wstring stored = Encode(L"abc", 0);
  ExpectScrambled(stored, 3);
  EXPECT_EQ(stored.substr(0, 2), L"9C");
  EXPECT_EQ(stored.substr(4, 2), L"9D");
  EXPECT_EQ(stored.substr(8, 2), L"9E");
  EXPECT_EQ(DecodePassword(stored), L"abc");
  EXPECT_EQ(UnscramblePassword(stored), L"abc");
  EXPECT_EQ(DecodeProtectedPassword(stored), L"");

  // 24 random bits per encoding of three characters; two draws that match
  // twice in a row would be a broken generator.
  EXPECT_TRUE(Encode(L"abc", 0) != stored || Encode(L"abc", 0) != stored);
}

TEST(EncodePassword, ProtectedModesRoundTripForTheSameUser) {
  for (std::int32_t mode : {1, 2}) {
    const std::wstring stored = Encode(L"Pa55 w0rd!", mode);
    ExpectProtected(stored);
    EXPECT_EQ(DecodePassword(stored), L"Pa55 w0rd!") << mode;
    EXPECT_EQ(DecodeProtectedPassword(stored), L"Pa55 w0rd!") << mode;
    EXPECT_EQ(UnscramblePassword(stored), L"") << mode;
  }
}

TEST(DecodePassword, ReadsEveryShapeAndNothingDamaged) {
  const std::wstring stored = Encode(L"secret", 2);
  ExpectProtected(stored);
  std::wstring lower = stored;
  lower[0] = L'z';
  std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
  std::wstring changed = stored;
  // In the encrypted part: Wine 8 does not check every header field.
  const std::size_t digit = stored.size() * 3 / 4;
  changed[digit] = changed[digit] == L'0' ? L'1' : L'0';

  struct Case {
    const char* name;
    std::wstring text;
    std::wstring password;
  };
  const Case cases[] = {
      {"empty", L"", L""},
      {"protected", stored, L"secret"},
      {"lower-case z and digits", lower, L"secret"},
      {"a digit removed", stored.substr(0, stored.size() - 1), L""},
      {"a digit changed", changed, L""},
      {"Z alone", L"Z", L""},
      {"scrambled", L"9C009DAB9Eff", L"abc"},
      {"scrambled, length 6", L"9C009D", L""},
      {"scrambled, non-hex first pair", L"9C00X900", L""},
      {"scrambled, non-hex filler", L"9C!!9Dxy", L"bc"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodePassword(c.text), c.password) << c.name;
}

TEST(PasswordCryptor, ACharacterOutsideTheCodePageComesBackAsItsSubstitute) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects code page 1252, have " << GetACP();
  for (std::int32_t mode : {0, 2}) {
    EXPECT_EQ(DecodePassword(Encode(L"a\x0416z", mode)), L"a?z") << mode;
    // No look-alike: the code page has no A with macron.
    EXPECT_EQ(DecodePassword(Encode(L"\x0100", mode)), L"?") << mode;
  }
}

// Not the OEM code page, where the euro sign is missing.
TEST(PasswordCryptor, BothFormsUseTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects code page 1252, have " << GetACP();
  std::wstring stored;
  ASSERT_EQ(ScramblePassword(L"\x20AC\x00E9", &stored), kOk);  // 0x80, 0xE9
  EXPECT_EQ(stored.substr(0, 2), L"16");
  EXPECT_EQ(stored.substr(4, 2), L"7F");
  EXPECT_EQ(UnscramblePassword(stored), L"\x20AC\x00E9");
  EXPECT_EQ(DecodePassword(Encode(L"w\x00F6rd\x20AC", 2)), L"w\x00F6rd\x20AC");
}

// Scrambling refuses double-byte characters; code page 1252 has none, so
// this runs only where the system's code page is a double-byte one (the
// Japanese run of this program, x64 only). Not built for 32 bits: no run
// has such a code page there, and under qemu-i386 the emulated process dies
// when this test skips itself.
#ifdef _WIN64
TEST(PasswordCryptor, DoubleByteCodePage) {
  const std::wstring password = L"a\x3042";  // HIRAGANA A
  char bytes[8] = {};
  if (WideCharToMultiByte(CP_ACP, 0, &password[1], 1, bytes, sizeof bytes, nullptr, nullptr) != 2) {
    GTEST_SKIP() << "code page " << GetACP() << " has no double-byte hiragana";
  }
  std::wstring stored = L"kept";
  EXPECT_EQ(ScramblePassword(password, &stored), kOverflow);
  EXPECT_EQ(EncodePassword(password, 0, &stored), kOverflow);
  EXPECT_EQ(stored, L"kept");
  // The protected form converts the whole text, so the character survives.
  EXPECT_EQ(DecodePassword(Encode(password, 2)), password);
  // A lead byte (0x82 = 255 - 0x7D) alone is no character.
  EXPECT_EQ(UnscramblePassword(L"7D00"), L"");
  EXPECT_EQ(UnscramblePassword(L"9E00"), L"a");
}
#endif

// Only the scrambler's overflow speaks of the code page's single bytes; a
// failed conversion or random draw has its own words.
TEST(PasswordCryptor, OnlyTheOverflowBlamesTheCodePage) {
  std::wstring stored;
  const Status doubleByte = EncodePassword(L"a\x3042", 0, &stored);  // fails where hiragana takes two bytes
  const std::pair<Status, const wchar_t*> cases[] = {
      {kOverflow, L"cannot store in one byte"},
      {Failed(doubleByte) ? doubleByte : kOverflow, L"one byte"},
      {HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), L"does not convert"},
      {kFail, L"does not convert"},
      {HRESULT_FROM_NT(0xC0000001L), L"random number generator"},  // STATUS_UNSUCCESSFUL
  };
  for (const auto& [status, words] : cases) {
    const std::wstring text = DescribeEncodeFailure(status);
    EXPECT_NE(text.find(words), std::wstring::npos) << std::hex << status;
    EXPECT_EQ(text.find(L"one byte") != std::wstring::npos, status == kOverflow) << std::hex << status;
  }
}

using PasswordCryptorSeam = test::FakeServiceTest;

TEST_F(PasswordCryptorSeam, ProtectedModesFallBackToScrambling) {
  for (const test::ServiceAnswer& answer : {test::FailWith(ERROR_ACCESS_DENIED), test::ServiceAnswer()}) {
    // The second answer succeeds with nothing to store.
    test::g_answer = answer;
    test::g_protectCalls.clear();
    const std::wstring stored = Encode(L"abcd", 2);
    ExpectScrambled(stored, 4);
    EXPECT_EQ(DecodePassword(stored), L"abcd");
    EXPECT_EQ(EncodeProtectedPassword(L"abcd", false), L"");
    ASSERT_EQ(test::g_protectCalls.size(), 2u);
    const auto& call = test::g_protectCalls[0];
    EXPECT_EQ(call.in, (std::vector<BYTE>{'a', 'b', 'c', 'd'}));
    EXPECT_EQ(call.flags, 0u);
    EXPECT_EQ(call.description, L"");
    EXPECT_FALSE(call.prompt.has_value());
    EXPECT_FALSE(call.entropy.has_value());
  }
  test::g_answer = test::FailWith(ERROR_ACCESS_DENIED);
  ExpectScrambled(Encode(L"abcd", 1), 4);
  EXPECT_EQ(test::g_protectCalls.back().flags, static_cast<DWORD>(CRYPTPROTECT_LOCAL_MACHINE));
}

TEST_F(PasswordCryptorSeam, ProtectedFormsAreReadForTheCurrentUserWithoutPrompt) {
  test::g_answer.out = {'o', 'k'};
  EXPECT_EQ(DecodePassword(L"z0aFF"), L"ok");
  ASSERT_EQ(test::g_unprotectCalls.size(), 1u);
  const auto& call = test::g_unprotectCalls[0];
  EXPECT_EQ(call.in, (std::vector<BYTE>{0x0A, 0xFF}));
  EXPECT_EQ(call.flags, 0u);
  EXPECT_FALSE(call.prompt.has_value());

  test::g_answer.out.clear();  // restores to nothing
  EXPECT_EQ(DecodePassword(L"Z0aFF"), L"");
  test::g_answer.ok = false;
  EXPECT_EQ(DecodeProtectedPassword(L"Z0aFF"), L"");
}

}  // namespace
}  // namespace orv

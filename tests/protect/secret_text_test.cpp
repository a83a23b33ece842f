#include "protect/secret_text.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

SecretBytes Bytes(std::initializer_list<std::uint8_t> b) { return SecretBytes(b); }

SecretBytes Ansi(const char* text) { return SecretBytes(text, text + std::char_traits<char>::length(text)); }

TEST(HexToBytes, AcceptsPairsOfHexDigitsOnly) {
  struct Case {
    std::wstring text;
    bool ok;
    SecretBytes bytes;
  };
  const Case cases[] = {
      {L"", true, {}},
      {L"00", true, Bytes({0x00})},
      {L"0aFf9C", true, Bytes({0x0A, 0xFF, 0x9C})},
      {L"abc", false, {}},  // odd length
      {L"0", false, {}},
      {L"0G", false, {}},
      {L"G0", false, {}},
      {L"00 1", false, {}},  // a blank is no digit
      {L"-1", false, {}},
      {L"\xFF10\xFF11", false, {}},  // full-width digits
      {std::wstring(L"0\0", 2), false, {}},
  };
  for (const auto& c : cases) {
    SecretBytes out = Bytes({1, 2, 3});
    EXPECT_EQ(HexToBytes(c.text, &out), c.ok) << "'" << c.text << "'";
    EXPECT_EQ(out, c.bytes) << "'" << c.text << "'";
  }
}

TEST(BytesToHex, TwoUpperCaseDigitsPerByte) {
  std::wstring text = L"kept";
  EXPECT_FALSE(BytesToHex({}, &text));
  EXPECT_EQ(text, L"");

  ASSERT_TRUE(BytesToHex(Bytes({0x00, 0x0F, 0xA5, 0xFF}), &text));
  EXPECT_EQ(text, L"000FA5FF");
}

TEST(UnscrambleToAnsi, ReadsFirstPairsInReverseGroupOrder) {
  struct Case {
    std::wstring text;
    bool ok;
    SecretBytes ansi;
  };
  const Case cases[] = {
      {L"", true, {}},
      {L"9C119D229E33", true, Ansi("abc")},
      {L"9c009d00", true, Ansi("bc")},  // lower case reads too
      {L"FF00", true, Bytes({0x00})},
      {L"00FF", true, Bytes({0xFF})},
      {L"9CZZ9D\x0416!", true, Ansi("bc")},  // filler is never read
      {L"9C009D", false, {}},                // length 6
      {L"9C0", false, {}},                   // odd length
      {L"z", false, {}},
      {L"9G00", false, {}},  // first pair not hex
      {L"G900", false, {}},
      {L"9C00 D00", false, {}},
      {L"Z9C009D00", false, {}},
  };
  for (const auto& c : cases) {
    SecretBytes out = Bytes({7});
    EXPECT_EQ(UnscrambleToAnsi(c.text, &out), c.ok) << "'" << c.text << "'";
    EXPECT_EQ(out, c.ansi) << "'" << c.text << "'";
  }
}

// Hands out 0x10, 0x11, ... so the filler of each group is known.
RandomByteSource CountingRandom(int* calls) {
  return [calls](std::uint8_t* b) {
    *b = static_cast<std::uint8_t>(0x10 + (*calls)++);
    return kOk;
  };
}

TEST(ScrambleAnsiCodes, GroupsOfCodeAndFillerLastCharacterFirst) {
  int calls = 0;
  std::wstring text;
  const std::int32_t abc[] = {'a', 'b', 'c'};
  ASSERT_EQ(ScrambleAnsiCodes(abc, CountingRandom(&calls), &text), kOk);
  EXPECT_EQ(text, L"9C109D119E12");
  const std::int32_t ends[] = {0, 255};
  ASSERT_EQ(ScrambleAnsiCodes(ends, CountingRandom(&calls), &text), kOk);
  EXPECT_EQ(text, L"0013FF14");
}

TEST(ScrambleAnsiCodes, FailuresLeaveTheTextUntouched) {
  struct Case {
    std::vector<std::int32_t> codes;
    Status random;
    Status expected;
  };
  const Case cases[] = {
      {{'a', 256}, kOk, kOverflow},
      {{-1}, kOk, kOverflow},
      {{0x8140, 'a'}, kOk, kOverflow},  // a double-byte character
      {{'a'}, kOutOfMemory, kOutOfMemory},
  };
  for (const auto& c : cases) {
    std::wstring text = L"kept";
    const Status s = ScrambleAnsiCodes(
        c.codes,
        [&](std::uint8_t* b) {
          *b = 0;
          return c.random;
        },
        &text);
    EXPECT_EQ(s, c.expected);
    EXPECT_EQ(text, L"kept");
  }
}

// Stands for the service: the plain bytes are the blob's bytes minus one; a
// blob starting with EE does not restore.
struct FakeUnprotect {
  std::vector<SecretBytes> blobs;
  UnprotectStep Step() {
    return [this](std::span<const std::uint8_t> blob, SecretBytes* plain) {
      blobs.emplace_back(blob.begin(), blob.end());
      if (blob[0] == 0xEE) {
        plain->assign(3, 0x55);  // a failing step may leave anything behind
        return false;
      }
      plain->clear();
      for (std::size_t i = 1; i < blob.size(); ++i) plain->push_back(static_cast<std::uint8_t>(blob[i] - 1));
      return true;
    };
  }
};

TEST(DecodeStoredText, ProtectedFirstThenScrambled) {
  struct Case {
    std::wstring text;
    StoredForm form;
    SecretBytes ansi;
    std::size_t calls;
  };
  const Case cases[] = {
      {L"", StoredForm::kNone, {}, 0},
      {L"Z00626364", StoredForm::kProtected, Ansi("abc"), 1},
      {L"z00626364", StoredForm::kProtected, Ansi("abc"), 1},
      {L"z00626364ff", StoredForm::kProtected, Bytes({'a', 'b', 'c', 0xFE}), 1},
      {L"Z", StoredForm::kNone, {}, 0},         // no blob: no call
      {L"Z0062636", StoredForm::kNone, {}, 0},  // a digit removed
      {L"Z00626G64", StoredForm::kNone, {}, 0},
      {L"ZEE6263", StoredForm::kNone, {}, 1},  // does not restore
      {L"Z00", StoredForm::kNone, {}, 1},      // restores to nothing
      {L"Y00626364", StoredForm::kNone, {}, 0},
      {L"9C009D009E00", StoredForm::kScrambled, Ansi("abc"), 0},
      {L"9C0", StoredForm::kNone, {}, 0},
  };
  for (const auto& c : cases) {
    FakeUnprotect fake;
    const StoredSecret secret = DecodeStoredText(c.text, fake.Step());
    EXPECT_EQ(secret.form, c.form) << "'" << c.text << "'";
    EXPECT_EQ(secret.ansi, c.ansi) << "'" << c.text << "'";
    EXPECT_EQ(fake.blobs.size(), c.calls) << "'" << c.text << "'";
  }
}

}  // namespace
}  // namespace orv

#include "support/text_routines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orv {
namespace {

TEST(FormatVersionShort, MinorHasAtLeastTwoDigits) {
  struct Case {
    std::int32_t major, minor;
    const wchar_t* text;
  };
  const Case cases[] = {
      {1, 2, L"1.02"},    {0, 0, L"0.00"},   {2, 15, L"2.15"},
      {1, 100, L"1.100"}, {10, 9, L"10.09"}, {2147483647, 2147483647, L"2147483647.2147483647"},
  };
  for (const auto& c : cases) {
    std::wstring out;
    ASSERT_EQ(asFormatVersionShort(c.major, c.minor, &out), kOk) << c.major << "." << c.minor;
    EXPECT_EQ(out, c.text);
  }
}

TEST(FormatVersionShort, NegativeNumbersAreRefusedAndLeaveTheOutput) {
  for (auto [major, minor] : {std::pair{-1, 0}, {0, -1}, {std::numeric_limits<std::int32_t>::min(), 5}}) {
    std::wstring out = L"kept";
    EXPECT_EQ(asFormatVersionShort(major, minor, &out), kInvalidArg);
    EXPECT_EQ(out, L"kept");
  }
  EXPECT_EQ(asFormatVersionShort(1, 2, nullptr), kPointer);
}

TEST(TrimEx, RemovesBlanksAtBothEndsOnly) {
  struct Case {
    std::wstring in, out;
  };
  const Case cases[] = {
      {L"", L""},
      {L"   ", L""},
      {L" \t\r\n Version 1.02 \n", L"Version 1.02"},
      {std::wstring(L"\0x\0", 3), L"x"},
      {L"a  b", L"a  b"},
      {L"\x00A0x", L"\x00A0x"},  // no-break space is not a blank here
  };
  for (const auto& c : cases) {
    std::wstring out;
    ASSERT_EQ(asTrimEx(c.in, &out), kOk);
    EXPECT_EQ(out, c.out);
  }
}

TEST(CutLeft, CountsCharacters) {
  std::wstring out;
  EXPECT_EQ(asCutLeft(L"Version 1.5", 8, &out), kOk);
  EXPECT_EQ(out, L"1.5");
  EXPECT_EQ(asCutLeft(L"abc", 0, &out), kOk);
  EXPECT_EQ(out, L"abc");
  EXPECT_EQ(asCutLeft(L"abc", 3, &out), kOk);
  EXPECT_EQ(out, L"");
  EXPECT_EQ(asCutLeft(L"abc", 2147483647, &out), kOk);
  EXPECT_EQ(out, L"");
  out = L"kept";
  EXPECT_EQ(asCutLeft(L"abc", -1, &out), kInvalidArg);
  EXPECT_EQ(out, L"kept");
}

TEST(GetFileName, TextAfterTheLastBackslash) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"Software\\A\\B", L"B"}, {L"B", L"B"}, {L"", L""}, {L"A\\", L""}, {L"\\x", L"x"},
  };
  for (const auto& c : cases) {
    std::wstring out;
    ASSERT_EQ(esGetFileName(c.in, 0, &out), kOk);
    EXPECT_EQ(out, c.out) << c.in;
  }
  std::wstring out;
  EXPECT_EQ(esGetFileName(L"a\\b", 1, &out), kInvalidArg);
}

TEST(Hex1, TwoUpperCaseDigits) {
  struct Case {
    std::uint8_t in;
    const wchar_t* out;
  };
  for (const Case& c : {Case{0, L"00"}, {15, L"0F"}, {16, L"10"}, {171, L"AB"}, {255, L"FF"}}) {
    std::wstring out;
    ASSERT_EQ(esHex1(c.in, &out), kOk);
    EXPECT_EQ(out, c.out);
  }
}

TEST(GetStringFromPointerW, CopiesUpToTheFirstNul) {
  std::wstring out = L"x";
  ASSERT_EQ(asGetStringFromPointerW(nullptr, &out), kOk);
  EXPECT_EQ(out, L"");
  const wchar_t withNul[] = L"ab\0cd";
  ASSERT_EQ(asGetStringFromPointerW(withNul, &out), kOk);
  EXPECT_EQ(out, L"ab");
}

TEST(LoWord, KeepsTheLowSixteenBitsWithTheirSign) {
  struct Case {
    std::int32_t in;
    std::int16_t out;
  };
  for (const Case& c : {Case{700, 700}, {0x12345678, 0x5678}, {-1, -1}, {0x0000FFFF, -1}, {0x00018000, -32768}}) {
    std::int16_t out = 0;
    ASSERT_EQ(esLoWord(c.in, &out), kOk);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(DoubleToLargeInteger, RoundsHalvesToEven) {
  struct Case {
    double in;
    std::int64_t out;
  };
  const Case cases[] = {
      {82500.0, 82500},
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {-2.5, -2},
      {-0.4, 0},
      {9007199254740993.0, 9007199254740992},
      {-9223372036854775808.0, std::numeric_limits<std::int64_t>::min()},
  };
  for (const auto& c : cases) {
    std::int64_t out = 0;
    ASSERT_EQ(asDoubleToLargeInteger(c.in, &out), kOk) << c.in;
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(DoubleToLargeInteger, OutOfRangeIsOverflow) {
  for (double bad :
       {9223372036854775808.0, -9223372036854777856.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    std::int64_t out = 7;
    EXPECT_EQ(asDoubleToLargeInteger(bad, &out), kOverflow) << bad;
    EXPECT_EQ(out, 7);
  }
}

}  // namespace
}  // namespace orv

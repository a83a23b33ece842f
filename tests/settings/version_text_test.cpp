#include "settings/version_text.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(VersionPartValue, DigitsOnlyAndWithinThirtyTwoBits) {
  struct Case {
    const wchar_t* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {L"0", 0},
      {L"02", 2},
      {L"15", 15},
      {L"2147483647", 2147483647},
      {L"0002147483647", 2147483647},
      {L"2147483648", 0},
      {L"99999999999999999999", 0},
      {L"", 0},
      {L"x", 0},
      {L"1x", 0},
      {L"-1", 0},
      {L"+1", 0},
      {L" 1", 0},
      {L"1 ", 0},
      {L"\x0661", 0},  // an Arabic-Indic digit is no digit here
  };
  for (const auto& c : cases) EXPECT_EQ(VersionPartValue(c.text), c.value) << "'" << c.text << "'";
}

TEST(CompareVersionText, NumericPerComponentWithZeroPadding) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    VersionOrder order;
  };
  const Case cases[] = {
      {L"1.02", L"1.2", VersionOrder::kEqual},          {L"1.10", L"1.9", VersionOrder::kNewer},
      {L"1.9", L"1.10", VersionOrder::kOlder},          {L"2", L"2.0", VersionOrder::kEqual},
      {L"1.2", L"1.2.0", VersionOrder::kEqual},         {L"1.2", L"1.2.3", VersionOrder::kOlder},
      {L"1.2.3", L"1.2", VersionOrder::kNewer},         {L"1.x", L"1.0", VersionOrder::kEqual},
      {L"1.x", L"1.1", VersionOrder::kOlder},           {L"", L"0", VersionOrder::kEqual},
      {L"1.99999999999", L"1.0", VersionOrder::kEqual},  // too large counts as 0
      {L"2.00", L"1.99", VersionOrder::kNewer},         {L"..", L"0.0.0", VersionOrder::kEqual},
      {L"10.0", L"9.100", VersionOrder::kNewer},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareVersionText(c.a, c.b), c.order) << "'" << c.a << "' vs '" << c.b << "'";
  }
}

TEST(SortVersionList, AscendingAndStableForEqualVersions) {
  std::vector<std::wstring> list = {L"2.0", L"1.5", L"1.10", L"1.02", L"1.9", L"1.2", L"0.50", L"1.x"};
  SortVersionList(list);
  const std::vector<std::wstring> expected = {L"0.50", L"1.x", L"1.02", L"1.2", L"1.5", L"1.9", L"1.10", L"2.0"};
  EXPECT_EQ(list, expected);

  std::vector<std::wstring> empty;
  SortVersionList(empty);
  EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace orv

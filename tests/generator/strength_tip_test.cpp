#include "generator/strength_tip.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace orv::quorlet {
namespace {

constexpr std::wstring_view kSearchLead = L"Перебор половины вариантов при 10¹² паролей в секунду: ";

std::wstring FirstLine(const std::wstring& tip) { return tip.substr(0, tip.find(L"\r\n")); }

TEST(StrengthTip, BitsTakeTheRightPlural) {
  const std::pair<std::int32_t, std::wstring_view> cases[] = {
      {1, L"1 бит"},     {2, L"2 бита"},     {4, L"4 бита"},     {5, L"5 бит"},     {11, L"11 бит"},
      {12, L"12 бит"},   {14, L"14 бит"},    {21, L"21 бит"},    {22, L"22 бита"},  {63, L"63 бита"},
      {65, L"65 бит"},   {71, L"71 бит"},    {101, L"101 бит"},  {111, L"111 бит"}, {112, L"112 бит"},
      {122, L"122 бита"}, {0, L"0 бит"},
  };
  for (const auto& [bits, want] : cases) EXPECT_EQ(FirstLine(StrengthTip(bits)), L"Стойкость: " + std::wstring(want));
}

// Half of 2^bits at 10^12 a second, rounded down in the largest unit that fits.
TEST(StrengthTip, SecondLineGivesTheHalfSearchTime) {
  const std::pair<std::int32_t, std::wstring_view> cases[] = {
      {0, L"меньше секунды"},        {40, L"меньше секунды"},       {41, L"1 секунда"},
      {46, L"35 секунд"},            {47, L"1 минута"},             {52, L"37 минут"},
      {53, L"1 час"},                {54, L"2 часа"},               {55, L"5 часов"},
      {58, L"1 день"},               {63, L"53 дня"},               {64, L"106 дней"},
      {71, L"37 лет"},               {72, L"74 года"},              {76, L"1 тысяча лет"},
      {80, L"19 тысяч лет"},         {89, L"9 миллионов лет"},      {101, L"40 миллиардов лет"},
      {105, L"643 миллиарда лет"},   {106, L"больше триллиона лет"}, {758, L"больше триллиона лет"},
  };
  for (const auto& [bits, want] : cases) {
    const std::wstring tip = StrengthTip(bits);
    EXPECT_EQ(tip.substr(tip.find(L"\r\n") + 2), std::wstring(kSearchLead) + std::wstring(want)) << bits;
  }
}

}  // namespace
}  // namespace orv::quorlet

#include "generator/strength_tip.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

namespace orv::quorlet {
namespace {

// The plural forms, and half of 2^bits guesses at 10^12 a second rounded
// down in the largest unit that fits.
TEST(StrengthTip, PluralsAndHalfSearchTimes) {
  const std::tuple<std::int32_t, std::wstring_view, std::wstring_view> cases[] = {
      {0, L"0 бит", L"меньше секунды"},
      {40, L"40 бит", L"меньше секунды"},  // 2^39: 0.55 s
      {41, L"41 бит", L"1 секунда"},
      {47, L"47 бит", L"1 минута"},
      {54, L"54 бита", L"2 часа"},
      {55, L"55 бит", L"5 часов"},
      {63, L"63 бита", L"53 дня"},
      {64, L"64 бита", L"106 дней"},
      {71, L"71 бит", L"37 лет"},
      {72, L"72 бита", L"74 года"},
      {76, L"76 бит", L"1 тысяча лет"},
      {80, L"80 бит", L"19 тысяч лет"},
      {101, L"101 бит", L"40 миллиардов лет"},
      {106, L"106 бит", L"больше триллиона лет"},
      {112, L"112 бит", L"больше триллиона лет"},
  };
  for (const auto& [bits, strength, time] : cases) {
    EXPECT_EQ(StrengthTip(bits), L"Стойкость: " + std::wstring(strength) +
                                     L"\r\nПеребор половины вариантов при 10¹² паролей в секунду: " +
                                     std::wstring(time));
  }
}

}  // namespace
}  // namespace orv::quorlet

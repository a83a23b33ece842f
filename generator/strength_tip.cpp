#include "strength_tip.h"

#include <array>
#include <string_view>

#include "big_natural.h"

namespace orv::quorlet {
namespace {

// Russian nouns after a number: 1, 21 …; 2–4, 22–24 …; 0, 5–20, 25–30 ….
struct Plural {
  std::wstring_view one, few, many;
};

constexpr std::wstring_view kStrengthLead = L"Стойкость: ";
constexpr Plural kBits{L"бит", L"бита", L"бит"};
constexpr std::wstring_view kSearchLead = L"Перебор половины вариантов при 10¹² паролей в секунду: ";
constexpr std::wstring_view kUnderASecond = L"меньше секунды";
constexpr std::wstring_view kOverATrillionYears = L"больше триллиона лет";

// Each unit is `ratio` of the one before; the first counts whole seconds.
struct TimeUnit {
  std::uint32_t ratio;
  Plural name;
};
constexpr std::array<TimeUnit, 8> kTimeUnits{{
    {1, {L"секунда", L"секунды", L"секунд"}},
    {60, {L"минута", L"минуты", L"минут"}},
    {60, {L"час", L"часа", L"часов"}},
    {24, {L"день", L"дня", L"дней"}},
    {365, {L"год", L"года", L"лет"}},
    {1000, {L"тысяча лет", L"тысячи лет", L"тысяч лет"}},
    {1000, {L"миллион лет", L"миллиона лет", L"миллионов лет"}},
    {1000, {L"миллиард лет", L"миллиарда лет", L"миллиардов лет"}},
}};
constexpr std::uint32_t kGuessesPerSecondRoot = 1000000;  // squared: 10^12

std::wstring_view FormFor(std::uint32_t n, const Plural& forms) {
  if (n % 100 >= 11 && n % 100 <= 14) return forms.many;
  if (n % 10 == 1) return forms.one;
  if (n % 10 >= 2 && n % 10 <= 4) return forms.few;
  return forms.many;
}

std::wstring Counted(std::uint32_t n, const Plural& forms) {
  return std::to_wstring(n) + L" " + std::wstring(FormFor(n, forms));
}

// Half of 2^bits guesses, at 10^12 a second, in the largest unit that fits.
// Every step rounds down, which rounds the whole down: floor(floor(x/a)/b)
// is floor(x/(ab)).
std::wstring HalfSearchTime(std::int32_t bits) {
  if (bits < 1) return std::wstring(kUnderASecond);
  BigNatural count = BigNatural::PowerOfTwo(static_cast<unsigned>(bits - 1));
  count.Divide(kGuessesPerSecondRoot);
  count.Divide(kGuessesPerSecondRoot);
  if (count.IsZero()) return std::wstring(kUnderASecond);
  for (std::size_t unit = 0;; ++unit) {
    if (unit + 1 == kTimeUnits.size()) {
      if (!count.FitsIn32() || count.Low() >= 1000) return std::wstring(kOverATrillionYears);
      return Counted(count.Low(), kTimeUnits[unit].name);
    }
    BigNatural next = count;
    next.Divide(kTimeUnits[unit + 1].ratio);
    if (next.IsZero()) return Counted(count.Low(), kTimeUnits[unit].name);
    count = std::move(next);
  }
}

}  // namespace

std::wstring StrengthTip(std::int32_t bits) {
  const std::uint32_t shown = bits > 0 ? static_cast<std::uint32_t>(bits) : 0;
  return std::wstring(kStrengthLead) + Counted(shown, kBits) + L"\r\n" + std::wstring(kSearchLead) +
         HalfSearchTime(bits);
}

}  // namespace orv::quorlet

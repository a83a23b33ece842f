#include "compose_password.h"

#include "big_natural.h"

namespace orv {
namespace {

Status DrawInRange(const RandomDraw& draw, std::int32_t lower, std::int32_t upper, std::int32_t* out) {
  if (Status s = draw(lower, upper, out); Failed(s)) return s;
  return (*out < lower || *out > upper) ? kUnexpected : kOk;
}

Status AppendLetters(std::int32_t length, std::wstring_view start, std::wstring_view other, const RandomDraw& draw,
                     std::wstring& result) {
  for (std::int32_t j = 0; j < length; ++j) {
    const std::wstring_view alphabet = (j % 2 == 0) ? start : other;
    std::int32_t p = 0;
    if (Status s = DrawInRange(draw, 1, static_cast<std::int32_t>(alphabet.size()), &p); Failed(s)) return s;
    wchar_t letter = alphabet[static_cast<std::size_t>(p - 1)];
    if (j == 0) letter = static_cast<wchar_t>(letter - L'a' + L'A');
    result.push_back(letter);
  }
  return kOk;
}

Status AppendDigits(std::int32_t length, const RandomDraw& draw, std::wstring& result) {
  for (std::int32_t j = 0; j < length; ++j) {
    std::int32_t d = 0;
    if (Status s = DrawInRange(draw, 0, 9, &d); Failed(s)) return s;
    result.push_back(static_cast<wchar_t>(L'0' + d));
  }
  return kOk;
}

std::int64_t TotalLength(std::span<const std::int32_t> sectionLengths) {
  std::int64_t total = 0;
  for (std::int32_t length : sectionLengths) total += length > 0 ? length : 0;
  return total;
}

}  // namespace

Status ComposePassword(std::span<const std::int32_t> sectionLengths, const RandomDraw& draw, std::wstring* password) {
  if (!password) return kPointer;
  const std::int64_t total = TotalLength(sectionLengths);
  if (total > kMaxPasswordLength) return kInvalidArg;

  // One coin for the whole password decides which alphabet every section starts with.
  std::int32_t coin = 0;
  if (Status s = DrawInRange(draw, 0, 1, &coin); Failed(s)) return s;
  const std::wstring_view start = coin == 0 ? kVowels : kConsonants;
  const std::wstring_view other = coin == 0 ? kConsonants : kVowels;

  std::wstring result;
  result.reserve(static_cast<std::size_t>(total));
  for (std::size_t k = 0; k < sectionLengths.size(); ++k) {
    const bool isDigitSection = k + 1 == sectionLengths.size();
    const Status s = isDigitSection ? AppendDigits(sectionLengths[k], draw, result)
                                    : AppendLetters(sectionLengths[k], start, other, draw, result);
    if (Failed(s)) return s;
  }
  *password = std::move(result);
  return kOk;
}

Status PasswordStrength(std::span<const std::int32_t> sectionLengths, std::int32_t* bits) {
  if (!bits) return kPointer;
  if (TotalLength(sectionLengths) > kMaxPasswordLength) return kInvalidArg;
  // A section of L letters has ceil(L/2) positions from the start alphabet
  // and floor(L/2) from the other.
  std::int64_t startPositions = 0, otherPositions = 0, digits = 0;
  for (std::size_t k = 0; k < sectionLengths.size(); ++k) {
    const std::int64_t length = sectionLengths[k] > 0 ? sectionLengths[k] : 0;
    if (k + 1 == sectionLengths.size()) {
      digits = length;
    } else {
      startPositions += (length + 1) / 2;
      otherPositions += length / 2;
    }
  }
  // Never more other positions than start ones, so the branch starting with
  // the smaller alphabet is never the larger.
  static_assert(kVowels.size() < kConsonants.size());
  // The likeliest password's chance is one in this many.
  BigNatural oneIn(1);
  if (startPositions > 0) {
    oneIn.Multiply(2);  // the coin
    oneIn.MultiplyPower(static_cast<std::uint32_t>(kVowels.size()), startPositions);
    oneIn.MultiplyPower(static_cast<std::uint32_t>(kConsonants.size()), otherPositions);
  }
  oneIn.MultiplyPower(10, digits);
  *bits = static_cast<std::int32_t>(oneIn.BitLength() - 1);
  return kOk;
}

}  // namespace orv

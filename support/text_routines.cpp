#include "text_routines.h"

#include <cmath>

namespace orv {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\0'; }

}  // namespace

Status asFormatVersionShort(std::int32_t major, std::int32_t minor, std::wstring* out) {
  if (!out) return kPointer;
  if (major < 0 || minor < 0) return kInvalidArg;
  std::wstring minorText = std::to_wstring(minor);
  if (minorText.size() < 2) minorText.insert(0, 1, L'0');
  *out = std::to_wstring(major) + L'.' + minorText;
  return kOk;
}

Status asTrimEx(const std::wstring& text, std::wstring* out) {
  if (!out) return kPointer;
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  *out = text.substr(first, last - first);
  return kOk;
}

Status asCutLeft(const std::wstring& text, std::int32_t count, std::wstring* out) {
  if (!out) return kPointer;
  if (count < 0) return kInvalidArg;
  const auto n = static_cast<std::size_t>(count);
  *out = n >= text.size() ? std::wstring() : text.substr(n);
  return kOk;
}

Status esGetFileName(const std::wstring& path, std::int32_t reserved, std::wstring* out) {
  if (!out) return kPointer;
  if (reserved != 0) return kInvalidArg;
  const std::size_t slash = path.rfind(L'\\');
  *out = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return kOk;
}

Status esHex1(std::uint8_t value, std::wstring* out) {
  if (!out) return kPointer;
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  *out = {kDigits[value >> 4], kDigits[value & 0x0F]};
  return kOk;
}

Status asGetStringFromPointerW(const wchar_t* text, std::wstring* out) {
  if (!out) return kPointer;
  *out = text ? std::wstring(text) : std::wstring();
  return kOk;
}

Status esLoWord(std::int32_t value, std::int16_t* out) {
  if (!out) return kPointer;
  *out = static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu));
  return kOk;
}

Status asDoubleToLargeInteger(double value, std::int64_t* out) {
  if (!out) return kPointer;
  if (std::isnan(value)) return kOverflow;
  const double rounded = std::nearbyint(value);  // default rounding mode: halves to even
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (rounded >= 9223372036854775808.0 || rounded < -9223372036854775808.0) return kOverflow;
  *out = static_cast<std::int64_t>(rounded);
  return kOk;
}

}  // namespace orv

// Support routines that need no Windows API: text, numbers and version texts.
// Each returns a Status (negative is failure) and delivers its value through
// the trailing output argument, which is left untouched on failure.
#pragma once
#include <cstdint>
#include <string>
#include "status.h"

namespace orv {

// "major.minor", the minor number with at least two digits: (1, 2) -> "1.02",
// (2, 15) -> "2.15", (1, 100) -> "1.100". Names every settings key, so it
// must never change. A negative number is no version: kInvalidArg.
Status asFormatVersionShort(std::int32_t major, std::int32_t minor, std::wstring* out);

// Drops leading and trailing blanks: space, tab, CR, LF and NUL.
Status asTrimEx(const std::wstring& text, std::wstring* out);

// The text without its first `count` characters (empty when count >= length).
// A negative count is kInvalidArg.
Status asCutLeft(const std::wstring& text, std::int32_t count, std::wstring* out);

// The text after the last backslash, or the whole text when it has none.
// `reserved` must be 0.
Status esGetFileName(const std::wstring& path, std::int32_t reserved, std::wstring* out);

// Two upper-case hexadecimal digits: 15 -> "0F".
Status esHex1(std::uint8_t value, std::wstring* out);

// A copy of a NUL-terminated wide string; NULL gives the empty string.
Status asGetStringFromPointerW(const wchar_t* text, std::wstring* out);

// The low-order 16 bits.
Status esLoWord(std::int32_t value, std::int16_t* out);

// Rounds to the nearest integer, halves to even, as automation conversions do.
// NaN and values outside the signed 64-bit range are kOverflow.
Status asDoubleToLargeInteger(double value, std::int64_t* out);

}  // namespace orv

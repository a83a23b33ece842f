// The text of the tooltip that tells what a password shape is worth: its
// strength in bits, then how long an offline attack would need for it.
// Windows-free, so the wording and its plurals are checked natively.
#pragma once
#include <cstdint>
#include <string>

namespace orv::quorlet {

// Russian, two lines joined by "\r\n": "Стойкость: 63 бита", then the time an
// attacker trying 10^12 passwords a second needs to search half of 2^bits,
// in the largest unit that fits (rounded down), up to billions of years.
std::wstring StrengthTip(std::int32_t bits);

}  // namespace orv::quorlet

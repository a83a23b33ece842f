// The rule that turns a list of section lengths into an easy-to-say password:
// letter sections of alternating consonants and vowels, each starting with an
// upper-case letter, then one digit section (always the last entry).
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "support/status.h"

namespace orv {

inline constexpr std::wstring_view kConsonants = L"bcdfghjklmnpqrstvwxz";
inline constexpr std::wstring_view kVowels = L"aeiouy";

// A longer password than this is refused rather than allocated.
inline constexpr std::int64_t kMaxPasswordLength = 1 << 16;

// Uniform integer in [lower, upper]; the esGetRnd contract without its
// reserved argument.
using RandomDraw = std::function<Status(std::int32_t lower, std::int32_t upper, std::int32_t* out)>;

// On failure `password` is left as it was.
Status ComposePassword(std::span<const std::int32_t> sectionLengths, const RandomDraw& draw, std::wstring* password);

// The strength of the passwords ComposePassword makes from this list, in
// whole bits rounded down: the min-entropy, -log2 of the chance of the most
// likely password. The coin's two branches differ in size, so this is one
// bit for the coin plus the size of the smaller branch; without a letter the
// coin changes nothing and only the digits count. Fails as ComposePassword
// does for an absurd length; `bits` is then left as it was.
Status PasswordStrength(std::span<const std::int32_t> sectionLengths, std::int32_t* bits);

}  // namespace orv

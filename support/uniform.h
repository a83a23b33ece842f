// Exactly uniform integers over an inclusive range, drawn from a source of
// uniform 32-bit words by rejection sampling (no modulo bias).
#pragma once
#include <cstdint>
#include "status.h"

namespace orv {

// next(std::uint32_t* word) -> Status fills one uniform 32-bit word.
template <class WordSource>
Status DrawUniform(std::int32_t lower, std::int32_t upper, WordSource&& next, std::int32_t* out) {
  if (!out) return kPointer;
  if (lower > upper) return kInvalidArg;
  const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(upper) - lower) + 1;
  // Words at or above `limit` would favour the low residues; draw again.
  const std::uint64_t limit = (std::uint64_t{1} << 32) - ((std::uint64_t{1} << 32) % span);
  std::uint32_t word = 0;
  do {
    if (Status s = next(&word); Failed(s)) return s;
  } while (word >= limit);
  *out = static_cast<std::int32_t>(static_cast<std::int64_t>(lower) + static_cast<std::int64_t>(word % span));
  return kOk;
}

}  // namespace orv

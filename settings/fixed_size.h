// A fixed window size given in twips, as whole pixels. No Windows here, so
// the same arithmetic also builds natively.
#pragma once
#include <cmath>
#include <cstdint>

namespace orv {

enum class SizeFault { kNone, kOverflow, kDivisionByZero };

// `twips` rounded to a whole 32-bit number, integer-divided by
// `twipsPerPixel` rounded likewise (halves to even; the division truncates
// toward zero). The dividend is converted first, so a size that overflows is
// the fault even where the divisor rounds to zero. *pixels is set only
// without a fault.
inline SizeFault TwipsToPixels(float twips, float twipsPerPixel, std::int32_t* pixels) {
  auto round = [](float value, std::int32_t* out) {
    const double rounded = std::nearbyint(static_cast<double>(value));
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) return false;
    *out = static_cast<std::int32_t>(rounded);
    return true;
  };
  std::int32_t whole = 0, divisor = 0;
  if (!round(twips, &whole)) return SizeFault::kOverflow;
  if (!round(twipsPerPixel, &divisor)) return SizeFault::kOverflow;
  if (divisor == 0) return SizeFault::kDivisionByZero;
  if (whole == INT32_MIN && divisor == -1) return SizeFault::kOverflow;
  *pixels = whole / divisor;
  return SizeFault::kNone;
}

}  // namespace orv

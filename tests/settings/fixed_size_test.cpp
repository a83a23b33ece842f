// A fixed size in twips as pixels: rounding, truncation, and which fault wins
// when the size overflows and the divisor rounds to zero at once.
#include "settings/fixed_size.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orv {
namespace {

TEST(FixedSize, TwipsToPixels) {
  struct Case {
    float twips, perPixel;
    SizeFault fault;
    std::int32_t pixels;
  };
  const Case cases[] = {
      {4500, 15, SizeFault::kNone, 300},
      {10, 15, SizeFault::kNone, 0},        // less than a pixel
      {-4507, 15, SizeFault::kNone, -300},  // truncated toward zero
      {22.5f, 7.5f, SizeFault::kNone, 2},   // halves to even: 22 \ 8
      {3e10f, 15, SizeFault::kOverflow, 0},
      {3e10f, 0.4f, SizeFault::kOverflow, 0},  // the dividend is converted first
      {4500, 0.4f, SizeFault::kDivisionByZero, 0},
      {0, 0.5f, SizeFault::kDivisionByZero, 0},  // even the default size of 0
      {4500, 3e10f, SizeFault::kOverflow, 0},
      {-2147483648.0f, -1, SizeFault::kOverflow, 0},
      {NAN, 15, SizeFault::kOverflow, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.twips << " twips at " << c.perPixel << " per pixel");
    std::int32_t pixels = 77;
    EXPECT_EQ(TwipsToPixels(c.twips, c.perPixel, &pixels), c.fault);
    EXPECT_EQ(pixels, c.fault == SizeFault::kNone ? c.pixels : 77);
  }
}

}  // namespace
}  // namespace orv

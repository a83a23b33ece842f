#include "support/uniform.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "tests/common/chi_square.h"

namespace orv {
namespace {

// Hands out scripted words and counts how many were taken.
struct ScriptedWords {
  std::deque<std::uint32_t> words;
  int taken = 0;
  Status operator()(std::uint32_t* w) {
    if (words.empty()) return kFail;
    *w = words.front();
    words.pop_front();
    ++taken;
    return kOk;
  }
};

TEST(DrawUniform, RejectsTheBiasedTailOfTheWordRange) {
  // 2^32 mod 6 == 4: the four highest words would favour residues 0 to 3.
  ScriptedWords src{{0xFFFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFFBu}};
  std::int32_t out = 0;
  ASSERT_EQ(DrawUniform(1, 6, src, &out), kOk);
  EXPECT_EQ(src.taken, 3);
  EXPECT_EQ(out, 1 + static_cast<std::int32_t>(0xFFFFFFFBu % 6));
}

TEST(DrawUniform, PowerOfTwoRangesNeverReject) {
  ScriptedWords src{{0xFFFFFFFFu}};
  std::int32_t out = 0;
  ASSERT_EQ(DrawUniform(0, 255, src, &out), kOk);
  EXPECT_EQ(out, 255);
  EXPECT_EQ(src.taken, 1);
}

TEST(DrawUniform, FullAndExtremeRanges) {
  std::int32_t out = 0;
  ScriptedWords full{{0u, 0xFFFFFFFFu}};
  ASSERT_EQ(DrawUniform(INT32_MIN, INT32_MAX, full, &out), kOk);
  EXPECT_EQ(out, INT32_MIN);
  ASSERT_EQ(DrawUniform(INT32_MIN, INT32_MAX, full, &out), kOk);
  EXPECT_EQ(out, INT32_MAX);

  ScriptedWords single{{12345u}};
  ASSERT_EQ(DrawUniform(INT32_MAX, INT32_MAX, single, &out), kOk);
  EXPECT_EQ(out, INT32_MAX);
}

TEST(DrawUniform, BadBoundsFailWithoutDrawing) {
  ScriptedWords src{{1u}};
  std::int32_t out = 42;
  EXPECT_EQ(DrawUniform(2, 1, src, &out), kInvalidArg);
  EXPECT_EQ(DrawUniform(INT32_MAX, INT32_MIN, src, &out), kInvalidArg);
  EXPECT_EQ(DrawUniform(0, 1, src, nullptr), kPointer);
  EXPECT_EQ(out, 42);
  EXPECT_EQ(src.taken, 0);
}

TEST(DrawUniform, SourceFailureIsPassedOn) {
  ScriptedWords empty{};
  std::int32_t out = 42;
  EXPECT_EQ(DrawUniform(0, 9, empty, &out), kFail);
  EXPECT_EQ(out, 42);
}

// The goodness-of-fit check used on the real generator must itself notice
// bias: plain modulo over 3-bit words favours 1 and 2 among 1 to 6.
TEST(ChiSquare, DetectsModuloBias) {
  std::vector<std::uint64_t> counts(6);
  for (int i = 0; i < 60000; ++i) counts[static_cast<std::size_t>((i & 7) % 6)]++;
  EXPECT_LT(test::UniformChiSquare(counts).pValue, 1e-6);
}

TEST(ChiSquare, KnownQuantiles) {
  EXPECT_NEAR(test::UpperGammaQ(0.5, 3.841459 / 2), 0.05, 1e-6);    // 1 degree of freedom
  EXPECT_NEAR(test::UpperGammaQ(4.5, 21.66599 / 2), 0.01, 1e-6);    // 9 degrees of freedom
  EXPECT_NEAR(test::UpperGammaQ(127.5, 293.2478 / 2), 0.05, 1e-5);  // 255 degrees of freedom
}

}  // namespace
}  // namespace orv

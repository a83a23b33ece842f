#include "support/random.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/common/chi_square.h"

namespace orv {
namespace {

struct Range {
  std::int32_t lower, upper;
};

// Every range the system draws from, with a fixed sample size. The test fails
// only for real bias (p < 1e-6), not on an unlucky sample.
TEST(GetRnd, UniformOverEveryRangeTheSystemDraws) {
  constexpr int kSamplesPerBin = 2000;
  for (const Range r : {Range{0, 1}, {1, 6}, {1, 20}, {0, 9}, {0, 255}}) {
    const auto bins = static_cast<std::size_t>(r.upper - r.lower + 1);
    std::vector<std::uint64_t> counts(bins);
    for (std::size_t i = 0; i < bins * kSamplesPerBin; ++i) {
      std::int32_t v = -1;
      ASSERT_EQ(esGetRnd(r.lower, r.upper, 0, &v), kOk);
      ASSERT_GE(v, r.lower);
      ASSERT_LE(v, r.upper);
      counts[static_cast<std::size_t>(v - r.lower)]++;
    }
    const auto chi = test::UniformChiSquare(counts);
    EXPECT_GT(chi.pValue, 1e-6) << "range " << r.lower << ".." << r.upper << ": chi2 " << chi.statistic << " with "
                                << chi.degreesOfFreedom << " degrees of freedom";
  }
}

TEST(GetRnd, BothBoundsAreReached) {
  bool low = false, high = false;
  for (int i = 0; i < 2000 && !(low && high); ++i) {
    std::int32_t v = 0;
    ASSERT_EQ(esGetRnd(-3, 3, 0, &v), kOk);
    low |= v == -3;
    high |= v == 3;
  }
  EXPECT_TRUE(low && high);
}

TEST(GetRnd, BadArgumentsGiveAFailureStatus) {
  std::int32_t v = 99;
  EXPECT_EQ(esGetRnd(1, 0, 0, &v), kInvalidArg);
  EXPECT_EQ(esGetRnd(0, 9, 1, &v), kInvalidArg);
  EXPECT_EQ(v, 99);
  EXPECT_EQ(esGetRnd(0, 9, 0, nullptr), kPointer);
  ASSERT_EQ(esGetRnd(7, 7, 0, &v), kOk);
  EXPECT_EQ(v, 7);
}

}  // namespace
}  // namespace orv

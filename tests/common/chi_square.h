// Chi-square goodness of fit against the uniform distribution.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

namespace orv::test {

// Regularized upper incomplete gamma Q(a, x): series below a + 1,
// continued fraction (modified Lentz) above.
inline double UpperGammaQ(double a, double x) {
  if (x <= 0) return 1.0;
  const double logPrefix = a * std::log(x) - x - std::lgamma(a);
  if (x < a + 1) {
    double term = 1.0 / a, sum = term;
    for (int n = 1; n < 10000 && std::fabs(term) > std::fabs(sum) * 1e-15; ++n) {
      term *= x / (a + n);
      sum += term;
    }
    return 1.0 - sum * std::exp(logPrefix);
  }
  const double tiny = 1e-300;
  double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
  for (int i = 1; i < 10000; ++i) {
    const double an = -i * (i - a);
    b += 2;
    d = an * d + b;
    if (std::fabs(d) < tiny) d = tiny;
    c = b + an / c;
    if (std::fabs(c) < tiny) c = tiny;
    d = 1 / d;
    const double delta = d * c;
    h *= delta;
    if (std::fabs(delta - 1) < 1e-15) break;
  }
  return std::exp(logPrefix) * h;
}

struct ChiSquare {
  double statistic;
  int degreesOfFreedom;
  double pValue;
};

inline ChiSquare UniformChiSquare(const std::vector<std::uint64_t>& counts) {
  std::uint64_t total = 0;
  for (auto c : counts) total += c;
  const double expected = static_cast<double>(total) / static_cast<double>(counts.size());
  double stat = 0;
  for (auto c : counts) {
    const double diff = static_cast<double>(c) - expected;
    stat += diff * diff / expected;
  }
  const int dof = static_cast<int>(counts.size()) - 1;
  return {stat, dof, UpperGammaQ(dof / 2.0, stat / 2.0)};
}

}  // namespace orv::test

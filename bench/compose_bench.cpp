// Passwords per second of the composition rule drawing from the system's
// cryptographic generator, and the entropy of the default shape.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "generator/compose_password.h"
#include "support/random.h"

namespace {

using orv::ComposePassword;

// Shannon entropy and min-entropy in bits of passwords of the given shape:
// the coin picks the start alphabet, every position is then independent.
struct Entropy {
  double shannon, minimum;
};

Entropy ShapeEntropy(const std::vector<std::int32_t>& shape) {
  const double c = std::log2(static_cast<double>(orv::kConsonants.size()));
  const double v = std::log2(static_cast<double>(orv::kVowels.size()));
  double bitsConsonantFirst = 0, bitsVowelFirst = 0;
  for (std::size_t k = 0; k + 1 < shape.size(); ++k) {
    const int len = shape[k] > 0 ? shape[k] : 0;
    const int even = (len + 1) / 2, odd = len / 2;
    bitsConsonantFirst += even * c + odd * v;
    bitsVowelFirst += even * v + odd * c;
  }
  const double digits = (shape.empty() ? 0 : std::max(shape.back(), 0)) * std::log2(10.0);
  // Each coin outcome has probability 1/2; the smaller set holds the likeliest passwords.
  return {1 + (bitsConsonantFirst + bitsVowelFirst) / 2 + digits,
          1 + std::min(bitsConsonantFirst, bitsVowelFirst) + digits};
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

double PasswordsPerSecond(const std::vector<std::int32_t>& shape, long count) {
  const orv::RandomDraw draw = [](std::int32_t lo, std::int32_t hi, std::int32_t* out) {
    return orv::esGetRnd(lo, hi, 0, out);
  };
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  std::size_t chars = 0;
  for (long i = 0; i < count; ++i) {
    std::wstring pw;
    if (ComposePassword(shape, draw, &pw) < 0) {
      std::fprintf(stderr, "composition failed\n");
      std::exit(1);
    }
    chars += pw.size();
  }
  QueryPerformanceCounter(&b);
  if (chars == 0) std::exit(1);
  return static_cast<double>(count) / Seconds(a, b, f);
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 200000;
  const std::vector<std::int32_t> defaultShape{5, 5, 5, 4};
  std::vector<std::int32_t> largest(10, 20);
  largest.push_back(20);

  const Entropy e = ShapeEntropy(defaultShape);
  std::printf("default_shape_per_second %.0f\n", PasswordsPerSecond(defaultShape, count));
  std::printf("largest_shape_per_second %.0f\n", PasswordsPerSecond(largest, count / 10));
  std::printf("default_shape_entropy_bits %.2f\n", e.shannon);
  std::printf("default_shape_min_entropy_bits %.2f\n", e.minimum);
  return 0;
}

// A natural number of any size, for exact counts of passwords: a count of
// hundreds of bits must round to whole bits and time units without a
// floating-point error landing it on the wrong side of an integer.
#pragma once
#include <cstdint>
#include <vector>

namespace orv {

class BigNatural {
 public:
  explicit BigNatural(std::uint32_t value = 0) {
    if (value) limbs_.push_back(value);
  }

  static BigNatural PowerOfTwo(unsigned exponent) {
    BigNatural n;
    n.limbs_.assign(exponent / 32 + 1, 0);
    n.limbs_.back() = std::uint32_t{1} << (exponent % 32);
    return n;
  }

  void Multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      carry += std::uint64_t{limb} * factor;
      limb = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry) limbs_.push_back(static_cast<std::uint32_t>(carry));
    Trim();
  }

  // Multiplies by base^exponent, as few limb passes as 32 bits allow.
  void MultiplyPower(std::uint32_t base, std::int64_t exponent) {
    for (; exponent > 0; --exponent) {
      std::uint64_t chunk = base;
      while (exponent > 1 && chunk * base <= UINT32_MAX) {
        chunk *= base;
        --exponent;
      }
      Multiply(static_cast<std::uint32_t>(chunk));
    }
  }

  // Rounds down. `divisor` must not be 0.
  void Divide(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (auto limb = limbs_.rbegin(); limb != limbs_.rend(); ++limb) {
      remainder = (remainder << 32) | *limb;
      *limb = static_cast<std::uint32_t>(remainder / divisor);
      remainder %= divisor;
    }
    Trim();
  }

  bool IsZero() const { return limbs_.empty(); }
  bool FitsIn32() const { return limbs_.size() <= 1; }
  // The value when FitsIn32.
  std::uint32_t Low() const { return limbs_.empty() ? 0 : limbs_.front(); }

  // Index of the highest set bit plus one; 0 for zero. floor(log2(n)) is BitLength() - 1.
  std::int64_t BitLength() const {
    if (limbs_.empty()) return 0;
    std::int64_t bits = static_cast<std::int64_t>(limbs_.size() - 1) * 32;
    for (std::uint32_t top = limbs_.back(); top; top >>= 1) ++bits;
    return bits;
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<std::uint32_t> limbs_;  // least significant first, no zero limb on top
};

}  // namespace orv

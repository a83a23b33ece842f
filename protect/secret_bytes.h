// Byte buffers that may hold a password in plain text. Their memory is wiped
// before it goes back to the heap, including the blocks a growing vector
// leaves behind. No Windows API here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace orv {

// Overwrites memory in a way the optimiser may not drop.
void WipeMemory(void* data, std::size_t size) noexcept;

template <class T>
struct WipingAllocator {
  using value_type = T;
  WipingAllocator() = default;
  template <class U>
  WipingAllocator(const WipingAllocator<U>&) noexcept {}  // NOLINT: rebinding

  T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n) noexcept {
    WipeMemory(p, n * sizeof(T));
    std::allocator<T>().deallocate(p, n);
  }
  template <class U>
  bool operator==(const WipingAllocator<U>&) const noexcept {
    return true;
  }
};

using SecretBytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;

}  // namespace orv

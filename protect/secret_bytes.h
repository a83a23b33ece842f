// Buffers that may hold a password in plain text: bytes and wide text. Their
// memory is wiped before it goes back to the heap, including the blocks a
// growing vector leaves behind, so no path that frees them can forget it.
// No Windows API here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>
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

// A password as text. Always on the heap: a std::wstring keeps short texts
// inside the object itself, where no allocator sees them to wipe them.
class SecretString {
 public:
  SecretString() = default;
  explicit SecretString(std::wstring_view text) : chars_(text.begin(), text.end()) {}
  // `size` NUL characters, to be filled through data().
  explicit SecretString(std::size_t size) : chars_(size) {}

  wchar_t* data() { return chars_.data(); }
  std::size_t size() const { return chars_.size(); }
  bool empty() const { return chars_.empty(); }
  std::wstring_view view() const { return {chars_.data(), chars_.size()}; }

  friend bool operator==(const SecretString& a, std::wstring_view b) { return a.view() == b; }

 private:
  std::vector<wchar_t, WipingAllocator<wchar_t>> chars_;
};

}  // namespace orv

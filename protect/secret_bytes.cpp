#include "secret_bytes.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace orv {

void WipeMemory(void* data, std::size_t size) noexcept {
  if (!data || size == 0) return;
#ifdef _WIN32
  SecureZeroMemory(data, size);
#else
  // Volatile stores are not removed as dead writes before a free.
  auto* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
#endif
}

}  // namespace orv

#include "random.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <cstddef>

#include "uniform.h"

namespace orv {
namespace {

// Calls into the generator are costly; fetch words in blocks. One pool per
// thread, so apartments never share it and no lock is needed.
class RandomPool {
 public:
  Status Next(std::uint32_t* word) {
    if (pos_ == words_.size()) {
      const NTSTATUS nt = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(words_.data()),
                                          static_cast<ULONG>(sizeof(words_)), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
      if (nt < 0) return HRESULT_FROM_NT(nt);
      pos_ = 0;
    }
    *word = words_[pos_];
    words_[pos_++] = 0;  // drawn words do not linger in memory
    return kOk;
  }

 private:
  std::array<std::uint32_t, 256> words_{};
  std::size_t pos_ = words_.size();
};

thread_local RandomPool t_pool;

}  // namespace

Status esGetRnd(std::int32_t lower, std::int32_t upper, std::int32_t reserved, std::int32_t* out) {
  if (reserved != 0) return kInvalidArg;
  return DrawUniform(
      lower, upper, [](std::uint32_t* w) { return t_pool.Next(w); }, out);
}

}  // namespace orv

#include "random.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <cstddef>

#include "system_entry.h"
#include "uniform.h"

namespace orv {
namespace {

// bcrypt is loaded by the first number drawn, not with the program: a
// program that only shows its window never draws one.
NTSTATUS GenRandom(void* buffer, ULONG size) {
  static const auto genRandom = SystemEntry<decltype(&BCryptGenRandom)>(L"bcrypt.dll", "BCryptGenRandom");
  constexpr NTSTATUS kProcedureNotFound = static_cast<NTSTATUS>(0xC000007A);
  if (!genRandom) return kProcedureNotFound;
  return genRandom(nullptr, static_cast<PUCHAR>(buffer), size, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
}

// Calls into the generator are costly; fetch words in blocks. One pool per
// thread, so apartments never share it and no lock is needed.
class RandomPool {
 public:
  Status Next(std::uint32_t* word) {
    if (pos_ == words_.size()) {
      const NTSTATUS nt = GenRandom(words_.data(), static_cast<ULONG>(sizeof(words_)));
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

// Feeds arbitrary text to the scrambled-form reader and checks, for any
// input, that it accepts exactly the texts of whole groups whose first pair
// is hex, whatever the filler, and that scrambling the result again reads
// back the same bytes.
#include <cstdlib>

#include "protect/secret_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f'); }

int HexValue(wchar_t c) { return c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::wstring text(data, data + size);

  orv::SecretBytes ansi = {0xAA};
  const bool ok = orv::UnscrambleToAnsi(text, &ansi);
  bool shape = text.size() % 4 == 0;
  for (std::size_t p = 0; shape && p < text.size(); p += 4) shape = IsHexDigit(text[p]) && IsHexDigit(text[p + 1]);
  Require(ok == shape);
  if (!ok) {
    Require(ansi.empty());
    return 0;
  }
  const std::size_t count = text.size() / 4;
  Require(ansi.size() == count);
  for (std::size_t g = 0; g < count; ++g) {
    Require(ansi[count - 1 - g] == 255 - (HexValue(text[4 * g]) << 4 | HexValue(text[4 * g + 1])));
  }

  const std::vector<std::int32_t> codes(ansi.begin(), ansi.end());
  std::wstring scrambled;
  std::size_t next = 0;
  const auto filler = [&](std::uint8_t* b) {
    *b = data[next++ % size];
    return orv::kOk;
  };
  Require(orv::ScrambleAnsiCodes(codes, filler, &scrambled) == orv::kOk);
  orv::SecretBytes back;
  Require(orv::UnscrambleToAnsi(scrambled, &back) && back == ansi);
  return 0;
}

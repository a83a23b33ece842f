// Feeds arbitrary text to HexToBytes and checks, for any input, that it
// accepts exactly the even-length texts of ASCII hex digits and that what it
// accepts writes back as the same text in upper case.
#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "protect/secret_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  // One character per byte; the top sixteen stand for full-width digits and
  // signs, which only a locale-aware reader would take.
  std::wstring text;
  for (std::size_t i = 0; i < size; ++i) text += data[i] < 0xF0 ? wchar_t{data[i]} : wchar_t(0xFF10 + (data[i] & 0x0F));

  orv::SecretBytes bytes = {0xAA};
  const bool ok = orv::HexToBytes(text, &bytes);
  Require(ok == (text.size() % 2 == 0 && std::all_of(text.begin(), text.end(), IsHexDigit)));
  if (!ok) {
    Require(bytes.empty());
    return 0;
  }
  Require(bytes.size() == text.size() / 2);
  std::wstring again;
  Require(orv::BytesToHex(bytes, &again) == !bytes.empty());
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
  Require(again == text);
  return 0;
}

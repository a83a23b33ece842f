#include "secret_text.h"

#include <algorithm>

#include "support/text_routines.h"

namespace orv {
namespace {

// Only the ASCII digits and letters: locale-aware tests would let full-width
// digits through.
int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

bool ReadHexPair(wchar_t high, wchar_t low, std::uint8_t* value) {
  const int h = HexDigitValue(high), l = HexDigitValue(low);
  if (h < 0 || l < 0) return false;
  *value = static_cast<std::uint8_t>(h << 4 | l);
  return true;
}

}  // namespace

bool BytesToHex(std::span<const std::uint8_t> bytes, std::wstring* text) {
  text->clear();
  if (bytes.empty()) return false;
  text->reserve(bytes.size() * 2);
  std::wstring pair;
  for (const std::uint8_t b : bytes) {
    esHex1(b, &pair);  // cannot fail with an output
    *text += pair;
  }
  return true;
}

bool HexToBytes(std::wstring_view text, SecretBytes* bytes) {
  bytes->clear();
  if (text.size() % 2 != 0) return false;
  bytes->resize(text.size() / 2);
  for (std::size_t i = 0; i < bytes->size(); ++i) {
    if (!ReadHexPair(text[2 * i], text[2 * i + 1], &(*bytes)[i])) {
      bytes->clear();
      return false;
    }
  }
  return true;
}

Status ScrambleAnsiCodes(std::span<const std::int32_t> codes, const RandomByteSource& random, std::wstring* text) {
  if (std::any_of(codes.begin(), codes.end(), [](std::int32_t c) { return c < 0 || c > 255; })) return kOverflow;
  std::wstring result, pair;
  result.reserve(codes.size() * 4);
  for (auto c = codes.rbegin(); c != codes.rend(); ++c) {
    std::uint8_t filler = 0;
    if (Status s = random(&filler); Failed(s)) return s;
    esHex1(static_cast<std::uint8_t>(255 - *c), &pair);
    result += pair;
    esHex1(filler, &pair);
    result += pair;
  }
  *text = std::move(result);
  return kOk;
}

bool UnscrambleToAnsi(std::wstring_view text, SecretBytes* ansi) {
  ansi->clear();
  if (text.size() % 4 != 0) return false;
  const std::size_t count = text.size() / 4;
  ansi->resize(count);
  for (std::size_t g = 0; g < count; ++g) {
    std::uint8_t v = 0;
    if (!ReadHexPair(text[4 * g], text[4 * g + 1], &v)) {
      ansi->clear();
      return false;
    }
    (*ansi)[count - 1 - g] = static_cast<std::uint8_t>(255 - v);
  }
  return true;
}

bool DecodeProtectedText(std::wstring_view text, const UnprotectStep& unprotect, SecretBytes* ansi) {
  ansi->clear();
  if (text.empty() || (text[0] != L'Z' && text[0] != L'z')) return false;
  SecretBytes blob;
  // An empty blob is refused by the service wrapper without a call.
  if (!HexToBytes(text.substr(1), &blob) || blob.empty()) return false;
  if (!unprotect(blob, ansi)) {
    ansi->clear();
    return false;
  }
  return true;
}

StoredSecret DecodeStoredText(std::wstring_view text, const UnprotectStep& unprotect) {
  StoredSecret secret;
  if (text.empty()) return secret;
  if (DecodeProtectedText(text, unprotect, &secret.ansi) && !secret.ansi.empty()) {
    secret.form = StoredForm::kProtected;
  } else if (UnscrambleToAnsi(text, &secret.ansi)) {
    secret.form = StoredForm::kScrambled;
  }
  return secret;
}

}  // namespace orv

// Feeds arbitrary stored password texts through the whole decode path, with
// a stand-in for the data-protection service, and checks for any input that
// the service sees only the non-empty blob a protected form spells, and that
// the form chosen is the one the text's shape allows.
#include <algorithm>
#include <cstdlib>

#include "protect/secret_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::wstring text(data, data + size);

  // The stand-in restores a blob to its bytes after the first, and refuses
  // a blob whose first byte is odd.
  std::size_t calls = 0;
  orv::SecretBytes seen;
  const orv::UnprotectStep unprotect = [&](std::span<const std::uint8_t> blob, orv::SecretBytes* plain) {
    Require(!blob.empty());
    ++calls;
    seen.assign(blob.begin(), blob.end());
    if (blob[0] & 1) return false;
    plain->assign(blob.begin() + 1, blob.end());
    return true;
  };
  const orv::StoredSecret secret = orv::DecodeStoredText(text, unprotect);

  orv::SecretBytes blob;
  const bool protectedShape = !text.empty() && (text[0] == L'Z' || text[0] == L'z') &&
                              orv::HexToBytes(std::wstring_view(text).substr(1), &blob) && !blob.empty();
  Require(calls == (protectedShape ? 1u : 0u));
  if (protectedShape) Require(seen == blob);
  const bool restores = protectedShape && !(blob[0] & 1) && blob.size() > 1;

  orv::SecretBytes scrambled;
  const bool scrambledShape = !text.empty() && orv::UnscrambleToAnsi(text, &scrambled);
  Require(!(protectedShape && scrambledShape));  // "Z" is no hex digit

  if (restores) {
    Require(secret.form == orv::StoredForm::kProtected);
    Require(std::equal(secret.ansi.begin(), secret.ansi.end(), blob.begin() + 1, blob.end()));
  } else if (scrambledShape) {
    Require(secret.form == orv::StoredForm::kScrambled && secret.ansi == scrambled);
  } else {
    Require(secret.form == orv::StoredForm::kNone && secret.ansi.empty());
  }
  return 0;
}

// The text forms of stored passwords, at the level of ANSI bytes: hexadecimal
// text of a protected blob and the scrambled form. No Windows API here, so the
// decoders of stored text also build natively for sanitizer and fuzz runs.
//
// Scrambled form: four characters per password character, the group of the
// last character first. A group is two hex digits of 255 minus the
// character's ANSI code, then two hex digits of a random byte that carries
// nothing and is never read.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "protect/secret_bytes.h"
#include "support/status.h"

namespace orv {

// Two upper-case hex digits per byte, in order. False, with an empty text,
// when there are no bytes.
bool BytesToHex(std::span<const std::uint8_t> bytes, std::wstring* text);

// Each pair of hex digits (either case) becomes one byte; the empty text is
// no bytes and true. False for an odd length or a pair that is not hex, and
// then *bytes is empty.
bool HexToBytes(std::wstring_view text, SecretBytes* bytes);

// Fills one random byte; a failing status stops the scrambling.
using RandomByteSource = std::function<Status(std::uint8_t*)>;

// The scrambled form of the characters whose ANSI codes are `codes`, in
// password order. kOverflow, with *text untouched, when a code is outside
// 0-255 (a double-byte character): 255 minus it does not fit a byte.
Status ScrambleAnsiCodes(std::span<const std::int32_t> codes, const RandomByteSource& random, std::wstring* text);

// The ANSI bytes of a scrambled form, in password order. False, with *ansi
// empty, when the length is not a multiple of 4 or a first pair of a group is
// not hex; the filler pairs are never looked at.
bool UnscrambleToAnsi(std::wstring_view text, SecretBytes* ansi);

// The unprotect step of the data-protection service: protected blob in,
// plain bytes out; false when the blob cannot be restored.
using UnprotectStep = std::function<bool(std::span<const std::uint8_t> blob, SecretBytes* plain)>;

// The plain ANSI bytes of a protected form: "Z" or "z", then the blob in hex.
// False, with *ansi empty, when the text is not of that shape or the blob
// does not unprotect. `unprotect` is called only with a non-empty blob.
bool DecodeProtectedText(std::wstring_view text, const UnprotectStep& unprotect, SecretBytes* ansi);

enum class StoredForm { kNone, kProtected, kScrambled };

// What a stored text holds: the protected form when it restores to at least
// one byte, else the scrambled form when it reads as one, else nothing. The
// form matters because the two are turned back into text differently.
struct StoredSecret {
  StoredForm form = StoredForm::kNone;
  SecretBytes ansi;
};
StoredSecret DecodeStoredText(std::wstring_view text, const UnprotectStep& unprotect);

}  // namespace orv

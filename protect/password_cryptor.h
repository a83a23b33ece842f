// modPasswordCryptor: the stored forms of a password. The settings store
// includes this header.
//
// A stored text is empty, the protected form ("Z" and the hex of a blob of
// the data-protection service) or the scrambled form (groups of four hex
// digits). Both forms hold the password's characters in the system's ANSI
// code page; a character the code page cannot represent comes back as its
// substitute ("?" in code page 1252). Plain passwords come back as
// SecretString, whose memory is wiped whichever way it is freed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "protect/secret_bytes.h"
#include "protect/secret_text.h"  // BytesToHex, HexToBytes
#include "support/status.h"

namespace orv {

// Mode 0 stores the scrambled form; 1 and 2 the protected form for the
// machine or for the current user, scrambled when protection fails; any
// other mode and the empty password store the empty text. Fails only as
// ScramblePassword does, and then *stored is untouched.
Status EncodePassword(std::wstring_view password, std::int32_t mode, std::wstring* stored);

// The password of a stored text in any form, or the empty string when the
// text is empty or cannot be read (another user's protected form, damage).
SecretString DecodePassword(const std::wstring& stored);

// The protected form, or the empty string on any failure.
std::wstring EncodeProtectedPassword(std::wstring_view password, bool localMachine);

// The password of a protected form ("Z" or "z" first), or the empty string
// when the text is of another shape or does not restore.
SecretString DecodeProtectedPassword(const std::wstring& stored);

// The scrambled form, different on every call. kOverflow when a character
// has a double-byte ANSI code; a Windows error status (or kFail) when a
// character does not convert; a failure of the random generator (an NT
// status) as it comes. *stored is untouched on failure.
Status ScramblePassword(std::wstring_view password, std::wstring* stored);

// What a failing status of EncodePassword says about the password, as the
// end of a sentence whose subject is the password: "has a character that the
// system's code page cannot store in one byte." for the overflow alone.
const wchar_t* DescribeEncodeFailure(Status status);

// The password of a scrambled form, or the empty string when the text is not
// one (length not a multiple of 4, a non-hex code pair, a code the code page
// cannot turn back into a character).
SecretString UnscramblePassword(const std::wstring& stored);

}  // namespace orv

// Status codes of the support routines. They are HRESULT values, so a caller
// at a COM boundary can raise a failing status unchanged. Negative is failure.
#pragma once
#include <cstdint>

namespace orv {

using Status = std::int32_t;

inline constexpr Status kOk = 0;
inline constexpr Status kFail = static_cast<Status>(0x80004005);         // E_FAIL
inline constexpr Status kInvalidArg = static_cast<Status>(0x80070057);   // E_INVALIDARG
inline constexpr Status kPointer = static_cast<Status>(0x80004003);      // E_POINTER
inline constexpr Status kOutOfMemory = static_cast<Status>(0x8007000E);  // E_OUTOFMEMORY
inline constexpr Status kUnexpected = static_cast<Status>(0x8000FFFF);   // E_UNEXPECTED
// The automation runtime's overflow error, number 6 ("Overflow"): the one
// error for a number that does not fit, whichever routine finds it.
inline constexpr Status kOverflow = static_cast<Status>(0x800A0006);

constexpr bool Failed(Status s) { return s < 0; }

}  // namespace orv

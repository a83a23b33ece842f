// The automation runtime's own error numbers (facility "control", 0x800A....)
// that the library raises where the runtime itself would: one name each.
#pragma once
#include "support/status.h"

namespace orv {

inline constexpr Status kInvalidProcedureCall =
    static_cast<Status>(0x800A0005);  // 5 "Invalid procedure call or argument"
// kOverflow (6) lives in support/status.h: support routines report it too.
inline constexpr Status kSubscriptOutOfRange = static_cast<Status>(0x800A0009);  // 9
inline constexpr Status kDivByZero = static_cast<Status>(0x800A000B);            // 11 "Division by zero"
inline constexpr Status kObjectNotSet = static_cast<Status>(0x800A005B);         // 91 "Object variable not set"
inline constexpr Status kObjectRequired = static_cast<Status>(0x800A01A8);       // 424 "Object required"

}  // namespace orv

// Support routines that ask the operating system about itself.
#pragma once
#include <cstdint>
#include "status.h"

namespace orv {

using VbBool = std::int16_t;  // automation Boolean: True is -1, False is 0
inline constexpr VbBool kVbTrue = -1;
inline constexpr VbBool kVbFalse = 0;

// True when the wide-character registry entry points can be used (every NT system).
Status esIsUnicodeAvailable(VbBool* out);

// True only inside the development environment; a built program is never there.
Status esIsInIDE(VbBool* out);

// True when the data-protection service exists (Windows 2000, NT 5.0, and later).
Status esIsHostWin2000_OrHigher(VbBool* out);

}  // namespace orv

// Support routines about the screen. Each returns a Status (negative is
// failure) and delivers its value through the trailing argument.
#pragma once
#include <windows.h>

#include "status.h"

namespace orv {

// Keeps a restored window reachable (NormalizeRestoredRect) on the monitor
// nearest to it. `rect` is a restored position as SetWindowPlacement takes
// it for a top-level window: in workspace coordinates. Changed in place;
// untouched on failure.
Status esNormalizeRect(RECT* rect);

// Twips (1/1440 inch) in one screen pixel, horizontally and vertically: 15
// at 96 logical pixels per inch.
Status esScreenTwipsPerPixelX(float* out);
Status esScreenTwipsPerPixelY(float* out);

}  // namespace orv

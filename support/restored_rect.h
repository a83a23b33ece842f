// Where a restored window may go: a stored rectangle kept reachable on the
// screen it lands on. No Windows here, so it also builds natively.
#pragma once
#include <cstdint>

namespace orv {

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// How much of a window's top edge a person needs to take hold of it.
struct Grip {
  std::int32_t width = 0;   // visible length of the title strip
  std::int32_t height = 0;  // depth of the title strip
};

// A restored-window rectangle `stored`, in workspace coordinates of the
// monitor `monitor` whose work area is `work` (both in screen coordinates),
// made reachable: left exactly as stored when it lies wholly in the work
// area or its title strip can be grabbed there; moved onto the work area,
// keeping its size unless it is larger, when it shows nowhere in it; and
// moved, size likewise, until the title strip can be grabbed otherwise.
// Workspace coordinates are screen coordinates less the work area's offset
// from the monitor's origin (a task bar at the top or left moves them).
Rect NormalizeRestoredRect(const Rect& stored, const Rect& monitor, const Rect& work, Grip grip);

}  // namespace orv

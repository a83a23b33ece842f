#include "restored_rect.h"

#include <algorithm>
#include <limits>

namespace orv {
namespace {

// 64-bit throughout: stored rectangles are outside data and may hold any value.
struct Box {
  std::int64_t left, top, right, bottom;
  std::int64_t Width() const { return right - left; }
  std::int64_t Height() const { return bottom - top; }
};

Box Widen(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

std::int32_t Narrow(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool Inside(const Box& r, const Box& area) {
  return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

bool Overlaps(const Box& r, const Box& area) {
  return std::max(r.left, area.left) < std::min(r.right, area.right) &&
         std::max(r.top, area.top) < std::min(r.bottom, area.bottom);
}

// At least the grip's width of the strip visible, and the strip's depth below the top.
bool TitleReachable(const Box& r, const Box& area, std::int64_t gripWidth, std::int64_t gripHeight) {
  const std::int64_t shown = std::min(r.right, area.right) - std::max(r.left, area.left);
  return r.top >= area.top && r.top + gripHeight <= area.bottom && shown >= gripWidth;
}

std::int64_t Clamp(std::int64_t v, std::int64_t low, std::int64_t high) { return std::max(low, std::min(v, high)); }

}  // namespace

Rect NormalizeRestoredRect(const Rect& stored, const Rect& monitor, const Rect& work, Grip grip) {
  const Box area = Widen(work);
  const std::int64_t dx = std::int64_t{work.left} - monitor.left, dy = std::int64_t{work.top} - monitor.top;
  const Box in = Widen(stored);
  const Box r{in.left + dx, in.top + dy, in.right + dx, in.bottom + dy};  // in screen coordinates
  const std::int64_t areaWidth = std::max<std::int64_t>(area.Width(), 0);
  const std::int64_t areaHeight = std::max<std::int64_t>(area.Height(), 0);
  // A rectangle turned inside out counts as empty.
  const std::int64_t width = std::min(std::max<std::int64_t>(r.Width(), 0), areaWidth);
  const std::int64_t height = std::min(std::max<std::int64_t>(r.Height(), 0), areaHeight);
  const std::int64_t gripWidth = std::min<std::int64_t>(std::max(grip.width, 1), std::max<std::int64_t>(width, 1));
  const std::int64_t gripHeight = std::min<std::int64_t>(std::max(grip.height, 1), areaHeight);

  if (Inside(r, area)) return stored;
  std::int64_t left, top;
  if (!Overlaps(r, area)) {
    left = Clamp(r.left, area.left, area.right - width);
    top = Clamp(r.top, area.top, area.bottom - height);
  } else if (TitleReachable(r, area, gripWidth, gripHeight)) {
    return stored;
  } else {
    // Grabbable where the size is kept; wholly on the area where it had to shrink.
    left = r.Width() > areaWidth ? area.left : Clamp(r.left, area.left + gripWidth - width, area.right - gripWidth);
    top = r.Height() > areaHeight ? area.top : Clamp(r.top, area.top, area.bottom - std::min(gripHeight, height));
  }
  return {Narrow(left - dx), Narrow(top - dy), Narrow(left + width - dx), Narrow(top + height - dy)};
}

}  // namespace orv

// Restored positions kept reachable, on one monitor 0,0-1920,1080 whose
// task bar takes 40 pixels at the edge each case names.
#include "support/restored_rect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace orv {
namespace {

constexpr Rect kMonitor{0, 0, 1920, 1080};
constexpr Grip kGrip{60, 30};
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Case {
  const char* what;
  Rect work;
  Rect stored;  // workspace coordinates
  Rect expected;
};

TEST(NormalizeRestoredRect, KeepsVisibleAndMovesUnreachable) {
  const Rect bottomBar{0, 0, 1920, 1040}, topBar{0, 40, 1920, 1080}, leftBar{40, 0, 1920, 1080};
  const Case cases[] = {
      {"wholly visible: untouched", bottomBar, {100, 100, 500, 400}, {100, 100, 500, 400}},
      {"exactly the work area", bottomBar, {0, 0, 1920, 1040}, {0, 0, 1920, 1040}},
      {"visible, task bar on top: workspace origin", topBar, {0, 0, 400, 300}, {0, 0, 400, 300}},
      {"partly off the right, title reachable", bottomBar, {1800, 100, 2400, 500}, {1800, 100, 2400, 500}},
      {"far to the right: onto the edge, same size", bottomBar, {5000, 200, 5400, 500}, {1520, 200, 1920, 500}},
      {"far up and left", bottomBar, {-3000, -3000, -2600, -2700}, {0, 0, 400, 300}},
      {"below, under a top task bar", topBar, {100, 2000, 500, 2300}, {100, 740, 500, 1040}},
      {"off to the left of a left task bar", leftBar, {-900, 100, -500, 400}, {0, 100, 400, 400}},
      {"larger than the work area and off it: shrunk", bottomBar, {3000, 0, 6000, 2000}, {0, 0, 1920, 1040}},
      {"title above the top edge", bottomBar, {100, -50, 500, 300}, {100, 0, 500, 350}},
      {"title under the task bar", bottomBar, {100, 1030, 500, 1300}, {100, 1010, 500, 1280}},
      {"only a sliver on the left", bottomBar, {-390, 100, 10, 400}, {-340, 100, 60, 400}},
      {"inside out: an empty rectangle moved", bottomBar, {3000, 3000, 2000, 2000}, {1920, 1040, 1920, 1040}},
      {"extreme values", bottomBar, {kMin, kMin, kMax, kMax}, {0, 0, 1920, 1040}},
      {"extreme and far off", bottomBar, {kMax, kMax, kMax, kMax}, {1920, 1040, 1920, 1040}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Rect r = NormalizeRestoredRect(c.stored, kMonitor, c.work, kGrip);
    EXPECT_EQ(r, c.expected) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

// A second monitor to the left of the primary: its coordinates are negative.
TEST(NormalizeRestoredRect, WorksInNegativeMonitorCoordinates) {
  const Rect monitor{-1280, 0, 0, 1024}, work{-1280, 0, 0, 984};
  EXPECT_EQ(NormalizeRestoredRect({-1000, 100, -600, 400}, monitor, work, kGrip), (Rect{-1000, 100, -600, 400}));
  EXPECT_EQ(NormalizeRestoredRect({-5000, 100, -4600, 400}, monitor, work, kGrip), (Rect{-1280, 100, -880, 400}));
}

}  // namespace
}  // namespace orv

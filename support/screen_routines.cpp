#include "screen_routines.h"

#include "com_types.h"
#include "restored_rect.h"
#include "win_status.h"

namespace orv {
namespace {

Status TwipsPerPixel(int axis, float* out) {
  if (!out) return kPointer;
  ScreenDcHandle dc(GetDC(nullptr));
  if (!dc) return kFail;
  const int perInch = GetDeviceCaps(dc.Get(), axis);
  if (perInch <= 0) return kFail;
  *out = 1440.0f / static_cast<float>(perInch);
  return kOk;
}

}  // namespace

Status esNormalizeRect(RECT* rect) {
  if (!rect) return kPointer;
  // The same monitor SetWindowPlacement places the rectangle on.
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST), &info)) return LastErrorStatus();
  const Grip grip{GetSystemMetrics(SM_CXMINTRACK) / 2, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME)};
  const auto in = [](const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; };
  const Rect out = NormalizeRestoredRect(in(*rect), in(info.rcMonitor), in(info.rcWork), grip);
  *rect = RECT{out.left, out.top, out.right, out.bottom};
  return kOk;
}

Status esScreenTwipsPerPixelX(float* out) { return TwipsPerPixel(LOGPIXELSX, out); }
Status esScreenTwipsPerPixelY(float* out) { return TwipsPerPixel(LOGPIXELSY, out); }

}  // namespace orv

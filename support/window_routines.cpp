#include "window_routines.h"

#include <algorithm>

#include "app_routines.h"

#include "win_status.h"

namespace orv {
namespace {

constexpr wchar_t kOwnerClass[] = L"OrvaneProgramOwner";

HWND g_owner = nullptr;

Status RegisterOwnerClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = kOwnerClass;
  if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return kOk;
  return LastErrorStatus();
}

// The program's file name without its extension: the owner window's title.
std::wstring ProgramBaseName() {
  std::wstring name;
  if (Failed(GetProgramPath(&name))) return name;
  name.erase(0, name.find_last_of(L"\\/") + 1);
  if (const auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
  return name;
}

struct ContainerFix {
  std::int32_t changed = 0;
};

BOOL CALLBACK FixChild(HWND child, LPARAM param) {
  const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(child, GWL_EXSTYLE);
  const bool holdsControls = GetWindow(child, GW_CHILD) != nullptr;
  if (holdsControls && !(style & WS_TABSTOP) && !(exStyle & WS_EX_CONTROLPARENT)) {
    SetWindowLongPtrW(child, GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
    ++reinterpret_cast<ContainerFix*>(param)->changed;
  }
  return TRUE;
}

BOOL CALLBACK FixTopLevel(HWND window, LPARAM param) {
  EnumChildWindows(window, FixChild, param);  // every descendant, not only direct children
  return TRUE;
}

}  // namespace

Status esGetThunderMainHandle(HWND* out) {
  if (!out) return kPointer;
  if (g_owner && IsWindow(g_owner)) {
    *out = g_owner;
    return kOk;
  }
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (Status s = RegisterOwnerClass(instance); Failed(s)) return s;
  // Never shown: a top-level window, so that it can own other top-level windows.
  HWND owner = CreateWindowExW(0, kOwnerClass, ProgramBaseName().c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               instance, nullptr);
  if (!owner) return LastErrorStatus();
  g_owner = owner;
  *out = owner;
  return kOk;
}

Status asSetWindowResIconAll(HWND window, const std::wstring& resourceName) {
  if (!IsWindow(window)) return kInvalidArg;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  // Shared icons stay loaded for the process; the window never has to free them.
  auto load = [&](int cx, int cy) {
    return static_cast<HICON>(
        LoadImageW(instance, resourceName.c_str(), IMAGE_ICON, GetSystemMetrics(cx), GetSystemMetrics(cy), LR_SHARED));
  };
  const HICON large = load(SM_CXICON, SM_CYICON);
  if (!large) return LastErrorStatus();
  const HICON small = load(SM_CXSMICON, SM_CYSMICON);
  if (!small) return LastErrorStatus();
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  return kOk;
}

Status esCenterFormEx(HWND window, HWND over, RECT* out) {
  if (!out) return kPointer;
  if (!IsWindow(window) || (over && !IsWindow(over))) return kInvalidArg;
  RECT rect;
  if (!GetWindowRect(window, &rect)) return LastErrorStatus();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(over ? over : window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return LastErrorStatus();
  }
  const RECT work = monitor.rcWork;
  RECT area = work;
  if (over && !GetWindowRect(over, &area)) return LastErrorStatus();
  const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
  LONG left = area.left + (area.right - area.left - width) / 2;
  LONG top = area.top + (area.bottom - area.top - height) / 2;
  // A window larger than the work area keeps its top-left corner (and caption) on it.
  left = std::max(work.left, std::min(left, work.right - width));
  top = std::max(work.top, std::min(top, work.bottom - height));
  if (!SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    return LastErrorStatus();
  }
  *out = RECT{left, top, left + width, top + height};
  return kOk;
}

Status esFixUserControlsContainerWindow(std::int32_t* out) {
  if (!out) return kPointer;
  ContainerFix fix;
  EnumThreadWindows(GetCurrentThreadId(), FixTopLevel, reinterpret_cast<LPARAM>(&fix));
  *out = fix.changed;
  return kOk;
}

Status esTextBox_SelectAll(HWND edit) {
  if (!IsWindow(edit)) return kInvalidArg;
  SendMessageW(edit, EM_SETSEL, 0, -1);
  return kOk;
}

}  // namespace orv

// Test helper: reports what Quorlet's window shows, as a person looking at
// it would see it: each control's text, whether it is visible, where it
// stands, which control has the focus and which button Enter presses.
//
//   window_probe main [seconds]     the main window (waits for it up to `seconds`)
//   window_probe dialog TITLE [s]   texts of a dialog box whose caption contains TITLE
//   window_probe close TITLE [s]    closes a window whose caption contains TITLE
//
// Prints UTF-8 lines; exits 1 when the window is not there.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "generator/main_window_layout.h"

namespace {

using orv::quorlet::kLayout;

void Print(const std::wstring& line) {
  const std::wstring withEnd = line + L"\n";
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), bytes.data(), n, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// WM_GETTEXT crosses processes; GetWindowText would not read another program's edit.
std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied);
  return std::wstring(buffer, copied);
}

std::wstring NameOf(const orv::quorlet::ControlRow& row) {
  std::wstring name(row.name);
  if (row.index >= 0) name += L"(" + std::to_wstring(row.index) + L")";
  return name;
}

std::wstring NameOfId(int id) {
  for (const auto& row : kLayout) {
    if (orv::quorlet::ControlIdOf(row) == id) return NameOf(row);
  }
  return L"none";
}

struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM p) {
  auto* s = reinterpret_cast<IdSearch*>(p);
  if (GetDlgCtrlID(child) != s->id) return TRUE;
  s->found = child;
  return FALSE;
}

HWND FindDescendant(HWND top, int id) {
  IdSearch search{id, nullptr};
  EnumChildWindows(top, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, double seconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (;;) {
    HWND hwnd = FindWindowW(className, title);
    if (hwnd && IsWindowVisible(hwnd)) return hwnd;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

// TTTOOLINFOW as a program of pointer type P lays it out.
template <class P>
struct ToolInfo {
  std::uint32_t cbSize, uFlags;
  P hwnd, uId;
  RECT rect;
  P hinst, lpszText, lParam, lpReserved;
};

template <class P>
P As(const void* pointer) {
  return static_cast<P>(reinterpret_cast<std::uintptr_t>(pointer));
}

// TTM_GETTEXT for `control`'s tool. No message takes its pointers across
// processes, so the tool and the text buffer are placed in Quorlet's.
template <class P>
std::wstring TipText(HANDLE process, HWND tip, HWND main, HWND control) {
  struct Block {
    ToolInfo<P> tool;
    wchar_t text[1024];
  } local{};
  auto* remote =
      static_cast<BYTE*>(VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  local.tool = {
      sizeof(ToolInfo<P>), 0, As<P>(main), As<P>(control), {}, 0, As<P>(remote + offsetof(Block, text)), 0, 0};
  DWORD_PTR copied = 0;
  const bool read =
      remote && WriteProcessMemory(process, remote, &local, sizeof(local), nullptr) &&
      SendMessageTimeoutW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, &copied) &&
      ReadProcessMemory(process, remote, &local, sizeof(local), nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  std::wstring text = read ? std::wstring(local.text, wcsnlen(local.text, 1024)) : L"unreadable";
  for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.replace(at, 2, L" / ");
  return text;
}

// The tooltip of the password box and of Create, one line each.
void PrintTips(HWND main) {
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) && GetWindow(tip, GW_OWNER) != main) {}
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  BOOL wow64 = FALSE;
  if (process) IsWow64Process(process, &wow64);
  for (const wchar_t* name : {L"txtPassword", L"cmdGenerate"}) {
    HWND control = FindDescendant(main, orv::quorlet::ControlIdOf(kLayout[*orv::quorlet::FindRow(name)]));
    const std::wstring text = !tip || !process || !control ? L"none"
                              : wow64                      ? TipText<std::uint32_t>(process, tip, main, control)
                                                           : TipText<std::uint64_t>(process, tip, main, control);
    Print(L"tip " + std::wstring(name) + L" " + text);
  }
  if (process) CloseHandle(process);
}

int ProbeMain(double seconds) {
  const std::wstring cls(orv::quorlet::kWindowClass), caption(orv::quorlet::kWindowCaption);
  HWND main = WaitForWindow(cls.c_str(), caption.c_str(), seconds);
  if (!main) {
    Print(L"missing");
    return 1;
  }
  RECT w, c;
  GetWindowRect(main, &w);
  GetClientRect(main, &c);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor);
  Print(L"window " + std::to_wstring(w.left) + L" " + std::to_wstring(w.top) + L" " +
        std::to_wstring(w.right - w.left) + L" " + std::to_wstring(w.bottom - w.top));
  Print(L"client " + std::to_wstring(c.right) + L" " + std::to_wstring(c.bottom));
  const RECT& a = monitor.rcWork;
  Print(L"workarea " + std::to_wstring(a.left) + L" " + std::to_wstring(a.top) + L" " + std::to_wstring(a.right) +
        L" " + std::to_wstring(a.bottom));
  Print(L"title " + TextOf(main));

  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gui);
  Print(L"focus " + (gui.hwndFocus ? NameOfId(GetDlgCtrlID(gui.hwndFocus)) : std::wstring(L"none")));

  DWORD_PTR defId = 0;
  SendMessageTimeoutW(main, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 2000, &defId);
  Print(L"defid " + (HIWORD(defId) == DC_HASDEFID ? NameOfId(LOWORD(defId)) : std::wstring(L"none")));
  std::wstring styled;
  for (const auto& row : kLayout) {
    if (row.kind != orv::quorlet::ControlKind::Button) continue;
    HWND button = FindDescendant(main, orv::quorlet::ControlIdOf(row));
    if (button && (GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) styled += L" " + NameOf(row);
  }
  Print(L"defstyle" + (styled.empty() ? std::wstring(L" none") : styled));

  for (const auto& row : kLayout) {
    HWND control = FindDescendant(main, orv::quorlet::ControlIdOf(row));
    if (!control) {
      Print(L"control " + NameOf(row) + L" absent");
      continue;
    }
    RECT screen, r;
    GetWindowRect(control, &screen);
    r = screen;
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    // name, visible, rectangle in its container, top-left on the screen, text
    Print(L"control " + NameOf(row) + L" " + std::to_wstring(IsWindowVisible(control) ? 1 : 0) + L" " +
          std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
          std::to_wstring(r.bottom - r.top) + L" " + std::to_wstring(screen.left) + L" " + std::to_wstring(screen.top) +
          L" " + TextOf(control));
  }
  PrintTips(main);
  return 0;
}

// A visible top-level window whose caption contains `titlePart`; with
// `dialogsOnly`, only dialog boxes (message boxes among them).
struct TitleSearch {
  const std::wstring* part;
  bool dialogsOnly;
  HWND found;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM p) {
  auto* s = reinterpret_cast<TitleSearch*>(p);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if ((s->dialogsOnly && std::wstring(cls) != L"#32770") || !IsWindowVisible(hwnd) ||
      TextOf(hwnd).find(*s->part) == std::wstring::npos) {
    return TRUE;
  }
  s->found = hwnd;
  return FALSE;
}

HWND FindTopLevel(const std::wstring& titlePart, bool dialogsOnly, double seconds) {
  TitleSearch search{&titlePart, dialogsOnly, nullptr};
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (;;) {
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount64() >= end) return search.found;
    Sleep(50);
  }
}

// Asks a window to close, as its close box would.
int CloseWindowTitled(const std::wstring& titlePart, double seconds) {
  HWND hwnd = FindTopLevel(titlePart, false, seconds);
  if (!hwnd) {
    Print(L"missing");
    return 1;
  }
  Print(L"closing " + TextOf(hwnd));
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return 0;
}

BOOL CALLBACK PrintDialogChild(HWND child, LPARAM) {
  const std::wstring text = TextOf(child);
  wchar_t cls[64] = {};
  GetClassNameW(child, cls, 64);
  if (_wcsicmp(cls, L"Button") == 0) {
    RECT r;
    GetWindowRect(child, &r);  // where a person would click it
    Print(L"button " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
          std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top) + L" " + text);
  } else if (!text.empty()) {
    Print(L"text " + text);
  }
  return TRUE;
}

int ProbeDialog(const std::wstring& titlePart, double seconds) {
  HWND found = FindTopLevel(titlePart, true, seconds);
  if (!found) {
    Print(L"missing");
    return 1;
  }
  Print(L"dialog " + TextOf(found));
  EnumChildWindows(found, PrintDialogChild, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  const std::wstring mode = argc > 1 ? argv[1] : L"main";
  int result = 2;
  if (mode == L"main") {
    result = ProbeMain(argc > 2 ? _wtof(argv[2]) : 0);
  } else if (mode == L"dialog" && argc > 2) {
    result = ProbeDialog(argv[2], argc > 3 ? _wtof(argv[3]) : 0);
  } else if (mode == L"close" && argc > 2) {
    result = CloseWindowTitled(argv[2], argc > 3 ? _wtof(argv[3]) : 0);
  } else {
    Print(L"usage: window_probe main [seconds] | dialog TITLE [seconds] | close TITLE [seconds]");
  }
  std::fflush(stdout);
  return result;
}

// Times window programs as a person meets them: from the start of the
// process until its window is shown and waiting for input, and from an
// Escape key until the process has ended (for Quorlet that includes saving
// its choices). Programs are measured in alternating rounds in one run.
//
//   window_timer.exe ROUNDS EXE CLASS [EXE CLASS ...]
//
// Prints per program the median and best of both times, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"

namespace {

struct Program {
  std::wstring exe;
  std::wstring windowClass;
  std::vector<double> start, exit;
};

class ProcessHandles {
 public:
  ProcessHandles() = default;
  ProcessHandles(const ProcessHandles&) = delete;
  ProcessHandles& operator=(const ProcessHandles&) = delete;
  ~ProcessHandles() {
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
  }
  PROCESS_INFORMATION info{};
};

struct Search {
  DWORD pid;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 128);
  if (owner != s->pid || !IsWindowVisible(hwnd) || lstrcmpW(cls, s->windowClass) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

// A visible top-level window of that class belonging to that process.
HWND FindWindowOf(DWORD pid, const wchar_t* windowClass) {
  Search search{pid, windowClass, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool RunOnce(Program& program) {
  std::wstring commandLine = L"\"" + program.exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  ProcessHandles process;
  const double started = orv::bench::Now();
  if (!CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process.info)) {
    std::fprintf(stderr, "cannot start %ls: error %lu\n", program.exe.c_str(), GetLastError());
    return false;
  }
  HWND window = nullptr;
  // Ready: the window is shown and the program waits for input. The idle
  // event tells the second without a request to the window server. Polling
  // the window list from the start made more than half as many requests as
  // Quorlet itself while it started (1,037 against 1,704), slowing the
  // program being timed. A program may wait for input once before its window
  // shows, so the list is polled after that, and a message the window must
  // answer shows its thread back in its loop.
  WaitForInputIdle(process.info.hProcess, 30000);
  while (!(window = FindWindowOf(process.info.dwProcessId, program.windowClass.c_str()))) {
    if (WaitForSingleObject(process.info.hProcess, 1) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.info.hProcess, &code);
      std::fprintf(stderr, "%ls ended before showing its window (exit code 0x%08lX)\n", program.exe.c_str(), code);
      return false;
    }
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
  WaitForInputIdle(process.info.hProcess, 10000);
  const double ready = orv::bench::Now();

  const double leaving = orv::bench::Now();
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  if (WaitForSingleObject(process.info.hProcess, 30000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "%ls did not end after Escape\n", program.exe.c_str());
    TerminateProcess(process.info.hProcess, 1);
    return false;
  }
  const double ended = orv::bench::Now();
  program.start.push_back((ready - started) * 1000);
  program.exit.push_back((ended - leaving) * 1000);
  return true;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: window_timer ROUNDS EXE CLASS [EXE CLASS ...]\n");
    return 2;
  }
  const int rounds = std::max(1, _wtoi(argv[1]));
  std::vector<Program> programs;
  for (int i = 2; i + 1 < argc; i += 2) programs.push_back(Program{argv[i], argv[i + 1], {}, {}});
  for (int r = 0; r < rounds; ++r) {
    for (Program& p : programs) {
      if (!RunOnce(p)) return 1;
    }
  }
  for (const Program& p : programs) {
    std::string name = Narrow(p.exe);
    name = name.substr(name.find_last_of("\\/") + 1);
    std::printf("%s start_ms_median %.1f start_ms_best %.1f exit_ms_median %.1f exit_ms_best %.1f\n", name.c_str(),
                Median(p.start), *std::min_element(p.start.begin(), p.start.end()), Median(p.exit),
                *std::min_element(p.exit.begin(), p.exit.end()));
  }
  return 0;
}

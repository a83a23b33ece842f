#include "app_routines.h"

#include <shellapi.h>

#include <vector>

#include "com_types.h"

#include "win_status.h"

namespace orv {
namespace {

constexpr wchar_t kAppPathsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

Status SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  const LSTATUS e = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  return e == ERROR_SUCCESS ? kOk : HRESULT_FROM_WIN32(e);
}

template <class Fn>
Fn ShellEntry(HMODULE shell, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shell, name)));
}

// Starts a program by its full path, followed on its command line by
// `arguments` as given, without waiting for it.
Status StartProgram(const std::wstring& program, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return LastErrorStatus();
  }
  // Not waited for: the handles only need closing.
  const UniqueHandle<HANDLE, &CloseHandle> thread(process.hThread), started(process.hProcess);
  return kOk;
}

// A file of the system folder (System32, or SysWOW64 for a 32-bit program on
// 64-bit Windows) or, failing that, of the Windows folder.
std::wstring SystemProgram(const wchar_t* file) {
  wchar_t folder[MAX_PATH];
  for (auto getFolder : {&GetSystemDirectoryW, &GetWindowsDirectoryW}) {
    const UINT n = getFolder(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) continue;
    std::wstring path = std::wstring(folder, n) + L"\\" + file;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  }
  return {};
}

// The shell's "open" verb: the program associated with the document's type.
Status OpenByAssociation(HMODULE shell, HWND owner, const std::wstring& file) {
  using ShellExecuteExFn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  const auto shellExecuteEx = ShellEntry<ShellExecuteExFn>(shell, "ShellExecuteExW");
  if (!shellExecuteEx) return LastErrorStatus();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  return shellExecuteEx(&info) ? kOk : LastErrorStatus();
}

Status OpenWithNotepad(const std::wstring& file) {
  const std::wstring notepad = SystemProgram(L"notepad.exe");
  if (notepad.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  return StartProgram(notepad, L"\"" + file + L"\"");
}

// The shell's "Open with" choice, which may also associate the type for the
// future. SHOpenWithDialog came with Vista; earlier systems have the
// rundll32 entry behind the same dialog.
Status OpenWithChosenProgram(HMODULE shell, HWND owner, const std::wstring& file) {
  struct OpenAsInfo {
    const wchar_t* file;
    const wchar_t* fileClass;
    DWORD flags;
  };
  constexpr DWORD kAllowRegistration = 0x1, kExec = 0x4;  // OAIF_ALLOW_REGISTRATION, OAIF_EXEC
  using OpenWithDialogFn = HRESULT(WINAPI*)(HWND, const OpenAsInfo*);
  if (const auto openWith = ShellEntry<OpenWithDialogFn>(shell, "SHOpenWithDialog")) {
    const OpenAsInfo info{file.c_str(), nullptr, kAllowRegistration | kExec};
    return openWith(owner, &info);
  }
  const std::wstring rundll = SystemProgram(L"rundll32.exe");
  if (rundll.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  // OpenAs_RunDLL takes the rest of its command line as the file, unquoted.
  return StartProgram(rundll, L"shell32.dll,OpenAs_RunDLL " + file);
}

}  // namespace

Status GetProgramPath(std::wstring* out) {
  if (!out) return kPointer;
  // Paths may be longer than MAX_PATH; grow until the name fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return LastErrorStatus();
    if (n < buffer.size()) {
      out->assign(buffer.data(), n);
      return kOk;
    }
    if (buffer.size() >= 32768) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    buffer.resize(buffer.size() * 2);
  }
}

Status esRegisterAppPath(std::wstring* out) {
  if (!out) return kPointer;
  std::wstring path;
  if (Status s = GetProgramPath(&path); Failed(s)) return s;
  const std::size_t slash = path.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  const std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
  RegKeyHandle key;
  const LSTATUS e = RegCreateKeyExW(HKEY_CURRENT_USER, (kAppPathsKey + fileName).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, key.Put(), nullptr);
  if (e != ERROR_SUCCESS) return HRESULT_FROM_WIN32(e);
  if (Status s = SetText(key.Get(), nullptr, path); Failed(s)) return s;
  if (Status s = SetText(key.Get(), L"Path", folder); Failed(s)) return s;
  *out = std::move(path);
  return kOk;
}

Status esOpenReadMeFile(HWND owner, std::wstring* out) {
  if (!out) return kPointer;
  std::wstring path;
  if (Status s = GetProgramPath(&path); Failed(s)) return s;
  const std::size_t slash = path.find_last_of(L'\\');
  std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  if (const std::size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
  *out = path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name + L"-ReadMe.txt";
  const std::wstring& readMe = *out;
  // The shell would show its own error box for a missing file; report it instead.
  if (GetFileAttributesW(readMe.c_str()) == INVALID_FILE_ATTRIBUTES) return LastErrorStatus();
  // The shell is loaded only when the read-me is asked for: at start it
  // would cost every run of the program a large library.
  static const HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!shell) return LastErrorStatus();
  const Status byAssociation = OpenByAssociation(shell, owner, readMe);
  if (!Failed(byAssociation) || byAssociation == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return kOk;
  // No program is associated with .txt (a stock Wine prefix, a Windows image
  // without Notepad's association): the system's own Notepad still reads it.
  if (!Failed(OpenWithNotepad(readMe))) return kOk;
  const Status chosen = OpenWithChosenProgram(shell, owner, readMe);
  if (!Failed(chosen) || chosen == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return kOk;
  return byAssociation;
}

}  // namespace orv

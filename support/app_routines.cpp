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
  const std::wstring readMe = path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name + L"-ReadMe.txt";
  // The shell would show its own error box for a missing file; report it instead.
  if (GetFileAttributesW(readMe.c_str()) == INVALID_FILE_ATTRIBUTES) return LastErrorStatus();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = readMe.c_str();
  info.nShow = SW_SHOWNORMAL;
  // The shell is loaded only when the read-me is asked for: at start it
  // would cost every run of the program a large library.
  using ShellExecuteExFn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  static const HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!shell) return LastErrorStatus();
  const auto shellExecuteEx =
      reinterpret_cast<ShellExecuteExFn>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteExW")));
  if (!shellExecuteEx) return LastErrorStatus();
  if (!shellExecuteEx(&info)) return LastErrorStatus();
  *out = readMe;
  return kOk;
}

}  // namespace orv

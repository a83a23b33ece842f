// modMain: Quorlet's start-up. Registers the program, prepares the common
// controls and the program's owner window, shows frmMain and runs its
// message loop until the window is unloaded.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app_object.h"
#include "main_window.h"
#include "run_time_error.h"
#include "support/app_routines.h"
#include "support/system.h"
#include "support/window_routines.h"

namespace orv::quorlet {
namespace {

class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

// Returns the program's owner window.
HWND ModMain(MainWindow& frmMain) {
  std::wstring registeredPath;
  ThrowIfFailed(esRegisterAppPath(&registeredPath));
  InitCommonControls();
  VbBool inIde = kVbFalse;
  ThrowIfFailed(esIsInIDE(&inIde));
  HWND owner = nullptr;
  ThrowIfFailed(esGetThunderMainHandle(&owner));
  if (!inIde) ThrowIfFailed(asSetWindowResIconAll(owner, L"A_MAIN"));
  frmMain.Show(owner);
  return owner;
}

int RunMessageLoop(MainWindow& frmMain) {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) Raise(HRESULT_FROM_WIN32(GetLastError()));
    if (frmMain.PreviewMessage(msg)) continue;
    if (frmMain.Handle() && IsDialogMessageW(frmMain.Handle(), &msg)) {
      frmMain.RefreshDefaultButton();
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace
}  // namespace orv::quorlet

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace orv::quorlet;
  ComApartment apartment;
  if (FAILED(apartment.Result())) EndWithError(apartment.Result(), SystemErrorText(apartment.Result()));
  int exitCode = 0;
  HWND owner = nullptr;
  {
    MainWindow frmMain(CreateAppObject());
    RunGuarded([&] { owner = ModMain(frmMain); });
    RunGuarded([&] { exitCode = RunMessageLoop(frmMain); });
  }
  if (owner) DestroyWindow(owner);
  return exitCode;
}

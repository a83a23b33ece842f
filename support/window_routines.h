// Support routines for a program's windows. Each returns a Status (negative
// is failure) and delivers its value through the trailing output argument.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "status.h"

namespace orv {

// The program's hidden top-level window that owns its forms and carries the
// program's icon for task switching. Made by the first call, on the calling
// thread; later calls return the same window.
Status esGetThunderMainHandle(HWND* out);

// Sets the large and the small icon of `window` from the running program's
// icon group `resourceName`, each in the size the system uses.
Status asSetWindowResIconAll(HWND window, const std::wstring& resourceName);

// Centres `window` over the window `over`, or with `over` 0 in the work area
// of the monitor the window is on; never off that work area. Output: the
// window's new rectangle in screen coordinates.
Status esCenterFormEx(HWND window, HWND over, RECT* out);

// Marks every container window of the calling thread's windows (a child
// that holds controls and is no tab stop itself, such as a frame) as a
// control parent, so that Tab and the dialog keys reach the controls inside.
// Output: how many windows were changed.
Status esFixUserControlsContainerWindow(std::int32_t* out);

// Selects the whole text of an edit control.
Status esTextBox_SelectAll(HWND edit);

}  // namespace orv

// Support routines about the running program itself: where it lives and its
// read-me document. Each returns a Status (negative is failure) and delivers
// its value through the trailing output argument.
#pragma once
#include <windows.h>

#include <string>

#include "status.h"

namespace orv {

// Full path of the running program's file.
Status GetProgramPath(std::wstring* out);

// Records the running program under the current user's
// Software\Microsoft\Windows\CurrentVersion\App Paths\<file name>: the default
// value is the full path, "Path" its folder, so the Run box and the shell
// start it by its file name. Output: the recorded path.
Status esRegisterAppPath(std::wstring* out);

// Opens the program's read-me document, "<program name>-ReadMe.txt" beside
// the program: with the shell's "open" verb, else with the system's Notepad,
// else with the program the user picks in the shell's "Open with" dialog
// (the user may cancel it). `owner` (0 for none) owns any window the shell
// shows. Output: the document's path, also when opening it failed, so that
// the error report can name it.
Status esOpenReadMeFile(HWND owner, std::wstring* out);

}  // namespace orv

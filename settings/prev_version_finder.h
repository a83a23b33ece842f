// Finds the newest version key of an application that is older than the
// running version, so a setting missing under the new version can be read
// from where the previous one left it.
#pragma once
#include <string>

#include <windows.h>

namespace orv {

// "Software\Larkspur Forge\Orvane\" + the title, as given.
std::wstring ApplicationKeyPath(const std::wstring& appTitle);

// The version text of the newest version key strictly older than
// major.minor, or "" when there is none; the version keys are listed
// through the wide or the ANSI entry points. Throws ComError when a support
// routine fails.
std::wstring FindPreviousVersion(bool wide, HKEY root, const std::wstring& appTitle, LONG major, LONG minor);

}  // namespace orv

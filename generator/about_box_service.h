// The about-box service: a message box with the program's icon, its title
// and version as its application object tells them, and a dedication.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "support/status.h"

namespace orv::quorlet {

class AboutBoxService {
 public:
  // `extraText` is shown under the version when not empty. The box always
  // shows the program's own icon "A_MAIN"; a picture, when given, is not used.
  Status Show(HWND owner, IDispatch* appObject, const std::wstring& extraText, IPictureDisp* picture,
              const std::wstring& dedication);
};

}  // namespace orv::quorlet

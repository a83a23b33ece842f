// The status of a failed Windows call, for routines that report through a Status.
#pragma once
#include <windows.h>

#include "status.h"

namespace orv {

inline Status LastErrorStatus() {
  const DWORD e = GetLastError();
  return e ? HRESULT_FROM_WIN32(e) : kFail;
}

}  // namespace orv

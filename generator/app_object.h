// The program's application object: the automation object through which the
// settings store and the about box learn Quorlet's title and version. It
// answers GetIDsOfNames and Invoke itself; it has no type library.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include "support/com_types.h"

namespace orv::quorlet {

// Properties, read-only: Title, Major, Minor, Revision, EXEName.
ComPtr<IDispatch> CreateAppObject();

}  // namespace orv::quorlet

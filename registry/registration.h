#pragma once
#include <windows.h>

namespace orv {

// Writes the type library, class, ProgID and interface entries of this file;
// UnregisterServer removes exactly those. Both answer S_OK or the failing HRESULT.
HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace orv

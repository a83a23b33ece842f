#pragma once
#include <windows.h>

#include "server/server_table.h"

namespace orv {

// Writes the type library, class, ProgID and interface entries of this file;
// UnregisterServer removes exactly those. Both answer S_OK or the failing HRESULT.
HRESULT RegisterServer(const ServerTable& server);
HRESULT UnregisterServer(const ServerTable& server);

}  // namespace orv

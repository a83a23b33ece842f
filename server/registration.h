#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "server/server_table.h"

namespace orv {

// Writes the type library, class, ProgID and interface entries of this file;
// UnregisterServer removes exactly those. Both answer S_OK or the failing HRESULT.
HRESULT RegisterServer(const ServerTable& server);
HRESULT UnregisterServer(const ServerTable& server);

// One string value under HKEY_CLASSES_ROOT; an empty name is the key's default value.
struct RegistryEntry {
  std::wstring key;
  std::wstring name;
  std::wstring value;
};

// What RegisterServer writes for the file at `path` ("win32" or "win64" as
// `platform`). Installers author their packages from the same list, so a
// package and regsvr32 register alike.
std::vector<RegistryEntry> RegistrationEntries(const ServerTable& server, const std::wstring& path,
                                               const wchar_t* platform);

}  // namespace orv

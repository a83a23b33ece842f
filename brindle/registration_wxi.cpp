// Prints, as a WiX include, the registry entries that DllRegisterServer of
// Brindle0200 writes for a DLL at the given path: the Windows Installer
// packages author their COM registration from this, the DLL's own table.
//
//   registration_wxi.exe win64|win32 PATH
//
// PATH may hold installer properties ("[ProgramFiles64Folder]Orvane\...").
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "brindle/server_classes.h"
#include "server/registration.h"

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Attr(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || (std::wstring(argv[1]) != L"win64" && std::wstring(argv[1]) != L"win32")) {
    std::fputs("usage: registration_wxi win64|win32 PATH\n", stderr);
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);
  const orv::ServerTable& server = orv::BrindleServer();
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!-- Made by registration_wxi from Brindle0200's registration table. -->\n<Include>\n";
  // Uninstall removes each value and, with it, every key left empty: the
  // same trees DllUnregisterServer deletes.
  for (const orv::RegistryEntry& e : orv::RegistrationEntries(server, argv[2], argv[1])) {
    out += "  <RegistryValue Root=\"HKCR\" Key=\"" + Attr(e.key) + "\"";
    if (!e.name.empty()) out += " Name=\"" + Attr(e.name) + "\"";
    out += " Type=\"string\" Value=\"" + Attr(e.value) + "\"/>\n";
  }
  out += "</Include>\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

#include "server/registration.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "server/module.h"
#include "support/com_types.h"

namespace orv {
namespace {

// The automation marshaller: interfaces are marshalled through the type library.
constexpr wchar_t kOleAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
#ifdef _WIN64
constexpr wchar_t kPlatform[] = L"win64";
#else
constexpr wchar_t kPlatform[] = L"win32";
#endif

std::wstring GuidText(REFGUID guid) {
  wchar_t buf[40] = {};
  StringFromGUID2(guid, buf, 40);
  return buf;
}

HRESULT ModulePath(std::wstring* path) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module::Instance(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return HRESULT_FROM_WIN32(GetLastError());
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  *path = std::move(buf);
  return S_OK;
}

// Creates HKCR\key and sets one string value (the default value when name is null).
HRESULT SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  RegKeyHandle h;
  LONG st = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, h.Put(), nullptr);
  if (st == ERROR_SUCCESS) {
    st = RegSetValueExW(h.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  return HRESULT_FROM_WIN32(st);
}

HRESULT DeleteTree(const std::wstring& key) {
  const LONG st = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  // The key itself goes too, since it is named by a sub-key path.
  return (st == ERROR_SUCCESS || st == ERROR_FILE_NOT_FOUND) ? S_OK : HRESULT_FROM_WIN32(st);
}

// Deletes HKCR\key when it has no sub-keys other than `allowed` and no values
// besides the default one; returns S_OK when nothing had to be done.
HRESULT DeleteIfOnly(const std::wstring& key, std::initializer_list<const wchar_t*> allowed) {
  RegKeyHandle h;
  LONG st = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, h.Put());
  if (st == ERROR_FILE_NOT_FOUND) return S_OK;
  if (st != ERROR_SUCCESS) return HRESULT_FROM_WIN32(st);
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD len = 256;
    st = RegEnumKeyExW(h.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (st == ERROR_NO_MORE_ITEMS) break;
    if (st != ERROR_SUCCESS) return HRESULT_FROM_WIN32(st);
    bool ok = false;
    for (const wchar_t* a : allowed) ok = ok || lstrcmpiW(a, name) == 0;
    if (!ok) return S_OK;  // another registration still lives here
  }
  return DeleteTree(key);
}

// The registry view of the other bitness, or 0 where there is none (32-bit
// Windows). 64-bit Windows shares HKCR\<ProgID> between the views but keeps
// a CLSID key per view.
REGSAM OtherView() {
#ifdef _WIN64
  return KEY_WOW64_32KEY;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY : 0;
#endif
}

// True when the other bitness's build still registers the class, so that the
// shared ProgID keeps serving it.
bool OtherViewRegisters(REFCLSID clsid) {
  const REGSAM view = OtherView();
  if (view == 0) return false;
  RegKeyHandle h;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(clsid)).c_str(), 0, KEY_QUERY_VALUE | view, h.Put()) ==
         ERROR_SUCCESS;
}

std::wstring TypeLibKey(const ServerTable& server) { return L"TypeLib\\" + GuidText(*server.libid); }

HRESULT WriteAll(const ServerTable& server, const std::wstring& path) {
  for (const RegistryEntry& e : RegistrationEntries(server, path, kPlatform)) {
    if (HRESULT hr = SetString(e.key, e.name.empty() ? nullptr : e.name.c_str(), e.value); FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

std::vector<RegistryEntry> RegistrationEntries(const ServerTable& server, const std::wstring& path,
                                               const wchar_t* platform) {
  const std::wstring libid = GuidText(*server.libid);
  const wchar_t* const version = server.typeLibVersion;
  const size_t slash = path.find_last_of(L'\\');
  const std::wstring dir = path.substr(0, slash == std::wstring::npos ? 0 : slash);
  const std::wstring lib = TypeLibKey(server) + L"\\" + server.typeLibVersion;
  std::vector<RegistryEntry> entries = {
      {lib, L"", server.typeLibHelp},
      {lib + L"\\FLAGS", L"", L"0"},
      {lib + L"\\HELPDIR", L"", dir},
      {lib + L"\\0\\" + platform, L"", path},
  };
  for (const CreatableClass& c : server.classes) {
    const std::wstring clsid = GuidText(*c.clsid);
    const std::wstring k = L"CLSID\\" + clsid;
    entries.push_back({k, L"", c.className});
    entries.push_back({k + L"\\InprocServer32", L"", path});
    entries.push_back({k + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
    entries.push_back({k + L"\\ProgID", L"", c.progId});
    entries.push_back({k + L"\\TypeLib", L"", libid});
    entries.push_back({k + L"\\VERSION", L"", version});
    entries.push_back({c.progId, L"", c.className});
    entries.push_back({std::wstring(c.progId) + L"\\CLSID", L"", clsid});
  }
  for (const MarshalledInterface& i : server.interfaces) {
    const std::wstring k = L"Interface\\" + GuidText(*i.iid);
    entries.push_back({k, L"", i.name});
    entries.push_back({k + L"\\ProxyStubClsid", L"", kOleAutomationProxy});
    entries.push_back({k + L"\\ProxyStubClsid32", L"", kOleAutomationProxy});
    entries.push_back({k + L"\\TypeLib", L"", libid});
    entries.push_back({k + L"\\TypeLib", L"Version", version});
  }
  return entries;
}

HRESULT RegisterServer(const ServerTable& server) {
  std::wstring path;
  if (HRESULT hr = ModulePath(&path); FAILED(hr)) return hr;
  // Only a library whose embedded type library loads is registered.
  ComPtr<ITypeLib> lib;
  if (HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Put()); FAILED(hr)) return hr;
  const HRESULT hr = WriteAll(server, path);
  if (FAILED(hr)) UnregisterServer(server);
  return hr;
}

HRESULT UnregisterServer(const ServerTable& server) {
  HRESULT result = S_OK;
  auto keep = [&result](HRESULT hr) {
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  };
  for (const CreatableClass& c : server.classes) {
    keep(DeleteTree(L"CLSID\\" + GuidText(*c.clsid)));
    if (!OtherViewRegisters(*c.clsid)) keep(DeleteTree(c.progId));
  }
  for (const MarshalledInterface& i : server.interfaces) keep(DeleteTree(L"Interface\\" + GuidText(*i.iid)));
  // The type library key is shared by the x86 and x64 builds: remove only this
  // platform's path, and the rest once no platform is left.
  const std::wstring lib = TypeLibKey(server) + L"\\" + server.typeLibVersion;
  keep(DeleteTree(lib + L"\\0\\" + kPlatform));
  keep(DeleteIfOnly(lib + L"\\0", {}));
  keep(DeleteIfOnly(lib, {L"FLAGS", L"HELPDIR"}));
  keep(DeleteIfOnly(TypeLibKey(server), {}));
  return result;
}

}  // namespace orv

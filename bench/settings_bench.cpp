// orvOrvaneSettings2 against the Win32 calls it stands for, measured in one
// run: LoadSetting of a stored value against open, query, query, close of the
// same value; and LoadSetting of a missing value, which lists the version
// keys to find an older one, with 10, 100 and 1,000 version keys beside the
// current one, against the same work done directly.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "idl/brindle_idl.h"
#include "tests/common/server_loader.h"

namespace {

using orv::Bstr;
using orv::ComPtr;
using orv::bench::BestSeconds;
using orv::bench::DirectRead;

const std::wstring kFamily = L"Software\\Larkspur Forge\\Orvane\\";

// The miss done by hand: the current key, the list of version keys, and the
// newest key below the current version (the names here sort as numbers do).
bool DirectMiss(const std::wstring& appKey, const std::wstring& current, std::vector<BYTE>& buf) {
  if (DirectRead(appKey + L"\\" + current, L"Absent", buf)) return true;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  std::wstring newest;
  int newestMinor = -1;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD len = 256;
    if (RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring n(name, len);
    if (n.rfind(L"Version 1.", 0) != 0) continue;
    const int minor = std::stoi(n.substr(10));
    if (minor > newestMinor) newestMinor = minor, newest = n;
  }
  RegCloseKey(key);
  return !newest.empty() && DirectRead(appKey + L"\\" + newest, L"Absent", buf);
}

void MakeValue(const std::wstring& path, const wchar_t* name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot create the bench keys\n");
    std::exit(1);
  }
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  orv::test::ServerLoader server;
  ComPtr<_orvOrvaneSettings2> store;
  orv::bench::CreateOrExit(server, CLSID_orvOrvaneSettings2, &store);
  const std::wstring prefix = L"OrvaneBench " + std::to_wstring(GetCurrentProcessId());
  VARIANT missing;
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
  std::vector<BYTE> buf;

  // A stored value: LoadSetting against the direct read.
  const std::wstring title = prefix + L" stored";
  const std::wstring path = kFamily + title + L"\\Version 1.02";
  MakeValue(path, L"Num Sections", 3);
  Bstr empty(L""), name(L"Num Sections"), bTitle(title.c_str());
  constexpr int kCalls = 20000;
  const double direct = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) DirectRead(path, L"Num Sections", buf);
  });
  const double ours = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      VARIANT out;
      VariantInit(&out);
      VARIANT_BOOL ok = VARIANT_FALSE;
      store->LoadSetting(empty.Get(), name.Get(), sdtLong, missing, bTitle.Get(), 1, 2, VARIANT_TRUE, &ok, &out);
      if (!ok || V_I4(&out) != 3) std::exit(2);
      VariantClear(&out);
    }
  });
  std::printf("loadsetting_direct_us %.2f\n", direct / kCalls * 1e6);
  std::printf("loadsetting_orvsettings2_us %.2f\n", ours / kCalls * 1e6);
  std::printf("ratio_loadsetting %.2f\n", ours / direct);

  // A missing value with many older version keys: every miss lists them all.
  std::printf("%-14s %14s %14s %8s\n", "version_keys", "direct_us", "loadsetting_us", "ratio");
  for (int keys : {10, 100, 1000}) {
    const std::wstring many = prefix + L" keys " + std::to_wstring(keys);
    const std::wstring appKey = kFamily + many;
    MakeValue(appKey + L"\\Version 2.00", L"Present", 1);  // the current version
    for (int i = 0; i < keys; ++i) MakeValue(appKey + L"\\Version 1." + std::to_wstring(i), L"Other", 1);
    Bstr bMany(many.c_str()), absent(L"Absent");
    const int calls = keys >= 1000 ? 40 : 20000 / keys;
    const double d = BestSeconds(3, [&] {
      for (int i = 0; i < calls; ++i) {
        if (DirectMiss(appKey, L"Version 2.00", buf)) std::exit(3);
      }
    });
    const double o = BestSeconds(3, [&] {
      for (int i = 0; i < calls; ++i) {
        VARIANT out;
        VariantInit(&out);
        VARIANT_BOOL ok = VARIANT_TRUE;
        store->LoadSetting(empty.Get(), absent.Get(), sdtLong, missing, bMany.Get(), 2, 0, VARIANT_TRUE, &ok, &out);
        if (ok) std::exit(4);
        VariantClear(&out);
      }
    });
    std::printf("%-14d %14.1f %14.1f %8.2f\n", keys, d / calls * 1e6, o / calls * 1e6, o / d);
  }

  SHDeleteKeyW(HKEY_CURRENT_USER, (kFamily + title).c_str());
  for (int keys : {10, 100, 1000}) {
    SHDeleteKeyW(HKEY_CURRENT_USER, (kFamily + prefix + L" keys " + std::to_wstring(keys)).c_str());
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge\\Orvane");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge");
  store.Reset();
  CoUninitialize();
  return 0;
}

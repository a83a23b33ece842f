// SaveProxySettingsHT and LoadProxySettingsHT of a C++ proxy object against
// the same seven values written and read directly through Win32, with one
// CryptProtectData on the way in and one CryptUnprotectData on the way out,
// measured in one run. Each direct value opens and closes its key, as the
// library does.
#include <windows.h>
#include <dpapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "idl/brindle_idl.h"
#include "tests/common/server_loader.h"
#include "tests/settings/proxy_object.h"

namespace {

using orv::Bstr;
using orv::ComPtr;
using orv::Variant;
using orv::bench::BestSeconds;
using orv::bench::DirectRead;

const std::wstring kFamily = L"Software\\Larkspur Forge\\Orvane\\";
const wchar_t* const kTextValues[] = {L"HTTP Address", L"HTTPS Address", L"FTP Address", L"Bypass List", L"User Name"};
const wchar_t* const kTextProperties[] = {L"HTTP_Address", L"HTTPS_Address", L"FTP_Address", L"BypassList",
                                          L"UserName"};
const std::wstring kText = L"proxy.example.lan:8080";
const char kPassword[] = "s3cret password";

bool Write(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG st = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return st == ERROR_SUCCESS;
}

bool WriteText(const std::wstring& path, const wchar_t* name, const std::wstring& text) {
  return Write(path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The seven values by hand: the password protected and written as "Z" and hex.
bool DirectSave(const std::wstring& path) {
  const DWORD access = 3;
  if (!Write(path, L"Access Type", REG_DWORD, &access, sizeof(access))) return false;
  for (const wchar_t* name : kTextValues) {
    if (!WriteText(path, name, kText)) return false;
  }
  DATA_BLOB in{sizeof(kPassword) - 1, reinterpret_cast<BYTE*>(const_cast<char*>(kPassword))}, out{};
  if (!CryptProtectData(&in, L"", nullptr, nullptr, nullptr, 0, &out)) return false;
  std::wstring hex = L"Z";
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  for (DWORD i = 0; i < out.cbData; ++i) {
    hex += kDigits[out.pbData[i] >> 4];
    hex += kDigits[out.pbData[i] & 15];
  }
  LocalFree(out.pbData);
  return WriteText(path, L"Password", hex);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool DirectLoad(const std::wstring& path, std::vector<BYTE>& buf) {
  if (!DirectRead(path, L"Access Type", buf)) return false;
  for (const wchar_t* name : kTextValues) {
    if (!DirectRead(path, name, buf)) return false;
  }
  if (!DirectRead(path, L"Password", buf)) return false;
  const auto* text = reinterpret_cast<const wchar_t*>(buf.data());
  const std::size_t length = buf.size() / sizeof(wchar_t) - 1;
  std::vector<BYTE> blob((length - 1) / 2);
  for (std::size_t i = 0; i < blob.size(); ++i) {
    blob[i] = static_cast<BYTE>(HexDigit(text[1 + 2 * i]) << 4 | HexDigit(text[2 + 2 * i]));
  }
  DATA_BLOB in{static_cast<DWORD>(blob.size()), blob.data()}, out{};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out)) return false;
  const bool same = out.cbData == sizeof(kPassword) - 1;
  LocalFree(out.pbData);
  return same;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  orv::test::ServerLoader server;
  ComPtr<_orvOrvaneSettings2> store;
  orv::bench::CreateOrExit(server, CLSID_orvOrvaneSettings2, &store);
  const std::wstring title = L"OrvaneBench " + std::to_wstring(GetCurrentProcessId()) + L" proxy";
  const std::wstring direct = kFamily + title + L"\\Version 1.02\\Direct";
  std::vector<BYTE> buf;

  std::vector<std::wstring> names = {L"AccessType", L"Password"};
  names.insert(names.end(), std::begin(kTextProperties), std::end(kTextProperties));
  ComPtr<orv::test::ProxyObject> proxy = orv::test::ProxyObject::Make(names);
  proxy->Set(L"AccessType", Variant::I4(3));
  for (const wchar_t* p : kTextProperties) proxy->Set(p, Variant::Text(kText));
  proxy->Set(L"Password", Variant::Text(std::wstring(kPassword, kPassword + sizeof(kPassword) - 1)));
  IDispatch* disp = proxy.Get();
  const Bstr sub(L"Proxy HT"), bTitle(title.c_str());

  constexpr int kCalls = 100;
  auto directSaves = [&] {
    for (int i = 0; i < kCalls; ++i) {
      if (!DirectSave(direct)) std::exit(2);
    }
  };
  auto directLoads = [&] {
    for (int i = 0; i < kCalls; ++i) {
      if (!DirectLoad(direct, buf)) std::exit(3);
    }
  };
  auto oursSaves = [&] {
    for (int i = 0; i < kCalls; ++i) {
      if (FAILED(store->SaveProxySettingsHT(sub.Get(), &disp, bTitle.Get(), 1, 2, VARIANT_TRUE))) std::exit(4);
    }
  };
  auto oursLoads = [&] {
    for (int i = 0; i < kCalls; ++i) {
      if (FAILED(store->LoadProxySettingsHT(sub.Get(), &disp, bTitle.Get(), 1, 2, VARIANT_TRUE))) std::exit(5);
    }
  };
  // Rounds alternate between the two sides, so a busy spell of the machine
  // does not fall on one side only; the best round of each counts.
  double directSave = 1e30, directLoad = 1e30, oursSave = 1e30, oursLoad = 1e30;
  for (int round = 0; round < 8; ++round) {
    directSave = std::min(directSave, BestSeconds(1, directSaves));
    oursSave = std::min(oursSave, BestSeconds(1, oursSaves));
    directLoad = std::min(directLoad, BestSeconds(1, directLoads));
    oursLoad = std::min(oursLoad, BestSeconds(1, oursLoads));
  }
  const VARIANT* loaded = proxy->Get(L"Password");
  if (V_VT(loaded) != VT_BSTR || std::wstring(V_BSTR(loaded)) != L"s3cret password") std::exit(6);

  std::printf("proxy_save_direct_us %.1f\n", directSave / kCalls * 1e6);
  std::printf("proxy_save_orvsettings2_us %.1f\n", oursSave / kCalls * 1e6);
  std::printf("ratio_proxy_save %.2f\n", oursSave / directSave);
  std::printf("proxy_load_direct_us %.1f\n", directLoad / kCalls * 1e6);
  std::printf("proxy_load_orvsettings2_us %.1f\n", oursLoad / kCalls * 1e6);
  std::printf("ratio_proxy_load %.2f\n", oursLoad / directLoad);
  std::printf("ratio_proxy_save_and_load %.2f\n", (oursSave + oursLoad) / (directSave + directLoad));

  // How much of either side the data-protection pair itself takes.
  const double crypt = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      DATA_BLOB in{sizeof(kPassword) - 1, reinterpret_cast<BYTE*>(const_cast<char*>(kPassword))}, sealed{}, out{};
      if (!CryptProtectData(&in, L"", nullptr, nullptr, nullptr, 0, &sealed)) std::exit(7);
      if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, 0, &out)) std::exit(8);
      LocalFree(sealed.pbData);
      LocalFree(out.pbData);
    }
  });
  std::printf("protect_unprotect_pair_us %.1f\n", crypt / kCalls * 1e6);

  SHDeleteKeyW(HKEY_CURRENT_USER, (kFamily + title).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge\\Orvane");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge");
  proxy.Reset();
  store.Reset();
  CoUninitialize();
  return 0;
}

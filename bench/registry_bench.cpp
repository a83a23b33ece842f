// orvRegistry2 against the Win32 calls it stands for, measured in one run:
// GetValue against open, query, query, close; GetValues with its data
// against a plain RegEnumValue loop over the same 10,000 values.
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

constexpr wchar_t kBase[] = L"Software\\OrvaneBench";
constexpr auto kRoot = static_cast<RegistryRoot2_Const>(0x80000001);  // HKEY_CURRENT_USER

std::size_t DirectEnumValues(const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
  DWORD count = 0, maxName = 0, maxData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData, nullptr,
                   nullptr);
  std::wstring name(maxName + 1, L'\0');
  std::vector<BYTE> data(maxData);
  std::size_t seen = 0;
  for (DWORD i = 0; i < count; ++i) {
    DWORD nameLen = maxName + 1, type = 0, size = maxData;
    if (RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    ++seen;
  }
  RegCloseKey(key);
  return seen;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  orv::test::ServerLoader server;
  ComPtr<_orvRegistry2> reg;
  orv::bench::CreateOrExit(server, CLSID_orvRegistry2, &reg);
  const std::wstring single = std::wstring(kBase) + L"\\Single";
  const std::wstring many = std::wstring(kBase) + L"\\Many";
  SHDeleteKeyW(HKEY_CURRENT_USER, kBase);

  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, single.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  const wchar_t text[] = L"C:\\Program Files\\Orvane\\Quorlet";
  RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
  RegCloseKey(key);
  RegCreateKeyExW(HKEY_CURRENT_USER, many.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  for (DWORD i = 0; i < 10000; ++i) {
    const std::wstring name = L"Value " + std::to_wstring(i);
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), sizeof(i));
  }
  RegCloseKey(key);

  constexpr int kCalls = 20000;
  Bstr subKey(single.c_str()), valueName(L"Path"), manyKey(many.c_str());
  std::vector<BYTE> buf;
  const double direct = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) DirectRead(single, L"Path", buf);
  });
  const double ours = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      _RegValue* v = nullptr;
      reg->GetValue(kRoot, subKey.Get(), valueName.Get(), &v);
      if (!v) std::exit(2);
      v->Release();
    }
  });
  std::printf("getvalue_direct_us %.2f\n", direct / kCalls * 1e6);
  std::printf("getvalue_orvregistry2_us %.2f\n", ours / kCalls * 1e6);
  std::printf("ratio_getvalue %.2f\n", ours / direct);

  std::size_t seen = 0;
  const double enumDirect = BestSeconds(3, [&] { seen = DirectEnumValues(many); });
  LONG count = 0;
  const double enumOurs = BestSeconds(3, [&] {
    _Collection* c = nullptr;
    reg->GetValues(kRoot, manyKey.Get(), VARIANT_TRUE, &c);
    if (!c) std::exit(3);
    c->Count(&count);
    c->Release();
  });
  std::printf("getvalues_10000_direct_ms %.2f (%zu values)\n", enumDirect * 1e3, seen);
  std::printf("getvalues_10000_orvregistry2_ms %.2f (%ld values)\n", enumOurs * 1e3, static_cast<long>(count));
  std::printf("ratio_getvalues %.2f\n", enumOurs / enumDirect);

  SHDeleteKeyW(HKEY_CURRENT_USER, kBase);
  reg.Reset();
  CoUninitialize();
  return 0;
}

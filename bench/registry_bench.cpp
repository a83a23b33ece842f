// orvRegistry2 against the Win32 calls it stands for, measured in one run:
// GetValue against open, query, query, close, and late-bound against itself
// through the virtual table; GetValues with its data against a plain
// RegEnumValue loop over the same 10,000 values.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
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

  // The same call late-bound, as a script makes it after looking up the DISPID
  // once: IDispatch::Invoke with the arguments as values, in reverse order.
  LPOLESTR member[] = {const_cast<LPOLESTR>(L"GetValue")};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(reg->GetIDsOfNames(IID_NULL, member, 1, LOCALE_USER_DEFAULT, &id))) return 4;
  VARIANT args[3];
  V_VT(&args[2]) = VT_I4;
  V_I4(&args[2]) = kRoot;
  V_VT(&args[1]) = VT_BSTR;
  V_BSTR(&args[1]) = subKey.Get();
  V_VT(&args[0]) = VT_BSTR;
  V_BSTR(&args[0]) = valueName.Get();
  DISPPARAMS params{args, nullptr, 3, 0};
  constexpr int kBatch = 1000;  // short batches, many rounds: the best of each finds a quiet spell
  const auto vtableCalls = [&] {
    for (int i = 0; i < kBatch; ++i) {
      _RegValue* v = nullptr;
      reg->GetValue(kRoot, subKey.Get(), valueName.Get(), &v);
      if (!v) std::exit(2);
      v->Release();
    }
  };
  const auto lateCalls = [&] {
    for (int i = 0; i < kBatch; ++i) {
      VARIANT result;
      VariantInit(&result);
      reg->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
      if (V_VT(&result) != VT_DISPATCH || !V_DISPATCH(&result)) std::exit(3);
      VariantClear(&result);
    }
  };
  // Rounds of the two alternate, so a busy spell of the machine weighs on both.
  double vtable = 1e30, late = 1e30;
  for (int r = 0; r < 101; ++r) {
    vtable = std::min(vtable, BestSeconds(1, vtableCalls));
    late = std::min(late, BestSeconds(1, lateCalls));
  }
  std::printf("getvalue_invoke_us %.2f\n", late / kBatch * 1e6);
  std::printf("ratio_getvalue_invoke_to_vtable %.2f\n", late / vtable);

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

// GetValue called late-bound, as a script calls it after looking up the
// DISPID once (IDispatch::Invoke with the arguments as values), against the
// same call through the virtual table, in one run.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "bench/bench_common.h"
#include "brindle/brindle_idl.h"
#include "tests/common/server_loader.h"

namespace {

using orv::Bstr;
using orv::ComPtr;
using orv::bench::BestSeconds;

constexpr wchar_t kBase[] = L"Software\\OrvaneBench";
constexpr auto kRoot = static_cast<RegistryRoot2_Const>(0x80000001);  // HKEY_CURRENT_USER

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  orv::test::ServerLoader server;
  ComPtr<_orvRegistry2> reg;
  orv::bench::CreateOrExit(server, CLSID_orvRegistry2, &reg);
  const std::wstring single = std::wstring(kBase) + L"\\Late";
  SHDeleteKeyW(HKEY_CURRENT_USER, kBase);
  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, single.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  const wchar_t text[] = L"C:\\Program Files\\Orvane\\Quorlet";
  RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
  RegCloseKey(key);

  Bstr subKey(single.c_str()), valueName(L"Path");
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"GetValue")};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(reg->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id))) return 4;
  VARIANT args[3];  // in reverse order, as values: what a script passes for constants
  V_VT(&args[2]) = VT_I4;
  V_I4(&args[2]) = kRoot;
  V_VT(&args[1]) = VT_BSTR;
  V_BSTR(&args[1]) = subKey.Get();
  V_VT(&args[0]) = VT_BSTR;
  V_BSTR(&args[0]) = valueName.Get();
  DISPPARAMS params{args, nullptr, 3, 0};

  constexpr int kCalls = 20000;
  const double vtable = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      _RegValue* v = nullptr;
      reg->GetValue(kRoot, subKey.Get(), valueName.Get(), &v);
      if (!v) std::exit(2);
      v->Release();
    }
  });
  const double late = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      VARIANT result;
      VariantInit(&result);
      reg->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
      if (V_VT(&result) != VT_DISPATCH || !V_DISPATCH(&result)) std::exit(3);
      VariantClear(&result);
    }
  });
  std::printf("getvalue_vtable_us %.2f\n", vtable / kCalls * 1e6);
  std::printf("getvalue_invoke_us %.2f\n", late / kCalls * 1e6);
  std::printf("ratio_getvalue_invoke_to_vtable %.2f\n", late / vtable);

  SHDeleteKeyW(HKEY_CURRENT_USER, kBase);
  reg.Reset();
  CoUninitialize();
  return 0;
}

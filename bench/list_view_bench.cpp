// LoadListViewColumns of a 20-column report-view list view against what it
// stands for, measured in one run: the 20 direct registry reads and
// LVM_SETCOLUMNWIDTH for each column.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>
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

constexpr int kColumns = 20;
const std::wstring kFamily = L"Software\\Larkspur Forge\\Orvane\\";

// The list view object a program passes: hWnd, and ColumnHeaders with Count.
class Property final : public IDispatch {
 public:
  Property(const wchar_t* name, VARIANT value) : name_(name), value_(value) {}
  ~Property() {
    VariantClear(&value_);
    VariantClear(&extra_value_);
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IDispatch) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG r = --refs_;
    if (!r) delete this;
    return r;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
    if (lstrcmpiW(names[0], name_) == 0) return *id = 1, S_OK;
    if (extra_ && lstrcmpiW(names[0], extraName_) == 0) return *id = 2, S_OK;
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* out, EXCEPINFO*, UINT*) override {
    if (id == 1) return VariantCopy(out, &value_);
    if (id == 2) return VariantCopy(out, &extra_value_);
    return DISP_E_MEMBERNOTFOUND;
  }
  void Also(const wchar_t* name, VARIANT value) {
    extra_ = true;
    extraName_ = name;
    extra_value_ = value;
  }

 private:
  const wchar_t* name_;
  VARIANT value_;
  bool extra_ = false;
  const wchar_t* extraName_ = nullptr;
  VARIANT extra_value_{};
  ULONG refs_ = 1;
};

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  orv::test::ServerLoader server;
  ComPtr<_orvOrvaneSettings2> store;
  orv::bench::CreateOrExit(server, CLSID_orvOrvaneSettings2, &store);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND parent =
      CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 400, nullptr, nullptr, nullptr, nullptr);
  HWND list =
      CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 780, 380, parent, nullptr, nullptr, nullptr);
  if (!list) {
    std::fprintf(stderr, "cannot create a list view (no display?)\n");
    return 1;
  }
  for (int i = 0; i < kColumns; ++i) {
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH;
    col.cx = 40 + i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }

  const std::wstring title = L"OrvaneBench " + std::to_wstring(GetCurrentProcessId()) + L" columns";
  const std::wstring path = kFamily + title + L"\\Version 1.02\\lvw";
  std::vector<std::wstring> names;
  {
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    for (int i = 0; i < kColumns; ++i) {
      names.push_back(L"Column " + std::to_wstring(i + 1) + L" Width");
      const DWORD twips = 15 * (60 + i);
      RegSetValueExW(key, names.back().c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&twips), sizeof(twips));
    }
    RegCloseKey(key);
  }

  VARIANT count{}, hwnd{};
  V_VT(&count) = VT_I4;
  V_I4(&count) = kColumns;
  V_VT(&hwnd) = VT_I4;
  V_I4(&hwnd) = static_cast<LONG>(reinterpret_cast<INT_PTR>(list));
  auto* headers = new Property(L"Count", count);
  VARIANT headersValue{};
  V_VT(&headersValue) = VT_DISPATCH;
  V_DISPATCH(&headersValue) = headers;  // the list view object keeps this reference
  auto* listView = new Property(L"hWnd", hwnd);
  listView->Also(L"ColumnHeaders", headersValue);
  IDispatch* lv = listView;

  std::vector<BYTE> buf;
  constexpr int kCalls = 500;
  const double direct = BestSeconds(5, [&] {
    for (int c = 0; c < kCalls; ++c) {
      for (int i = 0; i < kColumns; ++i) {
        if (!DirectRead(path, names[i].c_str(), buf) || buf.size() != 4) std::exit(2);
        const LONG twips = *reinterpret_cast<const LONG*>(buf.data());
        SendMessageA(list, LVM_SETCOLUMNWIDTH, i, twips / 15);
      }
    }
  });
  Bstr sub(L"lvw"), bTitle(title.c_str());
  const double ours = BestSeconds(5, [&] {
    for (int c = 0; c < kCalls; ++c) {
      if (FAILED(store->LoadListViewColumns(sub.Get(), &lv, bTitle.Get(), 1, 2, VARIANT_TRUE))) std::exit(3);
    }
  });
  if (SendMessageW(list, LVM_GETCOLUMNWIDTH, kColumns - 1, 0) != 60 + kColumns - 1) std::exit(4);
  std::printf("loadlistviewcolumns_20_direct_us %.1f\n", direct / kCalls * 1e6);
  std::printf("loadlistviewcolumns_20_orvsettings2_us %.1f\n", ours / kCalls * 1e6);
  std::printf("ratio_loadlistviewcolumns %.2f\n", ours / direct);

  SHDeleteKeyW(HKEY_CURRENT_USER, (kFamily + title).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge\\Orvane");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge");
  lv->Release();
  DestroyWindow(parent);
  store.Reset();
  CoUninitialize();
  return 0;
}

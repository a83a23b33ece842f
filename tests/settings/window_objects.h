// Real windows and the automation objects a program of the family passes for
// them: a form (hWnd, Name), a report-view list view (hWnd, ColumnHeaders
// with Count), and late-bound calls of the store.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "tests/settings/settings_fixture.h"

namespace orv::test {

// The handle as a form's hWnd property holds it: a 32-bit Long.
inline Arg HandleArg(HWND window) { return Arg::I4(static_cast<LONG>(reinterpret_cast<INT_PTR>(window))); }

// A top-level window owned by the test; destroyed with the object.
class TestWindow {
 public:
  TestWindow(int x, int y, int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvaneTestForm";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"Test form", WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr,
                              nullptr, wc.hInstance, nullptr);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() { Destroy(); }
  void Destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
  }
  HWND Get() const { return window_; }

 protected:
  HWND window_ = nullptr;
};

// A report-view list view on its own top-level window, with columns of the given widths.
class TestListView {
 public:
  explicit TestListView(const std::vector<int>& widths) : parent_(10, 10, 600, 300) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 580, 280, parent_.Get(),
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    for (std::size_t i = 0; i < widths.size(); ++i) {
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH | LVCF_TEXT;
      col.cx = widths[i];
      col.pszText = const_cast<wchar_t*>(L"c");
      SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    }
  }
  HWND Get() const { return list_; }
  int Width(int column) const { return static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0)); }
  void SetWidths(int width) {
    for (int i = 0; i < Columns(); ++i) SendMessageW(list_, LVM_SETCOLUMNWIDTH, i, width);
  }
  int Columns() const {
    return static_cast<int>(
        SendMessageW(reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
  }
  void Destroy() { parent_.Destroy(); }

 private:
  TestWindow parent_;
  HWND list_ = nullptr;
};

inline ComPtr<TestAppObject> FormObject(HWND window, const std::wstring& name, bool scriptLike = false) {
  auto form = ComPtr<TestAppObject>::Attach(new TestAppObject(scriptLike));
  form->Set(L"hWnd", HandleArg(window));
  form->Set(L"Name", Arg::Text(name));
  return form;
}

// A list view object whose ColumnHeaders object answers `count`.
inline ComPtr<TestAppObject> ListViewObject(HWND window, Arg count) {
  auto headers = ComPtr<TestAppObject>::Attach(new TestAppObject());
  headers->Set(L"Count", std::move(count));
  auto lv = ComPtr<TestAppObject>::Attach(new TestAppObject());
  lv->Set(L"hWnd", HandleArg(window));
  lv->Set(L"ColumnHeaders", Arg::Object(headers.Get()));
  return lv;
}

// A member called late-bound with its arguments in declaration order; an
// argument left out of the list is omitted.
inline HRESULT CallLate(_orvOrvaneSettings2* store, const wchar_t* member, const std::vector<const Arg*>& args,
                        std::wstring* error = nullptr) {
  ComPtr<IDispatch> disp;
  if (HRESULT hr = store->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(disp.Put())); FAILED(hr)) return hr;
  DISPID id;
  LPOLESTR name = const_cast<LPOLESTR>(member);
  if (HRESULT hr = disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id); FAILED(hr)) return hr;
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(***it);
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  ExcepInfo excep;
  Variant out;
  const HRESULT hr = disp->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, out.Get(), &excep, nullptr);
  if (error) *error = Str(excep.bstrDescription);
  return hr == DISP_E_EXCEPTION ? excep.scode : hr;
}

// A value that a test wants untouched: nothing under the title at all.
inline bool NothingStored(const std::wstring& appKey) { return !KeyExists(HKEY_CURRENT_USER, appKey); }

}  // namespace orv::test

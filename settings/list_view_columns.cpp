// List-view column widths: one "Column N Width" value in twips per column.
// The steps that a failure only skips are marked as such; the rest raise.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "server/caller_object.h"
#include "server/com_error.h"
#include "settings/method_arguments.h"
#include "settings/orv_settings.h"
#include "support/screen_routines.h"

namespace orv {
namespace {

std::wstring ColumnValueName(LONG column) { return L"Column " + std::to_wstring(column) + L" Width"; }

// "ColumnHeaders"."Count" of the control, as a 32-bit integer.
LONG ColumnCount(IDispatch* listView) {
  Variant headers;
  ReadPropertyByName(listView, L"ListViewObject", L"ColumnHeaders", headers.Get());
  ThrowIfFailed(VariantCopyInd(headers.Get(), headers.Get()), L"ListViewObject.ColumnHeaders could not be read.");
  if (V_VT(headers.Get()) != VT_DISPATCH || !V_DISPATCH(headers.Get())) {
    throw ComError(kObjectRequired, L"ListViewObject.ColumnHeaders is no object with a Count.");
  }
  Variant count;
  ReadPropertyByName(V_DISPATCH(headers.Get()), L"ListViewObject.ColumnHeaders", L"Count", count.Get());
  if (HRESULT hr = VariantChangeType(count.Get(), count.Get(), 0, VT_I4); FAILED(hr)) {
    throw ComError(hr, L"ListViewObject.ColumnHeaders.Count is no 32-bit whole number.");
  }
  return V_I4(count.Get());
}

// The list view's window and how many columns it really has, whatever the
// object claims: a wrong count must neither run for ever nor store columns
// that do not exist. No window: nothing to visit.
struct ListViewWindow {
  HWND window = nullptr;
  LONG columns = 0;
};

ListViewWindow WindowOf(IDispatch* listView) {
  ListViewWindow lv;
  try {
    lv.window = ReadWindowHandle(listView, L"ListViewObject", L"hWnd");
  } catch (const ComError&) {
    return lv;  // trapped: no column can be reached
  }
  const auto header = reinterpret_cast<HWND>(SendMessageA(lv.window, LVM_GETHEADER, 0, 0));
  if (header) lv.columns = static_cast<LONG>(std::max<LRESULT>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 0));
  return lv;
}

// Trapped: a screen that cannot say gives no factor.
bool TwipsPerPixel(float* out) { return !Failed(esScreenTwipsPerPixelX(out)); }

void SaveColumns(const SettingsCore& core, const SettingScope& scope, IDispatch* listView) {
  if (!listView) return;
  LONG count = 0;
  try {
    count = ColumnCount(listView);
  } catch (const ComError&) {
    return;  // trapped: nothing is saved
  }
  const ListViewWindow lv = WindowOf(listView);
  float perPixel = 0;
  if (!TwipsPerPixel(&perPixel)) return;  // every column would be skipped
  const LONG last = std::min(count, lv.columns);
  for (LONG n = 1; n <= last; ++n) {
    const auto pixels = static_cast<std::int32_t>(SendMessageA(lv.window, LVM_GETCOLUMNWIDTH, n - 1, 0));
    const double twips = std::nearbyint(static_cast<double>(pixels) * static_cast<double>(perPixel));
    if (!(twips >= INT32_MIN && twips <= INT32_MAX)) continue;  // trapped overflow: skipped
    core.Save(scope, ColumnValueName(n), sdtLong, *Variant::I4(static_cast<LONG>(twips)).Get());
  }
}

void LoadColumns(const SettingsCore& core, const SettingScope& scope, IDispatch* listView) {
  if (!listView) return;
  const LONG count = ColumnCount(listView);
  const ListViewWindow lv = WindowOf(listView);
  float perPixel = 0;
  LONG divisor = 0;  // 0: widths cannot be applied, each column is skipped
  if (TwipsPerPixel(&perPixel)) {
    const double rounded = std::nearbyint(static_cast<double>(perPixel));
    if (rounded >= INT32_MIN && rounded <= INT32_MAX) divisor = static_cast<LONG>(rounded);
  }
  const Variant missing = Variant::I2(-1);
  const LONG last = std::min(count, lv.columns);
  for (LONG n = 1; n <= last; ++n) {
    bool found = false;
    Variant width = core.Load(scope, ColumnValueName(n), sdtLong, *missing.Get(), &found);
    if (HRESULT hr = VariantChangeType(width.Get(), width.Get(), 0, VT_I4); FAILED(hr)) {
      throw ComError(hr, L"A stored column width is no 32-bit whole number.");
    }
    const LONG twips = V_I4(width.Get());
    if (twips < 0 || divisor == 0 || (twips == INT32_MIN && divisor == -1)) continue;
    SendMessageA(lv.window, LVM_SETCOLUMNWIDTH, n - 1, twips / divisor);
  }
}

}  // namespace

HRESULT OrvOrvaneSettings2::ListViewColumnsOf(bool save, const AppSource& app, BSTR subKey, IDispatch** listView,
                                              VARIANT_BOOL userSetting) const {
  return InScope(app, userSetting, subKey, [&](const SettingScope& scope) {
    (save ? SaveColumns : LoadColumns)(core_, scope, Object(listView));
    return S_OK;
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveListViewColumns(BSTR SubKey, IDispatch** ListViewObject, BSTR AppTitle,
                                                     LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting) {
  return ListViewColumnsOf(true, AppSource(AppTitle, VerMajor, VerMinor), SubKey, ListViewObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadListViewColumns(BSTR SubKey, IDispatch** ListViewObject, BSTR AppTitle,
                                                     LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting) {
  return ListViewColumnsOf(false, AppSource(AppTitle, VerMajor, VerMinor), SubKey, ListViewObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::SaveListViewColumns2(BSTR SubKey, IDispatch** ListViewObject, IDispatch** AppObject,
                                                      VARIANT_BOOL UserSetting) {
  return ListViewColumnsOf(true, AppSource(AppObject), SubKey, ListViewObject, UserSetting);
}

STDMETHODIMP OrvOrvaneSettings2::LoadListViewColumns2(BSTR SubKey, IDispatch** ListViewObject, IDispatch** AppObject,
                                                      VARIANT_BOOL UserSetting) {
  return ListViewColumnsOf(false, AppSource(AppObject), SubKey, ListViewObject, UserSetting);
}

}  // namespace orv

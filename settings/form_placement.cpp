// Window placements: one 44-byte WINDOWPLACEMENT record per window, stored
// as a binary setting under the window's name.
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "server/caller_object.h"
#include "server/com_error.h"
#include "settings/fixed_size.h"
#include "settings/method_arguments.h"
#include "settings/orv_settings.h"
#include "support/screen_routines.h"

namespace orv {
namespace {

constexpr ULONG kRecordSize = 44;
static_assert(sizeof(WINDOWPLACEMENT) == kRecordSize, "the stored record is the structure itself");

HWND FormWindow(IDispatch* form) { return ReadWindowHandle(form, L"FormObject", L"hWnd"); }

// An empty sub-key means the window's own name.
std::wstring SubKeyFor(IDispatch* form, std::wstring subKey) {
  if (!subKey.empty()) return subKey;
  Variant name;
  ReadPropertyByName(form, L"FormObject", L"Name", name.Get());
  if (HRESULT hr = VariantChangeType(name.Get(), name.Get(), 0, VT_BSTR); FAILED(hr)) {
    throw ComError(hr, L"FormObject.Name does not convert to a text.");
  }
  return Text(V_BSTR(name.Get()));
}

void SavePlacement(const SettingsCore& core, SettingScope scope, BSTR valueName, IDispatch* form, bool* success) {
  *success = false;
  if (!form) return;
  WINDOWPLACEMENT placement{};
  placement.length = kRecordSize;
  if (!GetWindowPlacement(FormWindow(form), &placement)) return;
  SafeArray bytes(SafeArrayCreateVector(VT_UI1, 0, kRecordSize));
  if (!bytes.Get()) throw std::bad_alloc();
  {
    SafeArrayAccess access(bytes.Get());
    if (!access.Ok()) throw ComError(E_UNEXPECTED, L"The placement record could not be prepared.");
    std::memcpy(access.Data(), &placement, kRecordSize);
  }
  Variant value;
  V_VT(value.Get()) = VT_ARRAY | VT_UI1;
  V_ARRAY(value.Get()) = bytes.Detach();
  scope.subKey = SubKeyFor(form, std::move(scope.subKey));
  *success = core.Save(scope, Text(valueName), sdtBinary, *value.Get());
}

// The stored record when it is one: exactly 44 bytes that say so.
bool StoredRecord(const VARIANT& value, WINDOWPLACEMENT* placement) {
  if (V_VT(&value) != (VT_ARRAY | VT_UI1) || !V_ARRAY(&value)) return false;
  SAFEARRAY* array = V_ARRAY(&value);
  LONG low = 0, high = -1;
  if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &low)) ||
      FAILED(SafeArrayGetUBound(array, 1, &high)) || LONGLONG{high} - low + 1 != kRecordSize) {
    return false;
  }
  SafeArrayAccess access(array);
  if (!access.Ok()) return false;
  std::memcpy(placement, access.Data(), kRecordSize);
  return placement->length == kRecordSize;
}

LONG Add(LONG a, LONG b) {
  LONG sum;
  if (__builtin_add_overflow(a, b, &sum)) ThrowOverflow();
  return sum;
}

void LoadPlacement(const SettingsCore& core, SettingScope scope, BSTR valueName, IDispatch* form, bool minimized,
                   LONG fixedWidth, LONG fixedHeight, bool* success) {
  *success = false;
  if (!form) return;
  scope.subKey = SubKeyFor(form, std::move(scope.subKey));
  bool found = false;
  Variant missing;
  V_VT(missing.Get()) = VT_ERROR;
  V_ERROR(missing.Get()) = DISP_E_PARAMNOTFOUND;
  const Variant stored = core.Load(scope, Text(valueName), sdtBinary, *missing.Get(), &found);
  WINDOWPLACEMENT placement;
  if (!found || !StoredRecord(*stored.Get(), &placement)) return;

  ThrowIfFailed(esNormalizeRect(&placement.rcNormalPosition),
                L"The window position could not be fitted to the screen.");
  if (minimized) placement.showCmd = SW_MINIMIZE;
  RECT& r = placement.rcNormalPosition;
  if (fixedWidth > 0) r.right = Add(r.left, fixedWidth);
  if (fixedHeight > 0) r.bottom = Add(r.top, fixedHeight);
  *success = SetWindowPlacement(FormWindow(form), &placement) != FALSE;
}

// A fixed size in twips as pixels, raising the runtime's errors.
LONG FixedPixels(float twips, float twipsPerPixel) {
  std::int32_t pixels = 0;
  switch (TwipsToPixels(twips, twipsPerPixel, &pixels)) {
    case SizeFault::kNone: break;
    case SizeFault::kOverflow: ThrowOverflow();
    case SizeFault::kDivisionByZero: throw ComError(kDivByZero, L"The screen reports less than half a twip per pixel.");
  }
  return pixels;
}

// The same with the fixed size in twips.
void LoadPlacement(const SettingsCore& core, SettingScope scope, BSTR valueName, IDispatch* form, bool minimized,
                   float fixedWidth, float fixedHeight, bool* success) {
  float perPixelX = 0, perPixelY = 0;
  ThrowIfFailed(esScreenTwipsPerPixelX(&perPixelX), L"The screen's twips per pixel could not be read.");
  ThrowIfFailed(esScreenTwipsPerPixelY(&perPixelY), L"The screen's twips per pixel could not be read.");
  const LONG height = FixedPixels(fixedHeight, perPixelY);
  const LONG width = FixedPixels(fixedWidth, perPixelX);
  LoadPlacement(core, std::move(scope), valueName, form, minimized, width, height, success);
}

// Runs one of the methods with its success flag: False from the start, True
// only when the body says so.
template <class Body>
HRESULT WithFlag(VARIANT_BOOL* lpSuccess, Body&& body) {
  SetFlag(lpSuccess, false);
  bool success = false;
  body(&success);
  SetFlag(lpSuccess, success);
  return S_OK;
}

}  // namespace

HRESULT OrvOrvaneSettings2::SaveFormPlacementOf(const AppSource& app, BSTR subKey, BSTR valueName, IDispatch** form,
                                                VARIANT_BOOL userSetting, VARIANT_BOOL* lpSuccess) const {
  return InScope(app, userSetting, subKey, [&](const SettingScope& scope) {
    return WithFlag(lpSuccess, [&](bool* ok) { SavePlacement(core_, scope, valueName, Object(form), ok); });
  });
}

template <class Size>
HRESULT OrvOrvaneSettings2::LoadFormPlacementOf(const AppSource& app, BSTR subKey, BSTR valueName, IDispatch** form,
                                                VARIANT_BOOL setMinimized, Size fixedWidth, Size fixedHeight,
                                                VARIANT_BOOL userSetting, VARIANT_BOOL* lpSuccess) const {
  static_assert(std::is_same_v<Size, LONG> || std::is_same_v<Size, float>);
  return InScope(app, userSetting, subKey, [&](const SettingScope& scope) {
    return WithFlag(lpSuccess, [&](bool* ok) {
      LoadPlacement(core_, scope, valueName, Object(form), setMinimized != VARIANT_FALSE, fixedWidth, fixedHeight, ok);
    });
  });
}

STDMETHODIMP OrvOrvaneSettings2::SaveFormPlacement(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, BSTR AppTitle,
                                                   LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting,
                                                   VARIANT_BOOL* lpSuccess) {
  return SaveFormPlacementOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, ValueName, FormObject, UserSetting,
                             lpSuccess);
}

STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacementPx(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, BSTR AppTitle,
                                                     LONG VerMajor, LONG VerMinor, VARIANT_BOOL SetMinimized,
                                                     LONG FixedWidth, LONG FixedHeight, VARIANT_BOOL UserSetting,
                                                     VARIANT_BOOL* lpSuccess) {
  return LoadFormPlacementOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, ValueName, FormObject, SetMinimized,
                             FixedWidth, FixedHeight, UserSetting, lpSuccess);
}

STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacement(BSTR SubKey, BSTR ValueName, IDispatch** FormObject, BSTR AppTitle,
                                                   LONG VerMajor, LONG VerMinor, VARIANT_BOOL SetMinimized,
                                                   float FixedWidth, float FixedHeight, VARIANT_BOOL UserSetting,
                                                   VARIANT_BOOL* lpSuccess) {
  return LoadFormPlacementOf(AppSource(AppTitle, VerMajor, VerMinor), SubKey, ValueName, FormObject, SetMinimized,
                             FixedWidth, FixedHeight, UserSetting, lpSuccess);
}

STDMETHODIMP OrvOrvaneSettings2::SaveFormPlacement2(BSTR SubKey, BSTR ValueName, IDispatch** FormObject,
                                                    IDispatch** AppObject, VARIANT_BOOL UserSetting,
                                                    VARIANT_BOOL* lpSuccess) {
  return SaveFormPlacementOf(AppSource(AppObject), SubKey, ValueName, FormObject, UserSetting, lpSuccess);
}

STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacementPx2(BSTR SubKey, BSTR ValueName, IDispatch** FormObject,
                                                      IDispatch** AppObject, VARIANT_BOOL SetMinimized, LONG FixedWidth,
                                                      LONG FixedHeight, VARIANT_BOOL UserSetting,
                                                      VARIANT_BOOL* lpSuccess) {
  return LoadFormPlacementOf(AppSource(AppObject), SubKey, ValueName, FormObject, SetMinimized, FixedWidth, FixedHeight,
                             UserSetting, lpSuccess);
}

STDMETHODIMP OrvOrvaneSettings2::LoadFormPlacement2(BSTR SubKey, BSTR ValueName, IDispatch** FormObject,
                                                    IDispatch** AppObject, VARIANT_BOOL SetMinimized, float FixedWidth,
                                                    float FixedHeight, VARIANT_BOOL UserSetting,
                                                    VARIANT_BOOL* lpSuccess) {
  return LoadFormPlacementOf(AppSource(AppObject), SubKey, ValueName, FormObject, SetMinimized, FixedWidth, FixedHeight,
                             UserSetting, lpSuccess);
}

}  // namespace orv

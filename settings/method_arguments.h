// What the COM methods of orvOrvaneSettings2 make of their arguments before
// they call the core: flags, caller objects and the scope of the settings.
#pragma once
#include <windows.h>
#include <olectl.h>

#include "settings/settings_core.h"

namespace orv {

// Omitted flags arrive as a null pointer: written only when there.
inline void SetFlag(VARIANT_BOOL* flag, bool value) {
  if (flag) *flag = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The object of an [in, out] object parameter, or nullptr for Nothing.
inline IDispatch* Object(IDispatch** in) { return in ? *in : nullptr; }
inline IDispatch* Object(IFontDisp** in) { return in ? *in : nullptr; }

// Where a method names its application: the plain forms by title and
// version, the "2" forms by the caller's application object, read only when
// the scope is built.
class AppSource {
 public:
  AppSource(BSTR title, LONG major, LONG minor) : title_(title), major_(major), minor_(minor) {}
  explicit AppSource(IDispatch** appObject) : appObject_(appObject), byObject_(true) {}

  AppIdentity Identity() const {
    return byObject_ ? ReadAppIdentity(Object(appObject_)) : AppIdentity{Text(title_), major_, minor_};
  }
  SettingScope Scope(VARIANT_BOOL userSetting, BSTR subKey) const {
    return {Identity(), userSetting != VARIANT_FALSE, Text(subKey)};
  }

 private:
  BSTR title_ = nullptr;
  LONG major_ = 0, minor_ = 0;
  IDispatch** appObject_ = nullptr;
  bool byObject_ = false;
};

}  // namespace orv

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

// The plain methods' title and version.
inline SettingScope ScopeOf(BSTR appTitle, LONG major, LONG minor, VARIANT_BOOL userSetting, BSTR subKey) {
  return {{Text(appTitle), major, minor}, userSetting != VARIANT_FALSE, Text(subKey)};
}

// The "2" methods': read from the caller's application object.
inline SettingScope ScopeOf(IDispatch** appObject, VARIANT_BOOL userSetting, BSTR subKey) {
  return {ReadAppIdentity(Object(appObject)), userSetting != VARIANT_FALSE, Text(subKey)};
}

}  // namespace orv

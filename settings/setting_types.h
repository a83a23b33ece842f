// How each setting type is stored, defaulted and read back: the table
// behind LoadSetting and SaveSetting.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace orv {

// The type's own default: "" (sdtString), VT_I4 0 (sdtLong), a byte-array
// VARIANT holding no array (sdtBinary), False (sdtBoolean), Null otherwise.
void TypeDefault(LONG settingType, VARIANT* out);

// Whether a stored registry type can be read as the setting type.
bool IsTypeCompatible(LONG registryType, LONG settingType);

// True for a non-zero VT_I4, or a text that trims to "true" or "1" in any
// letter case; everything else is False. Throws ComError when trimming fails.
bool ToBoolean(const VARIANT& value);

// Turns a value into what is written for the setting type: `value` is
// replaced by the data to store and `registryType` set. False (nothing to
// write) when the value does not suit the type; never throws.
bool PrepareValueToSave(LONG settingType, VARIANT* value, LONG* registryType) noexcept;

}  // namespace orv

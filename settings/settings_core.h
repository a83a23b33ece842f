// The settings store's core in plain C++: setting paths, typed load and
// save, and the previous-version fallback, over the registry layer. The COM
// methods of orvOrvaneSettings2 convert their arguments and call it; the
// composite settings store and load through it too. Failures the caller must see are
// thrown as ComError; expected conditions come back as results.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>
#include <string_view>

#include "registry/orv_registry.h"
#include "support/com_types.h"

namespace orv {

// An application as the store knows it: its title and version.
struct AppIdentity {
  std::wstring title;
  LONG major = 0;
  LONG minor = 0;
};

// "Title", "Major" and "Minor" of the caller's application object, read in
// that order. Throws ComError with a description when the object is Nothing,
// lacks a property or a value does not convert.
AppIdentity ReadAppIdentity(IDispatch* appObject);

// Where a group of settings lives: the application, HKCU or HKLM, and the
// sub-key under the version key ("" for the version key itself).
struct SettingScope {
  AppIdentity app;
  bool user = true;
  std::wstring subKey;
};

// A stored value with its data as orvRegistry2 would give it.
struct StoredSetting {
  LONG type = 0;
  Variant data;
};

class SettingsCore {
 public:
  explicit SettingsCore(ComPtr<OrvRegistry2> registry) : registry_(std::move(registry)) {}

  // "Software\Larkspur Forge\Orvane\<title>\Version <major.minor>[\<subKey>]".
  // Throws ComError for negative version numbers.
  static std::wstring SettingPath(const AppIdentity& app, std::wstring_view subKey);

  // The stored value converted for `settingType`, or the caller's default
  // (the type's own when `defaultValue` is omitted) with *success false.
  Variant Load(const SettingScope& scope, std::wstring_view valueName, LONG settingType, const VARIANT& defaultValue,
               bool* success) const;

  // True when the value suited the type and was written.
  bool Save(const SettingScope& scope, std::wstring_view valueName, LONG settingType, const VARIANT& value) const;

 private:
  // The one read of a stored value: its type and data, or none when the
  // value is missing or does not convert; read again when it changed size
  // meanwhile.
  std::optional<StoredSetting> Read(HKEY root, const std::wstring& path, const std::wstring& valueName) const;

  // Kept for its life; the store reaches the registry with the same entry
  // points (UseUnicodeFunctions) and conversions, through the registry layer.
  ComPtr<OrvRegistry2> registry_;
};

}  // namespace orv

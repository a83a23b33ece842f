// The generator's stored choices reach Brindle0200's settings store through
// COM only: an orvOrvaneSettings2 object created by its class identifier and
// called through the virtual table of _orvOrvaneSettings2.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string_view>

#include "support/com_types.h"

struct _orvOrvaneSettings2;

namespace orv::quorlet {

// One settings object for the length of a load or a save; released when the
// session ends. Every failing call is raised as a run-time error.
class SettingsSession {
 public:
  explicit SettingsSession(IDispatch* appObject);
  ~SettingsSession();
  SettingsSession(const SettingsSession&) = delete;
  SettingsSession& operator=(const SettingsSession&) = delete;

  // LoadSetting2 of a long under the program's version key, the current
  // user's branch; the default travels as a 16-bit integer.
  std::int32_t LoadLong(std::wstring_view valueName, std::int16_t defaultValue);
  void SaveLong(std::wstring_view valueName, std::int32_t value);

 private:
  // Creates the object on first use.
  _orvOrvaneSettings2* Store();

  IDispatch* app_;
  ComPtr<_orvOrvaneSettings2> store_;
};

}  // namespace orv::quorlet

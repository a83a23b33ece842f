#include "settings/settings_core.h"

#include <optional>
#include <utility>
#include <vector>

#include "registry/registry_key.h"
#include "registry/value_variant.h"
#include "server/caller_object.h"
#include "server/com_error.h"
#include "server/variant_args.h"
#include "settings/prev_version_finder.h"
#include "settings/setting_types.h"
#include "support/text_routines.h"

namespace orv {
namespace {

HKEY RootFor(bool user) { return user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

std::wstring VersionText(LONG major, LONG minor) {
  std::wstring version;
  ThrowIfFailed(asFormatVersionShort(major, minor, &version), L"The version numbers must not be negative.");
  return version;
}

std::wstring BuildSettingPath(const std::wstring& title, const std::wstring& version, std::wstring_view subKey) {
  std::wstring path = ApplicationKeyPath(title) + L"\\Version " + version;
  if (!subKey.empty()) path.append(L"\\").append(subKey);
  return path;
}

// The registry API takes NUL-terminated names: a name with a NUL inside
// would address another key or value, so it addresses nothing at all. So
// does a path with an empty component (an empty title, a title or sub-key
// starting with a backslash), which is no legal registry path: Windows
// refuses it (or collapses it when the key is cached), and Wine collapses
// it and would store beside the application keys.
bool Addressable(std::wstring_view path, std::wstring_view valueName) {
  return path.find(L'\0') == std::wstring_view::npos && valueName.find(L'\0') == std::wstring_view::npos &&
         path.find(L"\\\\") == std::wstring_view::npos;
}

// The caller's Default as given (looked at through a script variable's
// reference), or the type's own default when it was omitted.
Variant DefaultValueFor(LONG settingType, const VARIANT& given) {
  Variant out;
  if (IsOmitted(given)) {
    TypeDefault(settingType, out.Get());
    return out;
  }
  if (!Referent(given)) throw ComError(E_INVALIDARG, L"Default is a reference that points nowhere.");
  ThrowIfFailed(VariantCopyInd(out.Get(), const_cast<VARIANT*>(&given)), L"The default value could not be copied.");
  return out;
}

// What a load returns for a stored value, or for none.
Variant ConvertStoredValue(std::optional<StoredSetting> stored, LONG settingType, const VARIANT& given, bool* success) {
  *success = false;
  if (!stored || !IsTypeCompatible(stored->type, settingType)) return DefaultValueFor(settingType, given);
  if (settingType == sdtBoolean) stored->data = Variant::Bool(ToBoolean(*stored->data.Get()));
  *success = true;
  return std::move(stored->data);
}

// A value saved with another size between the size query and the data query
// ends a read with ERROR_MORE_DATA. The registry object reports that as it
// is; here a missed read would become the caller's default, which a program
// may save back over the stored value. So the store reads again, a bounded
// number of times against a writer that never pauses.
constexpr int kReadAttempts = 8;

}  // namespace

AppIdentity ReadAppIdentity(IDispatch* app) {
  if (!app) throw ComError(kObjectNotSet, L"AppObject is Nothing: pass the program's application object.");
  struct Property {
    const wchar_t* name;
    VARTYPE type;
  };
  const Property properties[] = {{L"Title", VT_BSTR}, {L"Major", VT_I4}, {L"Minor", VT_I4}};
  Variant values[3];
  for (int i = 0; i < 3; ++i) ReadPropertyByName(app, L"AppObject", properties[i].name, values[i].Get());
  for (int i : {2, 1, 0}) {  // the numbers first, then the title, as the runtime converts them
    if (HRESULT hr = VariantChangeType(values[i].Get(), values[i].Get(), 0, properties[i].type); FAILED(hr)) {
      throw ComError(hr, L"AppObject." + std::wstring(properties[i].name) + L" does not convert: " +
                             (i == 0 ? L"a text is needed." : L"a 32-bit whole number is needed."));
    }
  }
  return {Text(V_BSTR(values[0].Get())), V_I4(values[1].Get()), V_I4(values[2].Get())};
}

std::wstring SettingsCore::SettingPath(const AppIdentity& app, std::wstring_view subKey) {
  return BuildSettingPath(app.title, VersionText(app.major, app.minor), subKey);
}

std::optional<StoredSetting> SettingsCore::Read(HKEY root, const std::wstring& path,
                                                const std::wstring& valueName) const {
  const bool wide = registry_->Wide();
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    reg::RegistryKey key;
    reg::StoredValue value;
    LONG status = reg::RegistryKey::Open(wide, root, path, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) status = key.ReadAtOnce(valueName, &value);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    StoredSetting stored{static_cast<LONG>(value.type), {}};
    if (!reg::Decode(wide, stored.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()),
                     stored.data.Get())) {
      return std::nullopt;
    }
    return stored;
  }
  return std::nullopt;
}

Variant SettingsCore::Load(const SettingScope& scope, std::wstring_view valueName, LONG settingType,
                           const VARIANT& defaultValue, bool* success) const {
  *success = false;
  const HKEY root = RootFor(scope.user);
  const std::wstring path = SettingPath(scope.app, scope.subKey);
  if (!Addressable(path, valueName)) return DefaultValueFor(settingType, defaultValue);

  const std::wstring name(valueName);
  std::optional<StoredSetting> stored = Read(root, path, name);
  // Missing here: an older version of the program may have stored it.
  const AppIdentity& app = scope.app;
  if (!stored && (app.major != 0 || app.minor != 0)) {
    const std::wstring older = FindPreviousVersion(registry_->Wide(), root, app.title, app.major, app.minor);
    if (!older.empty()) stored = Read(root, BuildSettingPath(app.title, older, scope.subKey), name);
  }
  return ConvertStoredValue(std::move(stored), settingType, defaultValue, success);
}

bool SettingsCore::Save(const SettingScope& scope, std::wstring_view valueName, LONG settingType,
                        const VARIANT& value) const {
  if (IsOmitted(value)) return false;
  // The call's own copy: a script variable passed by reference stays untouched.
  Variant prepared;
  if (!Referent(value) || FAILED(VariantCopyInd(prepared.Get(), const_cast<VARIANT*>(&value)))) return false;
  LONG registryType = 0;
  if (!PrepareValueToSave(settingType, prepared.Get(), &registryType)) return false;

  const std::wstring path = SettingPath(scope.app, scope.subKey);
  if (!Addressable(path, valueName)) return false;
  const bool wide = registry_->Wide();
  std::optional<std::vector<BYTE>> bytes = reg::Encode(wide, *prepared.Get(), registryType);
  if (!bytes) return false;
  reg::RegistryKey key;
  DWORD disposition = 0;
  if (reg::RegistryKey::Create(wide, RootFor(scope.user), path, KEY_SET_VALUE, &key, &disposition) != ERROR_SUCCESS) {
    return false;
  }
  return key.Write(std::wstring(valueName), {static_cast<DWORD>(registryType), std::move(*bytes)}) == ERROR_SUCCESS;
}

}  // namespace orv

#include "settings/prev_version_finder.h"

#include <vector>

#include "server/com_error.h"
#include "settings/version_text.h"
#include "support/com_types.h"
#include "support/text_routines.h"

namespace orv {
namespace {

constexpr wchar_t kVersionPrefix[] = L"VERSION ";
constexpr std::size_t kVersionPrefixLength = 8;

bool StartsWithVersionWord(const std::wstring& name) {
  if (name.size() < kVersionPrefixLength) return false;
  for (std::size_t i = 0; i < kVersionPrefixLength; ++i) {
    wchar_t c = name[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c != kVersionPrefix[i]) return false;
  }
  return true;
}

// The names of the application key's sub-keys, in the registry's order.
std::vector<std::wstring> SubKeyNames(_orvRegistry2* registry, LONG root, const std::wstring& path) {
  Bstr subKey(path.c_str(), static_cast<UINT>(path.size()));
  ComPtr<_Collection> keys;
  ThrowIfFailed(registry->GetSubKeys(static_cast<RegistryRoot2_Const>(root), subKey.Get(), keys.Put()),
        L"Listing the version keys failed.");
  std::vector<std::wstring> names;
  if (!keys) return names;
  LONG count = 0;
  ThrowIfFailed(keys->Count(&count), L"Counting the version keys failed.");
  for (LONG i = 1; i <= count; ++i) {
    Variant index = Variant::I4(i), item;
    ThrowIfFailed(keys->Item(index.Get(), item.Get()), L"Reading a version key failed.");
    ComPtr<_RegKey> key;
    if (V_VT(item.Get()) != VT_DISPATCH || !V_DISPATCH(item.Get()) ||
        FAILED(V_DISPATCH(item.Get())->QueryInterface(__uuidof(_RegKey), reinterpret_cast<void**>(key.Put())))) {
      continue;
    }
    Bstr name;
    ThrowIfFailed(key->get_Name(name.Put()), L"Reading a version key's name failed.");
    names.emplace_back(name.Get() ? name.Get() : L"", name.Length());
  }
  return names;
}

}  // namespace

std::wstring ApplicationKeyPath(const std::wstring& appTitle) {
  return L"Software\\Larkspur Forge\\Orvane\\" + appTitle;
}

std::wstring FindPreviousVersion(_orvRegistry2* registry, LONG root, const std::wstring& appTitle, LONG major,
                                 LONG minor) {
  std::vector<std::wstring> candidates;
  for (const std::wstring& name : SubKeyNames(registry, root, ApplicationKeyPath(appTitle))) {
    std::wstring trimmed, version;
    ThrowIfFailed(asTrimEx(name, &trimmed), L"Trimming a key name failed.");
    if (!StartsWithVersionWord(trimmed)) continue;
    ThrowIfFailed(asCutLeft(trimmed, static_cast<std::int32_t>(kVersionPrefixLength), &version), L"Cutting a key name failed.");
    ThrowIfFailed(asTrimEx(version, &version), L"Trimming a version text failed.");
    candidates.push_back(std::move(version));
  }
  if (candidates.empty()) return {};
  SortVersionList(candidates);

  std::wstring current;
  ThrowIfFailed(asFormatVersionShort(major, minor, &current), L"The version numbers must not be negative.");
  std::wstring newestOlder;
  for (const std::wstring& candidate : candidates) {
    if (CompareVersionText(current, candidate) == VersionOrder::kNewer) newestOlder = candidate;
  }
  return newestOlder;
}

}  // namespace orv

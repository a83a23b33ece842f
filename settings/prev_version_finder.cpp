#include "settings/prev_version_finder.h"

#include <utility>
#include <vector>

#include "registry/registry_key.h"
#include "server/com_error.h"
#include "settings/version_text.h"
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

// The names of the application key's sub-keys, in the registry's order;
// none when the key cannot be listed.
std::vector<std::wstring> SubKeyNames(bool wide, HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  reg::RegistryKey key;
  if (reg::RegistryKey::Open(wide, root, path, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) {
    return names;
  }
  reg::Listing<reg::SubKeyEntry> subKeys = key.SubKeys();
  if (!subKeys.complete) return names;
  names.reserve(subKeys.items.size());
  for (reg::SubKeyEntry& entry : subKeys.items) names.push_back(std::move(entry.name));
  return names;
}

}  // namespace

std::wstring ApplicationKeyPath(const std::wstring& appTitle) {
  return L"Software\\Larkspur Forge\\Orvane\\" + appTitle;
}

std::wstring FindPreviousVersion(bool wide, HKEY root, const std::wstring& appTitle, LONG major, LONG minor) {
  std::vector<std::wstring> candidates;
  for (const std::wstring& name : SubKeyNames(wide, root, ApplicationKeyPath(appTitle))) {
    std::wstring trimmed, version;
    ThrowIfFailed(asTrimEx(name, &trimmed), L"Trimming a key name failed.");
    if (!StartsWithVersionWord(trimmed)) continue;
    ThrowIfFailed(asCutLeft(trimmed, static_cast<std::int32_t>(kVersionPrefixLength), &version),
                  L"Cutting a key name failed.");
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

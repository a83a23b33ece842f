#include "settings/version_text.h"

#include <algorithm>
#include <limits>

namespace orv {
namespace {

std::vector<std::int32_t> ComponentValues(const std::wstring& text, std::size_t components) {
  std::vector<std::int32_t> values;
  values.reserve(components);
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find(L'.', start);
    values.push_back(
        VersionPartValue(text.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start)));
    if (dot == std::wstring::npos) break;
    start = dot + 1;
  }
  values.resize(std::max(values.size(), components), 0);  // the padding ".0" components
  return values;
}

}  // namespace

std::int32_t VersionPartValue(const std::wstring& part) {
  if (part.empty()) return 0;
  std::int64_t value = 0;
  for (wchar_t c : part) {
    if (c < L'0' || c > L'9') return 0;
    value = value * 10 + (c - L'0');
    if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  }
  return static_cast<std::int32_t>(value);
}

VersionOrder CompareVersionText(const std::wstring& a, const std::wstring& b) {
  const std::size_t components = 1 + static_cast<std::size_t>(std::max(std::count(a.begin(), a.end(), L'.'),
                                                                       std::count(b.begin(), b.end(), L'.')));
  const auto va = ComponentValues(a, components);
  const auto vb = ComponentValues(b, components);
  for (std::size_t i = 0; i < components; ++i) {
    if (va[i] < vb[i]) return VersionOrder::kOlder;
    if (va[i] > vb[i]) return VersionOrder::kNewer;
  }
  return VersionOrder::kEqual;
}

void SortVersionList(std::vector<std::wstring>& list) {
  // A stable sort gives the same order as picking the first of the oldest
  // again and again, in n log n comparisons instead of n squared.
  std::stable_sort(list.begin(), list.end(), [](const std::wstring& x, const std::wstring& y) {
    return CompareVersionText(x, y) == VersionOrder::kOlder;
  });
}

}  // namespace orv

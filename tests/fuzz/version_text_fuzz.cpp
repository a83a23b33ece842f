// Feeds arbitrary version texts (key names read from the registry) to the
// parser and the comparison, and checks what must hold for any input:
// values are never negative, the comparison is antisymmetric and agrees with
// itself under zero padding, and sorting keeps every text.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/version_text.h"

namespace {

using orv::VersionOrder;

void Require(bool condition) {
  if (!condition) std::abort();
}

VersionOrder Reverse(VersionOrder o) {
  if (o == VersionOrder::kNewer) return VersionOrder::kOlder;
  if (o == VersionOrder::kOlder) return VersionOrder::kNewer;
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  // Two texts, split at the first 0xFF byte; each byte becomes one character.
  const unsigned char* split = std::find(data, data + size, 0xFF);
  const std::wstring a(data, split);
  const std::wstring b(split == data + size ? split : split + 1, data + size);

  Require(orv::VersionPartValue(a) >= 0);
  const VersionOrder ab = orv::CompareVersionText(a, b);
  Require(orv::CompareVersionText(b, a) == Reverse(ab));
  Require(orv::CompareVersionText(a, a) == VersionOrder::kEqual);
  // A trailing zero component never changes the order.
  Require(orv::CompareVersionText(a + L".0", b) == ab);

  std::vector<std::wstring> list = {a, b, a + L".0", b + L".1"};
  std::vector<std::wstring> sorted = list;
  orv::SortVersionList(sorted);
  Require(std::is_permutation(list.begin(), list.end(), sorted.begin(), sorted.end()));
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    Require(orv::CompareVersionText(sorted[i - 1], sorted[i]) != VersionOrder::kNewer);
  }
  return 0;
}

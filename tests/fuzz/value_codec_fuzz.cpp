// Feeds arbitrary registry bytes to every decoder and checks what must hold
// for any input: no NUL survives in a decoded text, the pieces of a
// multi-string put back together give the decoded text, and what decodes
// encodes back to the same items.
#include <algorithm>
#include <cstdlib>

#include "registry/value_codec.h"

namespace {

using orv::codec::Bytes;

void Require(bool condition) {
  if (!condition) std::abort();
}

// `all` is the whole input as code units.
template <class CharT>
void CheckMulti(std::basic_string_view<CharT> all, const std::vector<std::basic_string<CharT>>& items,
                const std::vector<std::basic_string<CharT>>& again) {
  std::basic_string<CharT> joined;
  bool anyEmpty = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Require(items[i].find(CharT{}) == std::basic_string<CharT>::npos);
    anyEmpty = anyEmpty || items[i].empty();
    if (i > 0) joined += CharT{};
    joined += items[i];
  }
  // The items are the input up to its first double NUL (or all of it).
  const CharT doubleNul[2] = {};
  Require(all.substr(0, joined.size()) == joined);
  Require(joined.find(std::basic_string_view<CharT>(doubleNul, 2)) == std::basic_string<CharT>::npos);
  Require(joined.size() == all.size() || all.substr(joined.size(), 2) == std::basic_string_view<CharT>(doubleNul, 2));
  // A trailing empty item comes only from a final single NUL, never from a cut.
  Require(joined.empty() || joined.back() != CharT{} || joined.size() == all.size());
  // Empty items and the double NUL are the same bytes; anything else survives.
  if (!anyEmpty) Require(again == items);
}

void Narrow(const std::uint8_t* data, std::size_t size) {
  const std::string text = orv::codec::DecodeNarrow(data, size);
  Require(text.size() <= size && text.find('\0') == std::string::npos);
  Require(std::string(reinterpret_cast<const char*>(data), text.size()) == text);

  const std::vector<std::string> items = orv::codec::DecodeNarrowMulti(data, size);
  const Bytes reencoded = orv::codec::EncodeNarrowMulti(std::vector<std::string_view>(items.begin(), items.end()));
  CheckMulti(std::string_view(reinterpret_cast<const char*>(data), size), items,
             orv::codec::DecodeNarrowMulti(reencoded.data(), reencoded.size()));
}

void Wide(const std::uint8_t* data, std::size_t size) {
  const auto text = orv::codec::DecodeWide<char16_t>(data, size);
  const auto items = orv::codec::DecodeWideMulti<char16_t>(data, size);
  Require(text.has_value() == (size % 2 == 0) && items.has_value() == text.has_value());
  if (!text) return;
  Require(text->find(u'\0') == std::u16string::npos);
  const Bytes prefix = orv::codec::EncodeWide<char16_t>(*text, 0);
  Require(std::equal(prefix.begin(), prefix.end(), data));

  // A 32-bit wchar_t still gets one code unit per character.
  const auto asWchar = orv::codec::DecodeWide<wchar_t>(data, size);
  Require(asWchar && asWchar->size() == text->size());
  for (std::size_t i = 0; i < text->size(); ++i) Require(static_cast<char16_t>((*asWchar)[i]) == (*text)[i]);

  const Bytes reencoded = orv::codec::EncodeWideMulti(std::vector<std::u16string_view>(items->begin(), items->end()));
  auto again = orv::codec::DecodeWideMulti<char16_t>(reencoded.data(), reencoded.size());
  Require(again.has_value());
  std::u16string all(size / 2, u'\0');
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  CheckMulti(std::u16string_view(all), *items, *again);
}

void Dword(const std::uint8_t* data, std::size_t size) {
  const auto n = orv::codec::UnpackDword(data, size);
  Require(n.has_value() == (size == 4));
  if (n) Require(orv::codec::PackDword(*n) == Bytes(data, data + 4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Narrow(data, size);
  Wide(data, size);
  Dword(data, size);
  return 0;
}

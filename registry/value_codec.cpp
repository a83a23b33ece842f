#include "registry/value_codec.h"

#include <climits>
#include <cwchar>
#include <limits>
#include <stdexcept>

namespace orv::codec {
namespace {

constexpr std::size_t kMaxSize = std::numeric_limits<std::size_t>::max();

// Size arithmetic that refuses to wrap: a wrapped size would make a short
// buffer for a long text.
std::size_t CheckedAdd(std::size_t a, std::size_t b) {
  if (b > kMaxSize - a) throw std::length_error("registry value too large");
  return a + b;
}

std::size_t CheckedMul(std::size_t a, std::size_t b) {
  if (a != 0 && b > kMaxSize / a) throw std::length_error("registry value too large");
  return a * b;
}

// Code units of all items, the NUL between neighbours and the two final NULs.
template <class View>
std::size_t MultiUnits(const std::vector<View>& items) {
  std::size_t units = kMultiTerminators;
  for (const View& item : items) units = CheckedAdd(units, item.size());
  if (!items.empty()) units = CheckedAdd(units, items.size() - 1);
  return units;
}

void PutWideUnit(Bytes& out, std::uint32_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

template <class CharT>
void PutWide(Bytes& out, std::basic_string_view<CharT> text) {
  for (CharT c : text) PutWideUnit(out, static_cast<std::uint32_t>(c));
}

template <class CharT>
std::basic_string<CharT> WideUnits(const std::uint8_t* data, std::size_t units) {
  std::basic_string<CharT> text(units, CharT{});
  for (std::size_t i = 0; i < units; ++i) {
    text[i] = static_cast<CharT>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  return text;
}

template <class CharT>
std::basic_string_view<CharT> UpToNul(std::basic_string_view<CharT> text) {
  return text.substr(0, text.find(CharT{}));
}

template <class CharT>
std::vector<std::basic_string<CharT>> SplitMulti(std::basic_string_view<CharT> text) {
  const CharT doubleNul[2] = {CharT{}, CharT{}};
  text = text.substr(0, text.find(std::basic_string_view<CharT>(doubleNul, 2)));
  std::vector<std::basic_string<CharT>> items;
  if (text.empty()) return items;
  for (;;) {
    const std::size_t nul = text.find(CharT{});
    items.emplace_back(text.substr(0, nul));
    if (nul == std::basic_string_view<CharT>::npos) break;
    text.remove_prefix(nul + 1);
  }
  return items;
}

std::string_view NarrowView(const std::uint8_t* data, std::size_t count) {
  if (count == 0) return {};
  return {reinterpret_cast<const char*>(data), count};
}

}  // namespace

template <class CharT>
Bytes EncodeWide(std::basic_string_view<CharT> text, std::size_t terminators) {
  Bytes out;
  out.reserve(CheckedMul(CheckedAdd(text.size(), terminators), 2));
  PutWide(out, text);
  out.resize(out.size() + 2 * terminators, 0);
  return out;
}

Bytes EncodeNarrow(std::string_view text, std::size_t terminators) {
  Bytes out;
  out.reserve(CheckedAdd(text.size(), terminators));
  out.assign(text.begin(), text.end());
  out.resize(out.size() + terminators, 0);
  return out;
}

template <class CharT>
Bytes EncodeWideMulti(const std::vector<std::basic_string_view<CharT>>& items) {
  Bytes out;
  out.reserve(CheckedMul(MultiUnits(items), 2));
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) PutWideUnit(out, 0);
    PutWide(out, items[i]);
  }
  out.resize(out.size() + 2 * kMultiTerminators, 0);
  return out;
}

Bytes EncodeNarrowMulti(const std::vector<std::string_view>& items) {
  Bytes out;
  out.reserve(MultiUnits(items));
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out.push_back(0);
    out.insert(out.end(), items[i].begin(), items[i].end());
  }
  out.resize(out.size() + kMultiTerminators, 0);
  return out;
}

Bytes PackDword(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}

std::optional<std::int32_t> UnpackDword(const std::uint8_t* data, std::size_t count) {
  if (count != 4) return std::nullopt;
  const std::uint32_t u = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                          (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  return static_cast<std::int32_t>(u);
}

template <class CharT>
std::optional<std::basic_string<CharT>> DecodeWide(const std::uint8_t* data, std::size_t count) {
  if (count % 2 != 0) return std::nullopt;
  const std::basic_string<CharT> text = WideUnits<CharT>(data, count / 2);
  return std::basic_string<CharT>(UpToNul(std::basic_string_view<CharT>(text)));
}

std::string DecodeNarrow(const std::uint8_t* data, std::size_t count) {
  return std::string(UpToNul(NarrowView(data, count)));
}

template <class CharT>
std::optional<std::vector<std::basic_string<CharT>>> DecodeWideMulti(const std::uint8_t* data, std::size_t count) {
  if (count % 2 != 0) return std::nullopt;
  const std::basic_string<CharT> text = WideUnits<CharT>(data, count / 2);
  return SplitMulti(std::basic_string_view<CharT>(text));
}

std::vector<std::string> DecodeNarrowMulti(const std::uint8_t* data, std::size_t count) {
  return SplitMulti(NarrowView(data, count));
}

template Bytes EncodeWide(std::u16string_view, std::size_t);
template Bytes EncodeWideMulti(const std::vector<std::u16string_view>&);
template std::optional<std::u16string> DecodeWide(const std::uint8_t*, std::size_t);
template std::optional<std::vector<std::u16string>> DecodeWideMulti(const std::uint8_t*, std::size_t);
template std::optional<std::wstring> DecodeWide(const std::uint8_t*, std::size_t);
template std::optional<std::vector<std::wstring>> DecodeWideMulti(const std::uint8_t*, std::size_t);
// A 32-bit wchar_t holds code points, not UTF-16 code units: no encoder for it.
#if WCHAR_MAX <= 0xFFFF
template Bytes EncodeWide(std::wstring_view, std::size_t);
template Bytes EncodeWideMulti(const std::vector<std::wstring_view>&);
#endif

}  // namespace orv::codec

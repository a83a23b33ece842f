// Byte forms of registry values, without any Windows API: the encodings the
// registry wrapper writes and the decoders of what it reads back. Decoders
// take bytes from outside (the registry) and accept any content and length.
//
// Wide texts are UTF-16 code units, low byte first. Templates take the code
// unit type: wchar_t on Windows, char16_t anywhere; decoding into a wider
// wchar_t (Linux) keeps one code unit per character. 8-bit texts stay bytes
// here: the caller converts them from or to the ANSI code page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::codec {

using Bytes = std::vector<std::uint8_t>;

// NUL characters after the text: REG_SZ and REG_EXPAND_SZ end with one; a
// REG_MULTI_SZ, also one made from a single string, ends with two.
inline constexpr std::size_t kStringTerminators = 1;
inline constexpr std::size_t kMultiTerminators = 2;

// The text followed by `terminators` NUL characters. Throws std::length_error
// when the size cannot be represented.
template <class CharT>
Bytes EncodeWide(std::basic_string_view<CharT> text, std::size_t terminators);
Bytes EncodeNarrow(std::string_view text, std::size_t terminators);

// A REG_MULTI_SZ: the items with one NUL between neighbours, then two NULs.
// No items give just the two NULs.
template <class CharT>
Bytes EncodeWideMulti(const std::vector<std::basic_string_view<CharT>>& items);
Bytes EncodeNarrowMulti(const std::vector<std::string_view>& items);

// REG_DWORD and REG_DWORD_BIG_ENDIAN alike: least significant byte first.
Bytes PackDword(std::int32_t value);
// Only exactly four bytes make a DWORD.
std::optional<std::int32_t> UnpackDword(const std::uint8_t* data, std::size_t count);

// The text up to its first NUL. A wide text with an odd byte count does not
// convert: nullopt.
template <class CharT>
std::optional<std::basic_string<CharT>> DecodeWide(const std::uint8_t* data, std::size_t count);
std::string DecodeNarrow(const std::uint8_t* data, std::size_t count);

// A REG_MULTI_SZ: the text up to its first double NUL, split at every NUL.
// "a\0b\0\0" -> {a, b}; "a\0b\0" -> {a, b, ""}; "\0\0" and "" -> {};
// "a" -> {a}.
template <class CharT>
std::optional<std::vector<std::basic_string<CharT>>> DecodeWideMulti(const std::uint8_t* data, std::size_t count);
std::vector<std::string> DecodeNarrowMulti(const std::uint8_t* data, std::size_t count);

}  // namespace orv::codec

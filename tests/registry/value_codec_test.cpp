#include "registry/value_codec.h"

#include <gtest/gtest.h>

#include <climits>

namespace orv::codec {
namespace {

Bytes B(std::initializer_list<int> v) {
  Bytes out;
  for (int b : v) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

// The same text as 8-bit bytes and as UTF-16LE bytes (ASCII only).
Bytes Narrow(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes Wide(std::string_view s) {
  Bytes out;
  for (char c : s) out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
  return out;
}

TEST(ValueCodec, EncodesTextsWithTheirTerminators) {
  EXPECT_EQ(EncodeWide<char16_t>(u"ab", kStringTerminators), B({'a', 0, 'b', 0, 0, 0}));
  EXPECT_EQ(EncodeWide<char16_t>(u"\u0416\xD83D", kMultiTerminators), B({0x16, 0x04, 0x3D, 0xD8, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeNarrow("a\xE9", kStringTerminators), B({'a', 0xE9, 0}));
}

TEST(ValueCodec, EncodesMultiStrings) {
  struct Case {
    std::vector<std::string_view> items;
    std::string_view text;
  };
  const Case cases[] = {
      {{"a", "b"}, {"a\0b\0\0", 5}}, {{}, {"\0\0", 2}},       {{""}, {"\0\0", 2}},
      {{"", ""}, {"\0\0\0", 3}},     {{"ab"}, {"ab\0\0", 4}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeNarrowMulti(c.items), Narrow(c.text)) << c.items.size();
    std::vector<std::u16string> wide;
    for (std::string_view item : c.items) wide.emplace_back(item.begin(), item.end());
    EXPECT_EQ(EncodeWideMulti(std::vector<std::u16string_view>(wide.begin(), wide.end())), Wide(c.text));
  }
}

TEST(ValueCodec, DwordIsLittleEndianSigned32Bit) {
  EXPECT_EQ(PackDword(-1), B({0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(PackDword(0x12345678), B({0x78, 0x56, 0x34, 0x12}));
  const Bytes bytes = B({0, 0, 0, 0x80, 1, 1, 1, 1});
  EXPECT_EQ(UnpackDword(bytes.data(), 4), INT_MIN);
  for (std::size_t count : {0, 3, 5, 8}) EXPECT_FALSE(UnpackDword(bytes.data(), count)) << count;
}

TEST(ValueCodec, DecodesStringsUpToTheFirstNul) {
  struct Case {
    std::string_view bytes;
    std::string_view text;
  };
  const Case cases[] = {
      {"", ""}, {"abc", "abc"}, {{"abc\0xyz\0", 8}, "abc"}, {{"\0abc", 4}, ""}, {{"abc\0", 4}, "abc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeNarrow(Narrow(c.bytes).data(), c.bytes.size()), c.text);
    const Bytes wide = Wide(c.bytes);
    const std::u16string expected(c.text.begin(), c.text.end());
    EXPECT_EQ(DecodeWide<char16_t>(wide.data(), wide.size()), expected);
    EXPECT_EQ(DecodeWide<wchar_t>(wide.data(), wide.size()), std::wstring(c.text.begin(), c.text.end()));
  }
  const Bytes high = B({0xFF, 0xFF, 0x3D, 0xD8});
  EXPECT_EQ(DecodeWide<wchar_t>(high.data(), 4), std::wstring({wchar_t(0xFFFF), wchar_t(0xD83D)}));
}

TEST(ValueCodec, OddWideByteCountsDoNotConvert) {
  const Bytes seven = B({'a', 0, 'b', 0, 'c', 0, 0});
  for (std::size_t count : {1, 7}) {
    EXPECT_FALSE(DecodeWide<char16_t>(seven.data(), count)) << count;
    EXPECT_FALSE(DecodeWideMulti<char16_t>(seven.data(), count)) << count;
  }
}

TEST(ValueCodec, DecodesMultiStrings) {
  struct Case {
    std::string_view bytes;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {{"a\0b\0\0", 5}, {"a", "b"}},
      {{"a\0b\0", 4}, {"a", "b", ""}},
      {{"\0\0", 2}, {}},
      {"", {}},
      {"a", {"a"}},
      {{"\0", 1}, {"", ""}},
      {{"\0a\0\0", 4}, {"", "a"}},
      {{"a\0\0b\0\0", 6}, {"a"}},
      {{"ab\0\0\0", 5}, {"ab"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeNarrowMulti(Narrow(c.bytes).data(), c.bytes.size()), c.items);
    const Bytes wide = Wide(c.bytes);
    std::vector<std::u16string> expected;
    for (const std::string& s : c.items) expected.emplace_back(s.begin(), s.end());
    EXPECT_EQ(DecodeWideMulti<char16_t>(wide.data(), wide.size()), expected);
  }
}

}  // namespace
}  // namespace orv::codec

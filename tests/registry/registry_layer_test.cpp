// The registry layer under orvRegistry2 and the settings store: what no COM
// method shows, the status and contents of each call in both entry-point forms.
#include "registry/registry_key.h"

#include <gtest/gtest.h>

#include "tests/common/raw_registry.h"

namespace orv::reg {
namespace {

const std::wstring kPath = L"Software\\Larkspur Forge\\Orvane\\RegistryLayerTest";

class RegistryLayer : public ::testing::TestWithParam<bool> {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kPath.c_str()); }
  bool Wide() const { return GetParam(); }
};

TEST_P(RegistryLayer, ReadsWhatWasWrittenAndLeavesTheOutputOnFailure) {
  RegistryKey key;
  DWORD disposition = 0;
  ASSERT_EQ(RegistryKey::Create(Wide(), HKEY_CURRENT_USER, kPath, KEY_ALL_ACCESS, &key, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  struct Case {
    const wchar_t* name;
    StoredValue written;
    std::wstring readAs;
    LONG status;
  };
  const Case cases[] = {
      {L"Empty", {REG_BINARY, {}}, L"Empty", ERROR_SUCCESS},  // no data query
      {L"Bytes", {REG_NONE, {1, 0, 2}}, L"Bytes", ERROR_SUCCESS},
      {L"Dword", {REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4}}, L"Dword", ERROR_SUCCESS},
      {L"Room", {REG_BINARY, std::vector<BYTE>(RegistryKey::kReadRoom, 3)}, L"Room", ERROR_SUCCESS},
      {L"Large", {REG_BINARY, std::vector<BYTE>(RegistryKey::kReadRoom + 1, 4)}, L"Large", ERROR_SUCCESS},
      {L"Missing", {REG_BINARY, {9}}, L"Missingx", ERROR_FILE_NOT_FOUND},
      {L"Nul", {REG_BINARY, {9}}, std::wstring(L"Nul\0x", 5), ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(key.Write(c.name, c.written), ERROR_SUCCESS) << c.name;
    for (auto read : {&RegistryKey::Read, &RegistryKey::ReadAtOnce}) {
      StoredValue got{REG_LINK, {7}};
      EXPECT_EQ((key.*read)(c.readAs, &got), c.status) << c.name;
      const StoredValue expected = c.status == ERROR_SUCCESS ? c.written : StoredValue{REG_LINK, {7}};
      EXPECT_EQ(got.type, expected.type) << c.name;
      EXPECT_EQ(got.bytes, expected.bytes) << c.name;
    }
  }
}

TEST_P(RegistryLayer, ListsInTheRegistrysOrderWithTheStatusOfTheLastCall) {
  test::Put(HKEY_CURRENT_USER, kPath, L"Value", REG_BINARY, {5, 6});
  test::MakeKey(HKEY_CURRENT_USER, kPath + L"\\Sub", L"Class");
  RegistryKey key;
  ASSERT_EQ(RegistryKey::Open(Wide(), HKEY_CURRENT_USER, kPath, KEY_READ, &key), ERROR_SUCCESS);
  for (bool withData : {false, true}) {
    const Listing<ValueEntry> values = key.Values(withData);
    ASSERT_TRUE(values.complete);
    ASSERT_EQ(values.items.size(), 1u);
    EXPECT_EQ(values.items[0].name, L"Value");
    EXPECT_EQ(values.items[0].value.type, static_cast<DWORD>(REG_BINARY));
    const std::vector<BYTE> expected = withData ? std::vector<BYTE>{5, 6} : std::vector<BYTE>();
    EXPECT_EQ(values.items[0].value.bytes, expected);
  }
  const Listing<SubKeyEntry> subKeys = key.SubKeys();
  ASSERT_TRUE(subKeys.complete);
  EXPECT_EQ(subKeys.status, ERROR_SUCCESS);
  ASSERT_EQ(subKeys.items.size(), 1u);
  EXPECT_EQ(subKeys.items[0].name, L"Sub");
  EXPECT_EQ(subKeys.items[0].keyClass, L"Class");

  // A key opened without the right to enumerate lists nothing, and says why.
  RegistryKey queryOnly;
  ASSERT_EQ(RegistryKey::Open(Wide(), HKEY_CURRENT_USER, kPath, KEY_SET_VALUE, &queryOnly), ERROR_SUCCESS);
  const Listing<SubKeyEntry> refused = queryOnly.SubKeys();
  EXPECT_FALSE(refused.complete);
  EXPECT_EQ(refused.status, ERROR_ACCESS_DENIED);
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, RegistryLayer, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "Ansi"; });

}  // namespace
}  // namespace orv::reg

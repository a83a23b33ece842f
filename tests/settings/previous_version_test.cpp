// LoadSetting falling back to the newest older version key, with realistic
// key sets made by direct Win32 calls.
#include <optional>
#include <string>
#include <vector>

#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

const HKEY kUser = HKEY_CURRENT_USER, kMachine = HKEY_LOCAL_MACHINE;

using PreviousVersion = SettingsTest;

struct Key {
  const wchar_t* name;
  std::optional<DWORD> value;  // stored as "v"; a key without it holds another value
};

void MakeKeys(HKEY root, const std::wstring& appKey, const std::vector<Key>& keys) {
  for (const Key& k : keys) {
    const std::wstring path = appKey + L"\\" + k.name;
    if (k.value)
      PutDword(root, path, L"v", *k.value);
    else
      PutDword(root, path, L"other", 1);
  }
}

// The sub-key names of a key in the registry's enumeration order.
std::vector<std::wstring> Enumerated(const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(kUser, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD len = 256;
    if (RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  RegCloseKey(key);
  return names;
}

TEST_F(PreviousVersion, NewestStrictlyOlderKeyIsRead) {
  struct Case {
    const char* what;
    std::vector<Key> keys;
    LONG major, minor;
    std::optional<LONG> found;
  };
  const Case cases[] = {
      {"newest below", {{L"Version 1.0", 10}, {L"Version 1.5", 15}, {L"Version 2.0", 20}}, 2, 0, 15},
      {"only equal or newer", {{L"Version 1.0", 10}, {L"Version 2.0", 20}}, 1, 0, std::nullopt},
      {"numeric components", {{L"Version 1.9", 9}, {L"Version 1.10", 110}}, 2, 0, 110},
      {"names",
       {{L"version 1.5", 15},
        {L"VERSION 1.4", 14},
        {L"Version1.7", 17},
        {L"Settings", 18},
        {L"Version", 19},
        {L"Versions 1.8", 20}},
       2,
       0,
       15},
      {"equal to current", {{L"Version 1.2.0", 120}, {L"Version 1.1", 11}}, 1, 2, 11},
      {"padded equal", {{L"Version 1.2", 12}, {L"Version 0.99", 99}}, 1, 2, 99},  // 1.2 is 1.02
      {"letter counts as 0", {{L"Version 1.x", 10}, {L"Version 0.9", 9}}, 1, 1, 10},
      {"letter equal to current", {{L"Version 1.x", 10}}, 1, 0, std::nullopt},
      {"too large counts as 0", {{L"Version 1.99999999999", 7}, {L"Version 1.5", 15}}, 2, 0, 15},
      {"too large below current", {{L"Version 1.99999999999", 7}}, 1, 1, 7},
      {"version 0.0 never looks back", {{L"Version 0.0", 1}, {L"Version 0", 2}, {L"Version x", 3}}, 0, 0, std::nullopt},
      {"chosen key lacks the value", {{L"Version 1.0", 10}, {L"Version 1.5", std::nullopt}}, 2, 0, std::nullopt},
      {"no application key", {}, 2, 0, std::nullopt},
      {"no version keys", {{L"Settings", 5}, {L"Version2.0", 6}}, 3, 0, std::nullopt},
      {"three components", {{L"Version 2.0.1", 201}, {L"Version 2.0.0", 200}}, 2, 1, 201},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring title = Title("lookup " + std::to_string(index++));
    MakeKeys(kUser, AppKey(title), c.keys);
    VARIANT_BOOL ok = kGarbage;
    Variant v = LoadAs(title, L"", L"v", 1, Arg::I2(-1), &ok, c.major, c.minor);
    EXPECT_EQ(ok, c.found ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_TRUE(SameVariant(*v.Get(), c.found ? *Arg::I4(*c.found) : *Arg::I2(-1))) << Describe(*v.Get());
  }
}

TEST_F(PreviousVersion, AmongEqualNewestTheLastEnumeratedWins) {
  MakeKeys(kUser, AppKey(title_), {{L"Version 1.2", 1}, {L"Version 1.2.0", 2}, {L"Version 1.02", 3}});
  DWORD expected = 0;
  for (const std::wstring& name : Enumerated(AppKey(title_))) {
    expected = Query(kUser, AppKey(title_) + L"\\" + name, L"v").bytes[0];
  }
  VARIANT_BOOL ok = kGarbage;
  Variant v = Load(L"", L"v", 1, Arg::Missing(), &ok, 2, 0);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(V_I4(v.Get()), static_cast<LONG>(expected));
}

TEST_F(PreviousVersion, OlderValueIsReadEachTimeAndNeverCopied) {
  MakeKeys(kUser, AppKey(title_), {{L"Version 1.0", 10}});
  for (DWORD stored : {10u, 11u}) {
    PutDword(kUser, VersionKey(L"Version 1.0"), L"v", stored);
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(L"", L"v", 1, Arg::Missing(), &ok, 1, 2);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(V_I4(v.Get()), static_cast<LONG>(stored));
    EXPECT_FALSE(KeyExists(kUser, VersionKey(L"Version 1.02")));
  }
  // Once the current version has its own value, the older one is ignored.
  PutDword(kUser, VersionKey(L"Version 1.02"), L"v", 12);
  VARIANT_BOOL ok = kGarbage;
  EXPECT_EQ(V_I4(Load(L"", L"v", 1, Arg::Missing(), &ok, 1, 2).Get()), 12);
}

TEST_F(PreviousVersion, OlderValueIsConvertedLikeACurrentOne) {
  PutSz(kUser, VersionKey(L"Version 1.0"), L"flag", L" true ");
  PutSz(kUser, VersionKey(L"Version 1.0"), L"text", L"7");
  PutDword(kUser, VersionKey(L"Version 1.0", L"frmMain"), L"left", 40);
  struct Case {
    const wchar_t* sub;
    const wchar_t* name;
    LONG type;
    bool found;
    Arg value;
  };
  Case cases[] = {
      {L"", L"flag", 3, true, Arg::Bool(true)},
      {L"", L"text", 1, false, Arg::I2(-1)},  // a text does not fit a long, also when older
      {L"frmMain", L"left", 1, true, Arg::I4(40)},
      {L"", L"left", 1, false, Arg::I2(-1)},  // the sub-key is kept on the older path
  };
  for (auto& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    VARIANT_BOOL ok = kGarbage;
    Variant v = Load(c.sub, c.name, c.type, Arg::I2(-1), &ok, 2, 0);
    EXPECT_EQ(ok, c.found ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_TRUE(SameVariant(*v.Get(), *c.value)) << Describe(*v.Get());
  }
}

TEST_F(PreviousVersion, LooksOnlyUnderTheRootOfTheCall) {
  PutDword(kMachine, VersionKey(L"Version 1.0"), L"v", 5);
  VARIANT_BOOL ok = kGarbage;
  Load(L"", L"v", 1, Arg::Missing(), &ok, 2, 0, VARIANT_TRUE);
  EXPECT_EQ(ok, VARIANT_FALSE);
  ok = kGarbage;
  EXPECT_EQ(V_I4(Load(L"", L"v", 1, Arg::Missing(), &ok, 2, 0, VARIANT_FALSE).Get()), 5);
  EXPECT_EQ(ok, VARIANT_TRUE);
}

}  // namespace
}  // namespace orv::test

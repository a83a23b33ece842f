// The server frame of Brindle0200.dll as COM uses it: class objects, class
// factories, the module's unload answer, interface identity, error
// information, the version block and the export table.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "idl/brindle_idl.h"
#include "support/com_types.h"
#include "tests/common/server_loader.h"

namespace orv::test {
namespace {

const IID kIidSettingsV0 = {0xCCCCB5ED, 0x5749, 0x4676, {0xB4, 0x52, 0xB8, 0x8A, 0xA9, 0x92, 0x21, 0x3E}};
// No class of the library has this identifier.
const CLSID kUnknownClsid = {0x6B1E8A3C, 0x0F2D, 0x4E55, {0x9C, 0x11, 0x2A, 0x7D, 0x40, 0x5E, 0x91, 0xB3}};
void* const kGarbage = reinterpret_cast<void*>(static_cast<uintptr_t>(0xDEADBEEF));

std::unique_ptr<ServerLoader> g_loader;

class Environment : public ::testing::Environment {
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_loader = std::make_unique<ServerLoader>();
  }
  void TearDown() override {
    g_loader.reset();
    CoUninitialize();
  }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new Environment);

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_loader->Loaded());
    // Every test starts and must end with nothing alive.
    ASSERT_EQ(g_loader->CanUnloadNow(), S_OK);
  }
  void TearDown() override { EXPECT_EQ(g_loader->CanUnloadNow(), S_OK) << "an object or lock outlived the test"; }

  static ComPtr<IClassFactory> Factory(REFCLSID clsid) {
    ComPtr<IClassFactory> f;
    EXPECT_EQ(g_loader->GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(f.Put())), S_OK);
    return f;
  }
};

struct Creatable {
  const char* name;
  const CLSID* clsid;
  const IID* iid;
};
const Creatable kCreatable[] = {
    {"orvRegistry2", &CLSID_orvRegistry2, &IID__orvRegistry2},
    {"orvOrvaneSettings2", &CLSID_orvOrvaneSettings2, &IID__orvOrvaneSettings2},
};

TEST_F(ServerTest, ClassObjectsExistOnlyForTheCreatableClasses) {
  struct Row {
    const char* what;
    const CLSID* clsid;
    REFIID iid;
    HRESULT want;
  };
  const Row rows[] = {
      {"orvRegistry2", &CLSID_orvRegistry2, IID_IClassFactory, S_OK},
      {"orvOrvaneSettings2", &CLSID_orvOrvaneSettings2, IID_IClassFactory, S_OK},
      {"orvRegistry2 as IUnknown", &CLSID_orvRegistry2, IID_IUnknown, S_OK},
      {"RegKey", &CLSID_RegKey, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {"RegValue", &CLSID_RegValue, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {"an unknown class", &kUnknownClsid, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {"an interface identifier", &IID__orvRegistry2, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {"the library identifier", &LIBID_Brindle0200, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {"orvRegistry2 asked for IDispatch", &CLSID_orvRegistry2, IID_IDispatch, E_NOINTERFACE},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    void* out = kGarbage;
    EXPECT_EQ(g_loader->GetClassObject(*r.clsid, r.iid, &out), r.want);
    if (SUCCEEDED(r.want)) {
      ASSERT_NE(out, nullptr);
      static_cast<IUnknown*>(out)->Release();
    } else {
      EXPECT_EQ(out, nullptr);
    }
  }
  EXPECT_EQ(g_loader->GetClassObject(CLSID_orvRegistry2, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ServerTest, FactoriesRefuseAggregationAndUnknownInterfaces) {
  for (const Creatable& c : kCreatable) {
    SCOPED_TRACE(c.name);
    ComPtr<IClassFactory> factory = Factory(*c.clsid);
    ASSERT_TRUE(factory);
    ComPtr<IUnknown> outer;
    ASSERT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(outer.Put())), S_OK);

    struct Row {
      const char* what;
      IUnknown* outer;
      REFIID iid;
      HRESULT want;
    };
    const Row rows[] = {
        {"an outer unknown", outer.Get(), IID_IUnknown, CLASS_E_NOAGGREGATION},
        {"an outer unknown, default interface", outer.Get(), *c.iid, CLASS_E_NOAGGREGATION},
        {"an interface the class lacks", nullptr, IID_IPersist, E_NOINTERFACE},
        {"IUnknown", nullptr, IID_IUnknown, S_OK},
        {"IDispatch", nullptr, IID_IDispatch, S_OK},
        {"its default interface", nullptr, *c.iid, S_OK},
        {"ISupportErrorInfo", nullptr, IID_ISupportErrorInfo, S_OK},
    };
    for (const Row& r : rows) {
      SCOPED_TRACE(r.what);
      void* out = kGarbage;
      EXPECT_EQ(factory->CreateInstance(r.outer, r.iid, &out), r.want);
      if (SUCCEEDED(r.want)) {
        ASSERT_NE(out, nullptr);
        static_cast<IUnknown*>(out)->Release();
      } else {
        EXPECT_EQ(out, nullptr);
      }
    }
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  }
}

TEST_F(ServerTest, CanUnloadOnlyWhenNoObjectAndNoLockIsLeft) {
  for (const Creatable& c : kCreatable) {
    SCOPED_TRACE(c.name);
    ComPtr<IDispatch> a, b;
    ASSERT_EQ(g_loader->Create(*c.clsid, &a), S_OK);
    ASSERT_EQ(g_loader->Create(*c.clsid, &b), S_OK);
    EXPECT_EQ(g_loader->CanUnloadNow(), S_FALSE);
    a.Reset();
    EXPECT_EQ(g_loader->CanUnloadNow(), S_FALSE) << "one object is still alive";
    b.Reset();
    // The settings object's own orvRegistry2 must go with it.
    EXPECT_EQ(g_loader->CanUnloadNow(), S_OK);

    // Locks count, and outlive the factory that took them.
    ComPtr<IClassFactory> factory = Factory(*c.clsid);
    ASSERT_TRUE(factory);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(g_loader->CanUnloadNow(), S_FALSE);
    factory = Factory(*c.clsid);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(g_loader->CanUnloadNow(), S_FALSE) << "one lock is still held";
    factory = Factory(*c.clsid);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(g_loader->CanUnloadNow(), S_OK);
  }
}

// COM identity: one IUnknown per object, and the settings object hands out
// one and the same interface for its current and its earlier identifier.
TEST_F(ServerTest, InterfaceIdentity) {
  ComPtr<_orvOrvaneSettings2> settings;
  ASSERT_EQ(g_loader->Create(CLSID_orvOrvaneSettings2, &settings), S_OK);
  void* current = nullptr;
  void* earlier = nullptr;
  ASSERT_EQ(settings->QueryInterface(IID__orvOrvaneSettings2, &current), S_OK);
  ASSERT_EQ(settings->QueryInterface(kIidSettingsV0, &earlier), S_OK);
  EXPECT_EQ(current, earlier);
  EXPECT_EQ(current, static_cast<void*>(settings.Get()));
  static_cast<IUnknown*>(current)->Release();
  static_cast<IUnknown*>(earlier)->Release();

  ComPtr<_orvRegistry2> registry;
  ASSERT_EQ(g_loader->Create(CLSID_orvRegistry2, &registry), S_OK);

  struct Row {
    const char* what;
    IUnknown* object;
    REFIID iid;
    HRESULT want;
  };
  const Row rows[] = {
      {"registry as settings", registry.Get(), IID__orvOrvaneSettings2, E_NOINTERFACE},
      {"registry as earlier settings", registry.Get(), kIidSettingsV0, E_NOINTERFACE},
      {"registry as RegValue", registry.Get(), IID__RegValue, E_NOINTERFACE},
      {"settings as registry", settings.Get(), IID__orvRegistry2, E_NOINTERFACE},
      {"settings as collection", settings.Get(), IID__Collection, E_NOINTERFACE},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    void* out = kGarbage;
    EXPECT_EQ(r.object->QueryInterface(r.iid, &out), r.want);
    EXPECT_EQ(out, nullptr);
  }

  for (IUnknown* object : {static_cast<IUnknown*>(registry.Get()), static_cast<IUnknown*>(settings.Get())}) {
    std::set<void*> unknowns;
    for (REFIID iid : {IID_IUnknown, IID_IDispatch, IID_ISupportErrorInfo}) {
      ComPtr<IUnknown> via;
      ASSERT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(via.Put())), S_OK);
      ComPtr<IUnknown> identity;
      ASSERT_EQ(via->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Put())), S_OK);
      unknowns.insert(identity.Get());
    }
    EXPECT_EQ(unknowns.size(), 1u);
  }
}

TEST_F(ServerTest, SupportErrorInfoNamesTheClassInterfaces) {
  ComPtr<ISupportErrorInfo> registry, settings;
  ASSERT_EQ(g_loader->Create(CLSID_orvRegistry2, &registry), S_OK);
  ASSERT_EQ(g_loader->Create(CLSID_orvOrvaneSettings2, &settings), S_OK);
  struct Row {
    const char* what;
    ISupportErrorInfo* object;
    REFIID iid;
    HRESULT want;
  };
  const Row rows[] = {
      {"registry, own interface", registry.Get(), IID__orvRegistry2, S_OK},
      {"registry, IDispatch", registry.Get(), IID_IDispatch, S_FALSE},
      {"registry, settings interface", registry.Get(), IID__orvOrvaneSettings2, S_FALSE},
      {"settings, own interface", settings.Get(), IID__orvOrvaneSettings2, S_OK},
      {"settings, earlier identifier", settings.Get(), kIidSettingsV0, S_OK},
      {"settings, registry interface", settings.Get(), IID__orvRegistry2, S_FALSE},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.object->InterfaceSupportsErrorInfo(r.iid), r.want);
  }
}

// A failure through the virtual table leaves a description for the caller:
// an application object that is nothing is an error of the settings store.
TEST_F(ServerTest, RaisedErrorCarriesDescriptionAndSource) {
  ComPtr<_orvOrvaneSettings2> settings;
  ASSERT_EQ(g_loader->Create(CLSID_orvOrvaneSettings2, &settings), S_OK);
  SetErrorInfo(0, nullptr);
  IDispatch* nothing = nullptr;
  Bstr path;
  const HRESULT hr = settings->GetSettingPath2(&nothing, nullptr, path.Put());
  ASSERT_TRUE(FAILED(hr));
  EXPECT_EQ(path.Get(), nullptr);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  ASSERT_TRUE(info);
  Bstr description, source;
  GUID guid{};
  ASSERT_EQ(info->GetDescription(description.Put()), S_OK);
  ASSERT_EQ(info->GetSource(source.Put()), S_OK);
  ASSERT_EQ(info->GetGUID(&guid), S_OK);
  EXPECT_GT(description.Length(), 0u);
  EXPECT_EQ(std::wstring(source.Get() ? source.Get() : L""), L"Brindle0200.orvOrvaneSettings2");
  EXPECT_TRUE(IsEqualGUID(guid, IID__orvOrvaneSettings2));
}

std::wstring ServerPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(g_loader->Module(), path.data(), MAX_PATH));
  return path;
}

TEST(ServerFile, VersionBlock) {
  const std::wstring path = ServerPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));  // 2.0
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(6, 0));  // .0.6
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
  EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(6, 0));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  struct Translation {
    WORD language;
    WORD codePage;
  }* translations = nullptr;
  ASSERT_TRUE(
      VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &len));
  ASSERT_GE(len, sizeof(Translation));
  wchar_t table[32];
  swprintf(table, 32, L"\\StringFileInfo\\%04x%04x\\", translations->language, translations->codePage);

  struct Row {
    const wchar_t* name;
    const wchar_t* value;
  };
  const Row rows[] = {
      {L"FileVersion", L"2.00.0006"},
      {L"ProductVersion", L"2.00.0006"},
      {L"FileDescription", L"Orvane - Brindle 2.00"},
      {L"Comments", L"Orvane - Brindle 2.00"},
      {L"ProductName", L"Orvane"},
      {L"CompanyName", L"Larkspur Forge"},
      {L"InternalName", L"Brindle0200"},
      {L"OriginalFilename", L"Brindle0200.DLL"},
      // Present and empty: it marks the file as self-registering.
      {L"OLESelfRegister", L""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.name);
    wchar_t* text = nullptr;
    len = 0;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), (std::wstring(table) + r.name).c_str(), reinterpret_cast<void**>(&text), &len));
    // len counts the terminating NUL where there are characters.
    const std::wstring got = (text && len > 0) ? std::wstring(text, wcsnlen(text, len)) : std::wstring();
    EXPECT_EQ(got, r.value);
  }
}

// Exactly the four entry points of an in-process server, by name.
TEST(ServerFile, ExportsTheFourEntryPointsOnly) {
  auto* base = reinterpret_cast<const BYTE*>(g_loader->Module());
  ASSERT_NE(base, nullptr);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(dir.VirtualAddress, 0u);
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  EXPECT_EQ(exports->NumberOfFunctions, 4u) << "exports by ordinal only count too";
  std::set<std::string> names;
  const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
  }
  const std::set<std::string> want = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                      "DllUnregisterServer"};
  EXPECT_EQ(names, want);
}

}  // namespace
}  // namespace orv::test

// A setting that changes size while it is loaded: one apartment keeps saving
// it in a short and a long form while another loads it, each with objects of
// its own. No load may come back with the default, which a program that
// saves its settings back would store.
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <thread>

#include "tests/settings/proxy_object.h"
#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

constexpr int kLoads = 1000;
using Saver = std::function<void(_orvOrvaneSettings2*, const std::wstring& form)>;
using Reader = std::function<std::wstring()>;  // one load: what it gave

struct Apartment {
  Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~Apartment() { CoUninitialize(); }
};

// How often each result came back from kLoads loads made by the reader that
// `makeReader` makes in its apartment; the writer stays within two saves of
// the loads, so a reader the scheduler starves still meets a settled value.
std::map<std::wstring, int> Race(ServerLoader* loader, const Saver& save, const std::wstring (&forms)[2],
                                 const std::function<Reader()>& makeReader) {
  std::atomic<int> saves{0}, loads{0};
  std::atomic<bool> done{false};
  std::map<std::wstring, int> seen;
  std::thread writer([&] {
    Apartment apartment;
    ComPtr<_orvOrvaneSettings2> store;
    loader->Create(CLSID_orvOrvaneSettings2, &store);
    while (store && !done) {
      if (saves > 2 * (loads + 1))
        std::this_thread::yield();
      else
        save(store.Get(), forms[++saves % 2]);
    }
  });
  std::thread reader([&] {
    Apartment apartment;
    if (Reader read = makeReader()) {
      for (; loads < kLoads; ++loads) ++seen[read()];
    }
    done = true;
  });
  reader.join();
  writer.join();
  return seen;
}

ComPtr<ProxyObject> HttpProxy() {
  return ProxyObject::Make({L"HTTP_AccessType", L"HTTP_Address", L"HTTP_BypassList", L"HTTP_BypassLocal",
                            L"HTTP_UserName", L"HTTP_Password"});
}

using ReadRace = SettingsTest;

TEST_F(ReadRace, ASettingThatChangesSizeWhileLoadingIsReadAgain) {
  const std::wstring title = title_;
  const auto text = [&](_orvOrvaneSettings2* s, const std::wstring& form) {
    s->SaveSetting(Bstr(L"").Get(), Bstr(L"v").Get(), sdtString, *Arg::Text(form), Bstr(title.c_str()).Get(), 1, 2,
                   VARIANT_TRUE, nullptr);
  };
  const auto password = [&](_orvOrvaneSettings2* s, const std::wstring& form) {
    ComPtr<ProxyObject> proxy = HttpProxy();
    proxy->Set(L"HTTP_Password", Variant::Text(form));
    IDispatch* p = proxy.Get();
    s->SaveProxySettings(Bstr(L"P").Get(), &p, Bstr(title.c_str()).Get(), 1, 2, VARIANT_TRUE);
  };
  const std::function<std::wstring(_orvOrvaneSettings2*)> loadText = [&](_orvOrvaneSettings2* s) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    Variant out;
    s->LoadSetting(Bstr(L"").Get(), Bstr(L"v").Get(), sdtString, *Arg::Text(L"(default)"), Bstr(title.c_str()).Get(), 1,
                   2, VARIANT_TRUE, &ok, out.Get());
    return ok ? Str(V_BSTR(out.Get())) : L"(default)";
  };
  const std::function<std::wstring(_orvOrvaneSettings2*)> loadPassword = [&](_orvOrvaneSettings2* s) {
    ComPtr<ProxyObject> proxy = HttpProxy();
    IDispatch* p = proxy.Get();
    s->LoadProxySettings(Bstr(L"P").Get(), &p, Bstr(title.c_str()).Get(), 1, 2, VARIANT_TRUE);
    return Str(V_BSTR(proxy->Get(L"HTTP_Password")));
  };
  const struct {
    const char* name;
    Saver save;
    std::function<std::wstring(_orvOrvaneSettings2*)> load;
    std::wstring forms[2];
  } rows[] = {
      {"text", text, loadText, {L"s", std::wstring(300, L'L')}},
      {"proxy password", password, loadPassword, {L"pw", L"a much longer password " + std::wstring(90, L'x')}},
  };
  for (const auto& row : rows) {
    row.save(store_.Get(), row.forms[0]);
    const auto seen = Race(loader_, row.save, row.forms, [&]() -> Reader {
      auto store = std::make_shared<ComPtr<_orvOrvaneSettings2>>();
      if (FAILED(loader_->Create(CLSID_orvOrvaneSettings2, store.get()))) return nullptr;
      return [&row, store] { return row.load(store->Get()); };
    });
    int good = 0;
    for (const auto& [value, count] : seen) {
      if (value == row.forms[0] || value == row.forms[1]) {
        good += count;
      } else {
        ADD_FAILURE() << row.name << ": " << count << " loads gave " << Narrow(value.substr(0, 20));
      }
    }
    EXPECT_EQ(good, kLoads) << row.name;
  }
}

// orvRegistry2 keeps its one attempt: a value that grew between its two
// queries gives Nothing with LastRegError 234, and nothing else fails.
TEST_F(ReadRace, RegistryGetValueStillReadsOnce) {
  const std::wstring forms[2] = {L"s", std::wstring(300, L'L')}, path = VersionKey(L"Version 1.02");
  const std::wstring title = title_;
  const Saver save = [&](_orvOrvaneSettings2* s, const std::wstring& form) {
    s->SaveSetting(Bstr(L"").Get(), Bstr(L"v").Get(), sdtString, *Arg::Text(form), Bstr(title.c_str()).Get(), 1, 2,
                   VARIANT_TRUE, nullptr);
  };
  save(store_.Get(), forms[0]);
  const auto seen = Race(loader_, save, forms, [&]() -> Reader {
    auto registry = std::make_shared<ComPtr<_orvRegistry2>>();
    if (FAILED(loader_->Create(CLSID_orvRegistry2, registry.get()))) return nullptr;
    return [&, registry] {
      ComPtr<_RegValue> value;
      Variant data;
      LONG status = -1;
      (*registry)->GetValue(static_cast<RegistryRoot2_Const>(0x80000001), Bstr(path.c_str()).Get(), Bstr(L"v").Get(),
                            value.Put());
      (*registry)->get_LastRegError(&status);
      if (value && SUCCEEDED(value->get_Data(data.Put()))) return Str(V_BSTR(data.Get()));
      return L"status " + std::to_wstring(status);
    };
  });
  int total = 0;
  for (const auto& [value, count] : seen) {
    EXPECT_TRUE(value == forms[0] || value == forms[1] || value == L"status 234") << Narrow(value.substr(0, 20));
    total += count;
  }
  EXPECT_EQ(total, kLoads);
  std::printf("GetValue: %d of %d reads ended with 234\n", seen.count(L"status 234") ? seen.at(L"status 234") : 0,
              kLoads);
}

}  // namespace
}  // namespace orv::test

// A setting that changes size while the store loads it: one thread keeps
// saving it, alternating a short and a long form, while another loads it.
// Each thread has its own apartment and its own settings object, as the
// programs of the family do. No load may come back with the default: a
// program that saves its settings back would store that default.
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "tests/settings/proxy_object.h"
#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

constexpr int kLoads = 1000;  // per row: enough to meet the writer often, no timing involved
constexpr LONG kMoreData = ERROR_MORE_DATA;

// One kind of setting: how the writer saves form 0 or 1, and what the reader
// loads, as text ("" when the load gave the default).
struct RaceRow {
  const char* name;
  std::function<void(_orvOrvaneSettings2*, const std::wstring& title, int form)> save;
  std::function<std::wstring(_orvOrvaneSettings2*, const std::wstring& title)> load;
  std::set<std::wstring> forms;  // what a load may give
};

const std::wstring kShortText = L"s", kLongText(300, L'L');
const std::wstring kShortPassword = L"pw", kLongPassword = L"a much longer proxy password " + std::wstring(90, L'x');

void SaveText(_orvOrvaneSettings2* store, const std::wstring& title, LONG type, VARIANT value) {
  VARIANT_BOOL ok = VARIANT_FALSE;
  store->SaveSetting(Bstr(L"").Get(), Bstr(L"v").Get(), static_cast<SettingDataType_Const>(type), value,
                     Bstr(title.c_str()).Get(), 1, 2, VARIANT_TRUE, &ok);
}

std::wstring LoadAsText(_orvOrvaneSettings2* store, const std::wstring& title, LONG type) {
  VARIANT_BOOL ok = VARIANT_FALSE;
  Variant out;
  Arg fallback = Arg::Text(L"");
  store->LoadSetting(Bstr(L"").Get(), Bstr(L"v").Get(), static_cast<SettingDataType_Const>(type), *fallback,
                     Bstr(title.c_str()).Get(), 1, 2, VARIANT_TRUE, &ok, out.Get());
  if (ok == VARIANT_FALSE) return L"";
  if (V_VT(out.Get()) == VT_BSTR) return Str(V_BSTR(out.Get()));
  if (V_VT(out.Get()) != (VT_ARRAY | VT_UI1)) return L"?";
  return std::to_wstring(V_ARRAY(out.Get())->rgsabound[0].cElements) + L" bytes";
}

ComPtr<ProxyObject> HttpProxy() {
  return ProxyObject::Make({L"HTTP_AccessType", L"HTTP_Address", L"HTTP_BypassList", L"HTTP_BypassLocal",
                            L"HTTP_UserName", L"HTTP_Password"});
}

std::vector<RaceRow> Rows() {
  std::vector<RaceRow> rows;
  rows.push_back({"text",
                  [](auto* store, const auto& title, int form) {
                    SaveText(store, title, 0, *Arg::Text(form ? kLongText : kShortText));
                  },
                  [](auto* store, const auto& title) { return LoadAsText(store, title, 0); },
                  {kShortText, kLongText}});
  rows.push_back({"bytes",
                  [](auto* store, const auto& title, int form) {
                    SaveText(store, title, 2, *Arg::Bytes(std::vector<BYTE>(form ? 700 : 3, 0x5A)));
                  },
                  [](auto* store, const auto& title) { return LoadAsText(store, title, 2); },
                  {L"3 bytes", L"700 bytes"}});
  rows.push_back({"proxy password",
                  [](auto* store, const auto& title, int form) {
                    ComPtr<ProxyObject> proxy = HttpProxy();
                    proxy->Set(L"HTTP_Password", Variant::Text(form ? kLongPassword : kShortPassword));
                    IDispatch* p = proxy.Get();
                    store->SaveProxySettings(Bstr(L"HTTP Proxy").Get(), &p, Bstr(title.c_str()).Get(), 1, 2,
                                             VARIANT_TRUE);
                  },
                  [](auto* store, const auto& title) -> std::wstring {
                    ComPtr<ProxyObject> proxy = HttpProxy();
                    IDispatch* p = proxy.Get();
                    if (FAILED(store->LoadProxySettings(Bstr(L"HTTP Proxy").Get(), &p, Bstr(title.c_str()).Get(), 1, 2,
                                                        VARIANT_TRUE))) {
                      return L"?";
                    }
                    const VARIANT* v = proxy->Get(L"HTTP_Password");
                    return v && V_VT(v) == VT_BSTR ? Str(V_BSTR(v)) : L"?";
                  },
                  {kShortPassword, kLongPassword}});
  return rows;
}

// Runs `body` on a new thread in an apartment of its own, with a settings
// object of its own.
std::thread InApartment(std::function<void(_orvOrvaneSettings2*)> body, ServerLoader* loader) {
  return std::thread([body = std::move(body), loader] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      ComPtr<_orvOrvaneSettings2> store;
      if (SUCCEEDED(loader->Create(CLSID_orvOrvaneSettings2, &store))) body(store.Get());
    }
    CoUninitialize();
  });
}

using ReadRace = SettingsTest;

TEST_F(ReadRace, ASettingThatChangesSizeWhileLoadingIsReadAgain) {
  for (const RaceRow& row : Rows()) {
    SCOPED_TRACE(row.name);
    row.save(store_.Get(), title_, 0);
    std::atomic<bool> done{false};
    std::atomic<int> saves{0}, loads{0};
    std::map<std::wstring, int> loaded;  // what the loads gave, and how often
    // The writer keeps within two saves of each load: a store whose reader
    // the scheduler starves must still meet a value that holds still.
    std::thread writer = InApartment(
        [&](_orvOrvaneSettings2* store) {
          for (int form = 1; !done;) {
            if (saves > 2 * (loads + 1)) {
              std::this_thread::yield();
              continue;
            }
            row.save(store, title_, form);
            form ^= 1;
            ++saves;
          }
        },
        loader_);
    std::thread reader = InApartment(
        [&](_orvOrvaneSettings2* store) {
          for (; loads < kLoads; ++loads) ++loaded[row.load(store, title_)];
          done = true;
        },
        loader_);
    reader.join();
    done = true;
    writer.join();
    int total = 0;
    for (const auto& [value, count] : loaded) {
      EXPECT_TRUE(row.forms.count(value)) << count << " loads gave '" << Narrow(value.substr(0, 40)) << "'";
      total += count;
    }
    EXPECT_EQ(total, kLoads);
    std::printf("%s: %d loads during %d saves\n", row.name, kLoads, saves.load());
  }
}

// orvRegistry2 itself keeps its one attempt: a value that grew between its
// two queries gives Nothing with LastRegError 234, and nothing else fails.
TEST_F(ReadRace, RegistryGetValueStillReadsOnce) {
  const RaceRow row = Rows()[0];
  row.save(store_.Get(), title_, 0);
  const std::wstring path = VersionKey(L"Version 1.02");
  std::atomic<bool> done{false};
  std::map<std::wstring, int> seen;  // a loaded text, or "LastRegError n" for Nothing
  std::thread writer = InApartment(
      [&](_orvOrvaneSettings2* store) {
        for (int form = 1; !done; form ^= 1) row.save(store, title_, form);
      },
      loader_);
  std::thread reader([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      ComPtr<_orvRegistry2> registry;
      if (SUCCEEDED(loader_->Create(CLSID_orvRegistry2, &registry))) {
        registry->put_UseUnicodeFunctions(VARIANT_TRUE);
        for (int i = 0; i < kLoads; ++i) {
          ComPtr<_RegValue> value;
          Variant data;
          LONG status = -1;
          registry->GetValue(static_cast<RegistryRoot2_Const>(0x80000001), Bstr(path.c_str()).Get(), Bstr(L"v").Get(),
                             value.Put());
          registry->get_LastRegError(&status);
          if (value && SUCCEEDED(value->get_Data(data.Put())) && V_VT(data.Get()) == VT_BSTR) {
            ++seen[Str(V_BSTR(data.Get()))];
          } else {
            ++seen[L"LastRegError " + std::to_wstring(status)];
          }
        }
      }
    }
    CoUninitialize();
    done = true;
  });
  reader.join();
  done = true;
  writer.join();
  const std::wstring more = L"LastRegError " + std::to_wstring(kMoreData);
  int total = 0;
  for (const auto& [value, count] : seen) {
    EXPECT_TRUE(row.forms.count(value) || value == more)
        << count << " reads gave '" << Narrow(value.substr(0, 40)) << "'";
    total += count;
  }
  EXPECT_EQ(total, kLoads);
  std::printf("GetValue: %d of %d reads ended with 234\n", seen.count(more) ? seen[more] : 0, kLoads);
}

}  // namespace
}  // namespace orv::test

// The proxy settings of both families: what is stored for a proxy object,
// what a load assigns back, stored password texts of every shape, and where
// a failing property stops a save or a load.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/settings/proxy_object.h"
#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

using Plain = HRESULT (STDMETHODCALLTYPE _orvOrvaneSettings2::*)(BSTR, IDispatch**, BSTR, LONG, LONG, VARIANT_BOOL);
using Bound = HRESULT (STDMETHODCALLTYPE _orvOrvaneSettings2::*)(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL);

struct Row {
  const wchar_t* valueName;
  const wchar_t* property;
  Arg sample;        // what the proxy object holds when saved
  Arg loadedBack;    // what a load assigns for it
  Arg nothingThere;  // what a load assigns when nothing is stored
  bool password;
};

struct Family {
  const char* name;
  Plain save, load;
  Bound save2, load2;
  std::vector<Row> rows;
};

const wchar_t kSecret[] = L"s3cret Pa\x00df!";  // with a character beyond ASCII that code page 1252 has

std::vector<Family> Families() {
  std::vector<Family> f(2);
  f[0] = {"HTTP Proxy",
          &_orvOrvaneSettings2::SaveProxySettings,
          &_orvOrvaneSettings2::LoadProxySettings,
          &_orvOrvaneSettings2::SaveProxySettings2,
          &_orvOrvaneSettings2::LoadProxySettings2,
          {}};
  f[0].rows.push_back({L"AccessType", L"HTTP_AccessType", Arg::I2(3), Arg::I4(3), Arg::I2(0), false});
  f[0].rows.push_back(
      {L"Address", L"HTTP_Address", Arg::Text(L"proxy:8080"), Arg::Text(L"proxy:8080"), Arg::Text(L""), false});
  f[0].rows.push_back({L"BypassList", L"HTTP_BypassList", Arg::Text(L"<local>;*.lan"), Arg::Text(L"<local>;*.lan"),
                       Arg::Text(L""), false});
  f[0].rows.push_back({L"BypassLocal", L"HTTP_BypassLocal", Arg::Bool(true), Arg::Bool(true), Arg::Bool(false), false});
  f[0].rows.push_back({L"UserName", L"HTTP_UserName", Arg::Text(L"ann"), Arg::Text(L"ann"), Arg::Text(L""), false});
  f[0].rows.push_back({L"Password", L"HTTP_Password", Arg::Text(kSecret), Arg::Text(kSecret), Arg::Text(L""), true});
  f[1] = {"Proxy HT",
          &_orvOrvaneSettings2::SaveProxySettingsHT,
          &_orvOrvaneSettings2::LoadProxySettingsHT,
          &_orvOrvaneSettings2::SaveProxySettingsHT2,
          &_orvOrvaneSettings2::LoadProxySettingsHT2,
          {}};
  f[1].rows.push_back({L"Access Type", L"AccessType", Arg::I4(-7), Arg::I4(-7), Arg::I2(0), false});
  const wchar_t* texts[][2] = {{L"HTTP Address", L"HTTP_Address"},
                               {L"HTTPS Address", L"HTTPS_Address"},
                               {L"FTP Address", L"FTP_Address"},
                               {L"Bypass List", L"BypassList"},
                               {L"User Name", L"UserName"}};
  for (auto [value, property] : texts) {
    const std::wstring sample = std::wstring(L"ht ") + property;
    f[1].rows.push_back({value, property, Arg::Text(sample), Arg::Text(sample), Arg::Text(L""), false});
  }
  f[1].rows.push_back({L"Password", L"Password", Arg::Text(kSecret), Arg::Text(kSecret), Arg::Text(L""), true});
  return f;
}

Variant Copy(const Arg& a) {
  Variant v;
  VariantCopy(v.Put(), const_cast<VARIANT*>(&*a));
  return v;
}

std::vector<std::wstring> Properties(const Family& f) {
  std::vector<std::wstring> names;
  for (const Row& r : f.rows) names.push_back(r.property);
  return names;
}

ComPtr<ProxyObject> Filled(const Family& f, bool scriptLike = false) {
  ComPtr<ProxyObject> p = ProxyObject::Make(Properties(f), scriptLike);
  for (const Row& r : f.rows) p->Set(r.property, Copy(r.sample));
  return p;
}

// Every text stored under `path` and its sub-keys, as the registry holds it.
void StoredTexts(HKEY root, const std::wstring& path, std::vector<std::wstring>* out) {
  for (const auto& name : EnumNames(root, path, true)) {
    const Stored s = Query(root, path, name);
    out->emplace_back(reinterpret_cast<const wchar_t*>(s.bytes.data()), s.bytes.size() / 2);
  }
  for (const auto& sub : EnumNames(root, path, false)) StoredTexts(root, path + L"\\" + sub, out);
}

class ProxySettings : public SettingsTest {
 protected:
  HRESULT CallPlain(Plain m, const std::wstring& sub, IDispatch* proxy) {
    return (store_.Get()->*m)(Bstr(sub.c_str()).Get(), &proxy, Bstr(title_.c_str()).Get(), 1, 2, VARIANT_TRUE);
  }
  HRESULT CallBound(Bound m, const std::wstring& sub, IDispatch* proxy) {
    ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2);
    IDispatch* a = app.Get();
    return (store_.Get()->*m)(Bstr(sub.c_str()).Get(), &proxy, &a, VARIANT_TRUE);
  }
  std::wstring StoredText(const std::wstring& sub, const wchar_t* name) {
    const Stored s = Query(HKEY_CURRENT_USER, VersionKey(L"Version 1.02", sub), name);
    EXPECT_EQ(s.type, static_cast<DWORD>(REG_SZ));
    return std::wstring(reinterpret_cast<const wchar_t*>(s.bytes.data()), s.bytes.size() / 2).c_str();
  }
  void ExpectNoPlainPassword() {
    std::vector<std::wstring> texts;
    StoredTexts(HKEY_CURRENT_USER, AppKey(title_), &texts);
    StoredTexts(HKEY_LOCAL_MACHINE, AppKey(title_), &texts);
    for (const auto& t : texts) EXPECT_EQ(t.find(L"s3cret"), std::wstring::npos) << Narrow(t);
  }
};

TEST_F(ProxySettings, BothFamiliesRoundTripThroughEitherForm) {
  for (const Family& f : Families()) {
    for (int form = 0; form < 4; ++form) {  // plain or bound save, then the other form's load; script-like objects
      SCOPED_TRACE(std::string(f.name) + " form " + std::to_string(form));
      const bool bound = form % 2 == 1, scriptLike = form >= 2;
      const std::wstring sub = L"sub " + std::to_wstring(form);
      ComPtr<ProxyObject> saved = Filled(f, scriptLike);
      ASSERT_EQ(bound ? CallBound(f.save2, sub, saved.Get()) : CallPlain(f.save, sub, saved.Get()), S_OK)
          << Narrow(LastErrorDescription());

      const std::wstring stored = StoredText(sub, L"Password");
      EXPECT_EQ(stored[0], L'Z') << Narrow(stored);
      EXPECT_EQ(stored.size() % 2, 1u);
      EXPECT_EQ(stored.find(L"s3cret"), std::wstring::npos);
      EXPECT_EQ(StoredText(sub, f.rows[1].valueName), Str(V_BSTR(&*f.rows[1].sample)));
      ExpectNoPlainPassword();

      ComPtr<ProxyObject> loaded = ProxyObject::Make(Properties(f), scriptLike);
      ASSERT_EQ(bound ? CallPlain(f.load, sub, loaded.Get()) : CallBound(f.load2, sub, loaded.Get()), S_OK)
          << Narrow(LastErrorDescription());
      for (const Row& r : f.rows) {
        EXPECT_TRUE(SameVariant(*loaded->Get(r.property), *r.loadedBack))
            << Narrow(r.property) << " " << Describe(*loaded->Get(r.property));
      }
      // Read and written one at a time, in the table's order.
      std::vector<std::wstring> order;
      for (const Row& r : f.rows) {
        std::wstring name = r.property;
        for (auto& c : name) c = static_cast<wchar_t>(towupper(c));
        order.push_back(L"put " + name);
      }
      EXPECT_EQ(loaded->Log(), order);
    }
  }
}

TEST_F(ProxySettings, NothingStoredGivesTheDefaultsAndFamiliesShareOnlyThePassword) {
  std::vector<Family> families = Families();
  for (std::size_t i = 0; i < families.size(); ++i) {
    const Family &f = families[i], &other = families[1 - i];
    SCOPED_TRACE(f.name);
    ComPtr<ProxyObject> empty = ProxyObject::Make(Properties(f));
    ASSERT_EQ(CallPlain(f.load, L"none", empty.Get()), S_OK);
    for (const Row& r : f.rows)
      EXPECT_TRUE(SameVariant(*empty->Get(r.property), *r.nothingThere)) << Narrow(r.property);

    // The other family's group under the same sub-key: only "Password" is seen.
    const std::wstring sub = L"shared " + std::to_wstring(i);
    ASSERT_EQ(CallPlain(other.save, sub, Filled(other).Get()), S_OK);
    ComPtr<ProxyObject> seen = ProxyObject::Make(Properties(f));
    ASSERT_EQ(CallPlain(f.load, sub, seen.Get()), S_OK);
    for (const Row& r : f.rows) {
      EXPECT_TRUE(SameVariant(*seen->Get(r.property), r.password ? *r.loadedBack : *r.nothingThere))
          << Narrow(r.property);
    }
  }
}

TEST_F(ProxySettings, NoProxyObjectWritesAndReadsNothing) {
  ComPtr<TestAppObject> app = TestAppObject::Make(title_, 1, 2);
  for (const Family& f : Families()) {
    SCOPED_TRACE(f.name);
    IDispatch* none = nullptr;
    IDispatch* a = app.Get();
    const Bstr sub(L"x"), title(title_.c_str());
    EXPECT_EQ((store_.Get()->*f.save)(sub.Get(), &none, title.Get(), 1, 2, VARIANT_TRUE), S_OK);
    EXPECT_EQ((store_.Get()->*f.save)(sub.Get(), nullptr, title.Get(), 1, 2, VARIANT_TRUE), S_OK);
    EXPECT_EQ((store_.Get()->*f.load)(sub.Get(), &none, title.Get(), 1, 2, VARIANT_TRUE), S_OK);
    EXPECT_EQ((store_.Get()->*f.save2)(sub.Get(), &none, &a, VARIANT_TRUE), S_OK);
    EXPECT_EQ((store_.Get()->*f.load2)(sub.Get(), nullptr, &a, VARIANT_TRUE), S_OK);
    // The application object is still read first, and must be there.
    EXPECT_EQ((store_.Get()->*f.save2)(sub.Get(), &none, nullptr, VARIANT_TRUE), static_cast<HRESULT>(0x800A005B));
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(title_)));
}

TEST_F(ProxySettings, StoredPasswordTextsOfEveryShape) {
  const std::vector<Family> families = Families();
  const Family& ht = families[1];
  ASSERT_EQ(CallPlain(ht.save, L"src", Filled(ht).Get()), S_OK);
  const std::wstring prot = StoredText(L"src", L"Password");
  ASSERT_GT(prot.size(), 3u);
  std::wstring lower = prot;
  lower[0] = L'z';
  std::wstring shortened = prot;
  shortened.erase(prot.size() / 2, 1);

  struct Case {
    const char* what;
    DWORD type;
    std::wstring text;
    std::wstring password;
  };
  const Case cases[] = {
      {"scrambled, upper-case hex", REG_SZ, L"9C009D7F9EFF", L"abc"},
      {"scrambled, lower-case hex, filler not hex", REG_SZ, L"9czz9dzz9ezz", L"abc"},
      {"protected", REG_SZ, prot, kSecret},
      {"protected, lower-case z", REG_SZ, lower, kSecret},
      {"protected, one digit removed", REG_SZ, shortened, L""},
      {"odd length", REG_SZ, L"9C009", L""},
      {"length 6", REG_SZ, L"9C009D", L""},
      {"not hex", REG_SZ, L"9G009D009E00", L""},
      {"Z and not hex", REG_SZ, L"ZQQ", L""},
      {"Z alone", REG_SZ, L"Z", L""},
      {"huge protected shape", REG_SZ, L"Z" + std::wstring(400000, L'A'), L""},
      {"huge, not a multiple of 4", REG_SZ, std::wstring(400001, L'F'), L""},
      {"NULs", REG_SZ, std::wstring(L"\0\0\0\0\0\0\0\0", 8), L""},
      {"Z and NULs", REG_SZ, std::wstring(L"Z\0\0", 3), L""},
      {"lone surrogates", REG_SZ, L"\xD800\xDC01\xDFFF\xD800", L""},
      {"a number", REG_DWORD, L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring path = VersionKey(L"Version 1.02", L"shapes");
    if (c.type == REG_DWORD) {
      PutDword(HKEY_CURRENT_USER, path, L"Password", 5);
    } else {
      Put(HKEY_CURRENT_USER, path, L"Password", REG_SZ, Sz(c.text));
    }
    ComPtr<ProxyObject> loaded = ProxyObject::Make(Properties(ht));
    ASSERT_EQ(CallPlain(ht.load, L"shapes", loaded.Get()), S_OK);
    EXPECT_TRUE(SameVariant(*loaded->Get(L"Password"), *Arg::Text(c.password))) << Describe(*loaded->Get(L"Password"));
  }
}

// A property that raises, or is missing, stops the call at its row: what
// came before stays saved or assigned, nothing after it is touched.
TEST_F(ProxySettings, FailingPropertyStopsAtItsRow) {
  const std::vector<Family> families = Families();
  struct Case {
    std::size_t family, row;
    bool missing;  // else it raises
    ProxyObject::Access access;
  };
  const Case cases[] = {
      {0, 0, false, ProxyObject::Access::kGet}, {0, 3, false, ProxyObject::Access::kGet},
      {0, 5, false, ProxyObject::Access::kGet}, {1, 6, false, ProxyObject::Access::kGet},
      {1, 2, true, ProxyObject::Access::kGet},  {0, 4, false, ProxyObject::Access::kPut},
      {1, 6, false, ProxyObject::Access::kPut}, {1, 5, true, ProxyObject::Access::kPut},
  };
  int n = 0;
  for (const auto& c : cases) {
    const Family& f = families[c.family];
    const Row& failing = f.rows[c.row];
    const bool save = c.access == ProxyObject::Access::kGet;
    SCOPED_TRACE(std::string(f.name) + " " + Narrow(failing.property) + (c.missing ? " missing" : " raising") +
                 (save ? " on save" : " on load"));
    const std::wstring sub = L"fail " + std::to_wstring(n++);
    if (!save) {
      ASSERT_EQ(CallPlain(f.save, sub, Filled(f).Get()), S_OK);
    }

    ComPtr<ProxyObject> proxy = save ? Filled(f) : ProxyObject::Make(Properties(f));
    if (c.missing) {
      proxy->Remove(failing.property);
    } else {
      proxy->RaiseOn(failing.property, c.access);
    }
    const HRESULT hr = CallPlain(save ? f.save : f.load, sub, proxy.Get());
    EXPECT_EQ(hr, c.missing ? DISP_E_UNKNOWNNAME : kProxyRaised);
    const std::wstring d = LastErrorDescription();
    const std::wstring mention =
        std::wstring(save ? L"Reading" : L"Writing") + L" ProxySettingsObject." + failing.property;
    EXPECT_NE(d.find(mention), std::wstring::npos) << Narrow(d);

    for (std::size_t i = 0; i < f.rows.size(); ++i) {
      const Row& r = f.rows[i];
      if (save) {
        EXPECT_EQ(Query(HKEY_CURRENT_USER, VersionKey(L"Version 1.02", sub), r.valueName).found, i < c.row)
            << Narrow(r.valueName);
      } else if (const VARIANT* v = proxy->Get(r.property)) {
        EXPECT_TRUE(SameVariant(*v, i < c.row ? *r.loadedBack : *Arg::Text(L"unset"))) << Narrow(r.property);
      }
    }
    ExpectNoPlainPassword();
  }
}

TEST_F(ProxySettings, PasswordThatIsNoTextFailsAtThePasswordRow) {
  const std::vector<Family> families = Families();
  const Family& f = families[0];
  ComPtr<ProxyObject> proxy = Filled(f);
  Variant null;
  V_VT(null.Get()) = VT_NULL;
  proxy->Set(L"HTTP_Password", std::move(null));
  EXPECT_EQ(CallPlain(f.save, L"p", proxy.Get()), DISP_E_TYPEMISMATCH);
  EXPECT_NE(LastErrorDescription().find(L"HTTP_Password"), std::wstring::npos);
  EXPECT_TRUE(Query(HKEY_CURRENT_USER, VersionKey(L"Version 1.02", L"p"), L"UserName").found);
  EXPECT_FALSE(Query(HKEY_CURRENT_USER, VersionKey(L"Version 1.02", L"p"), L"Password").found);
}

// Counts the task-allocator blocks (BSTRs among them) made during a watch
// that still hold the watched text when they are freed. The BSTR cache is
// off, so a freed BSTR reaches the allocator at once. One spy for the
// process, never revoked: COM keeps a spy until its blocks are all freed.
class FreedBlockWatch final : public IMallocSpy {
 public:
  static FreedBlockWatch* Instance() {
    static FreedBlockWatch* spy = [] {
      using NoCache = void(WINAPI*)();
      if (auto f = reinterpret_cast<NoCache>(
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), "SetOaNoCache")))) {
        f();
      }
      auto* s = new FreedBlockWatch;
      return CoRegisterMallocSpy(s) == S_OK ? s : nullptr;
    }();
    return spy;
  }
  void Start(const std::wstring& text) {
    text_ = {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
    seen_ = 0;
    on_ = true;
  }
  int Stop() {
    on_ = false;
    sizes_.clear();
    return seen_;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override { return request_ = size; }
  STDMETHODIMP_(void*) PostAlloc(void* p) override {
    if (p && on_) sizes_[p] = request_;
    return p;
  }
  STDMETHODIMP_(void*) PreFree(void* p, BOOL) override { return Inspect(p); }
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* p, SIZE_T size, void** request, BOOL) override {
    *request = Inspect(p);
    return request_ = size;
  }
  STDMETHODIMP_(void*) PostRealloc(void* p, BOOL) override { return PostAlloc(p); }
  STDMETHODIMP_(void*) PreGetSize(void* p, BOOL) override { return p; }
  STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
  STDMETHODIMP_(void*) PreDidAlloc(void* p, BOOL) override { return p; }
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}

 private:
  void* Inspect(void* p) {
    if (auto it = sizes_.find(p); it != sizes_.end()) {
      if (std::string_view(static_cast<const char*>(p), it->second).find(text_) != std::string_view::npos) ++seen_;
      sizes_.erase(it);
    }
    return p;
  }

  std::string_view text_;
  std::map<void*, SIZE_T> sizes_;
  SIZE_T request_ = 0;
  int seen_ = 0;
  bool on_ = false;
};

// The plain password is wiped before its memory is freed, also when the
// property put of a loaded password raises.
TEST_F(ProxySettings, FreedPasswordTextIsWiped) {
  const std::vector<Family> families = Families();
  const Family& f = families[0];
  const std::wstring password = L"Plain Proxy Password 1234567";
  ComPtr<ProxyObject> holding = Filled(f), raising = ProxyObject::Make(Properties(f)),
                      fresh = ProxyObject::Make(Properties(f));
  holding->Set(L"HTTP_Password", Variant::Text(password));
  raising->RaiseOn(L"HTTP_Password", ProxyObject::Access::kPut);
  ASSERT_EQ(CallPlain(f.save, L"w", holding.Get()), S_OK);
  FreedBlockWatch* spy = FreedBlockWatch::Instance();
  ASSERT_TRUE(spy);
  const struct {
    const char* name;
    Plain call;
    ProxyObject* proxy;
    HRESULT expect;
  } cases[] = {
      {"a load whose password put raises", f.load, raising.Get(), kProxyRaised},
      {"a load", f.load, fresh.Get(), S_OK},
      {"a save", f.save, holding.Get(), S_OK},
  };
  for (const auto& c : cases) {
    spy->Start(password);
    EXPECT_EQ(CallPlain(c.call, L"w", c.proxy), c.expect) << c.name;
    EXPECT_EQ(spy->Stop(), 0) << c.name;
  }
  spy->Start(password);  // the watch sees a BSTR that is freed as it is
  SysFreeString(SysAllocString(password.c_str()));
  EXPECT_EQ(spy->Stop(), 1);
}

}  // namespace
}  // namespace orv::test

// A sweep of the whole late-bound surface: every member of orvRegistry2 and
// orvOrvaneSettings2, and of the records and collections the registry class
// hands out, found in their type information and called through
// IDispatch::Invoke. Each parameter gets each hostile value while the others
// are sane; then mixed all-hostile sets, malformed DISPPARAMS, and caller
// objects that raise or call back into the library. Every call must return
// (a watchdog ends the program otherwise) with a well-formed answer; after
// each member no object of the library is alive (DllCanUnloadNow answers
// S_OK only when the module's count of objects and locks is zero) and every
// caller object has its references back; the registry outside the keys the
// calls name is as before. Registry arguments name a scratch key: its handle
// serves as the root, so even a hostile sub-key stays inside it.
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "idl/brindle_idl.h"
#include "tests/common/server_environment.h"
#include "tests/settings/settings_fixture.h"

namespace orv::test {
namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new ServerEnvironment(L"sweep"));

constexpr ULONGLONG kCallLimitMs = 60'000;
constexpr LONG kHkcu = static_cast<LONG>(0x80000001);
constexpr UINT kUntouched = 0xDEAD;
constexpr HRESULT kRaised = static_cast<HRESULT>(0x800A0046);
constexpr wchar_t kStale[] = L"stale error information of an earlier call";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::wstring Upper(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(towupper(c));
  return s;
}
std::wstring Scratch() { return L"Software\\OrvaneTests\\sweep-" + std::to_wstring(GetCurrentProcessId()); }
std::wstring TestTitle() { return L"OrvaneTest " + std::to_wstring(GetCurrentProcessId()) + L" sweep"; }
std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

// ---- Watchdog -----------------------------------------------------------------------

// Ends the program when a call does not return in time, or crashes, and
// names the call.
class Watchdog {
 public:
  Watchdog() {
    current_ = this;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
    previous_ = SetUnhandledExceptionFilter(&Watchdog::Crashed);
  }
  ~Watchdog() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    SetUnhandledExceptionFilter(previous_);
    current_ = nullptr;
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void Begin(const std::string& label) {
    std::snprintf(label_, sizeof label_, "%s", label.c_str());
    start_.store(GetTickCount64());
  }
  void End() { start_.store(0); }

 private:
  static DWORD WINAPI Watch(void* p) {
    auto* self = static_cast<Watchdog*>(p);
    while (WaitForSingleObject(self->stop_, 250) == WAIT_TIMEOUT) {
      const ULONGLONG start = self->start_.load();
      if (start && GetTickCount64() - start > kCallLimitMs) {
        std::fprintf(stderr, "HANG: %s did not return within %llu s\n", self->label_, kCallLimitMs / 1000);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
    return 0;
  }
  // Ends the program at once: a debugger started for it would wait for ever.
  static LONG WINAPI Crashed(EXCEPTION_POINTERS* e) {
    std::fprintf(stderr, "CRASH (exception 0x%08lX at %p) during %s\n", e->ExceptionRecord->ExceptionCode,
                 e->ExceptionRecord->ExceptionAddress, current_ && current_->start_.load() ? current_->label_ : "?");
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_CONTINUE_SEARCH;
  }

  inline static Watchdog* current_ = nullptr;
  HANDLE stop_ = nullptr, thread_ = nullptr;
  LPTOP_LEVEL_EXCEPTION_FILTER previous_ = nullptr;
  std::atomic<ULONGLONG> start_{0};
  char label_[512] = {};
};

// ---- Caller objects -----------------------------------------------------------------

// Called by a re-entering caller object during a call: the member under
// sweep again, with sane arguments, on the same library object.
std::function<void()> g_reenter;

// A caller's object with properties by name. The sweep owns it and Release
// never deletes it, so a reference the library keeps, or drops once too
// often, shows in Refs().
class Caller final : public IDispatch {
 public:
  enum class Mode {
    kPlain,          // answers its properties; puts are kept
    kAnswerAll,      // every name is found, every get answers one value
    kRaise,          // every access raises, with source, description and code
    kRaiseBare,      // raises with an empty EXCEPINFO
    kRaiseDeferred,  // raises with a deferred fill-in
    kFail,           // fails without raising
    kReenter,        // calls back into the library first, then answers
  };
  explicit Caller(Mode mode, Arg all = Arg()) : mode_(mode), all_(std::move(all)) {}
  Caller* Set(const std::wstring& name, Arg value) {
    props_[Upper(name)] = std::move(value);
    return this;
  }
  LONG Refs() const { return refs_; }
  // Lets go of the objects its properties hold, before any caller object goes.
  void Clear() {
    props_.clear();
    all_ = Arg();
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs_); }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return n ? S_OK : E_POINTER;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1 || !names || !ids) return E_INVALIDARG;
    const std::wstring name = Upper(names[0] ? names[0] : L"");
    *ids = DISPID_UNKNOWN;
    if ((mode_ == Mode::kPlain || mode_ == Mode::kReenter) && !props_.count(name)) return DISP_E_UNKNOWNNAME;
    std::size_t i = 0;
    while (i < names_.size() && names_[i] != name) ++i;
    if (i == names_.size()) names_.push_back(name);
    *ids = static_cast<DISPID>(i + 1);
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                      UINT*) override {
    if (mode_ == Mode::kReenter && depth_ == 0 && g_reenter) {
      ++depth_;
      g_reenter();
      --depth_;
    }
    if (id < 1 || id > static_cast<DISPID>(names_.size())) return DISP_E_MEMBERNOTFOUND;
    if (mode_ == Mode::kFail) return E_FAIL;
    if (mode_ == Mode::kRaise || mode_ == Mode::kRaiseBare || mode_ == Mode::kRaiseDeferred) {
      if (excep) {
        *excep = EXCEPINFO{};
        if (mode_ == Mode::kRaise) FillIn(excep);
        if (mode_ == Mode::kRaiseDeferred) excep->pfnDeferredFillIn = &FillIn;
      }
      return DISP_E_EXCEPTION;
    }
    const std::wstring& name = names_[id - 1];
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (!params || params->cArgs != 1 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
      Arg kept;
      if (HRESULT hr = VariantCopyInd(kept.Get(), &params->rgvarg[0]); FAILED(hr)) return hr;
      props_[name] = std::move(kept);
      return S_OK;
    }
    const auto it = props_.find(name);
    const Arg* value = mode_ == Mode::kAnswerAll ? &all_ : it == props_.end() ? nullptr : &it->second;
    if (!value) return DISP_E_MEMBERNOTFOUND;
    return result ? VariantCopy(result, const_cast<VARIANT*>(&**value)) : S_OK;
  }

 private:
  static HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* e) {
    e->scode = kRaised;
    e->bstrSource = SysAllocString(L"SweepCaller");
    e->bstrDescription = SysAllocString(L"The caller's object refuses access.");
    e->pfnDeferredFillIn = nullptr;
    return S_OK;
  }

  Mode mode_;
  Arg all_;
  LONG refs_ = 0;
  int depth_ = 0;
  std::map<std::wstring, Arg> props_;
  std::vector<std::wstring> names_;  // DISPID - 1 -> name
};

// ---- Values -------------------------------------------------------------------------

struct Value {
  std::string name;
  std::function<Arg()> make;
};

template <class Set>
Arg Typed(VARTYPE vt, Set set) {
  Arg a = Arg::Of(vt);
  set(a.Get());
  return a;
}
Arg Obj(Caller* c, VARTYPE vt = VT_DISPATCH) { return Arg::Object(c, vt); }
Arg Array(VARTYPE vt, std::vector<SAFEARRAYBOUND> bounds) {
  SAFEARRAY* sa = SafeArrayCreate(vt, static_cast<UINT>(bounds.size()), bounds.data());
  if (sa && vt == VT_BSTR) {
    LONG at[2] = {0, 1};
    SafeArrayPutElement(sa, at, Bstr(L"item").Get());
  }
  return Typed(VT_ARRAY | vt, [sa](VARIANT* v) { V_ARRAY(v) = sa; });
}
Arg Chain(int depth) { return depth == 0 ? Arg::Text(L"deep") : Arg::Ref(Chain(depth - 1)); }
Arg Handle(HWND w) { return Arg::I4(static_cast<LONG>(reinterpret_cast<INT_PTR>(w))); }

// The VARIANT an argument means, through script variables; nullptr for a
// reference that points nowhere and for objects.
const VARIANT* Through(const VARIANT& given) {
  const VARIANT* v = &given;
  for (int d = 0; v && V_VT(v) == (VT_BYREF | VT_VARIANT); ++d) v = d < 8 ? V_VARIANTREF(v) : nullptr;
  if (!v || ((V_VT(v) & VT_BYREF) && !V_BYREF(v))) return nullptr;
  const VARTYPE base = V_VT(v) & VT_TYPEMASK;
  return base == VT_DISPATCH || base == VT_UNKNOWN ? nullptr : v;
}

// ---- What the sweep works with -------------------------------------------------------

enum class Role { kNone, kApp, kForm, kListView, kProxy, kFont };

// The caller objects, windows, scratch keys and the titles the calls name,
// for one test.
struct World {
  std::vector<std::unique_ptr<Caller>> callers;
  // Message-only windows: placements and column widths work on them as on
  // any window, without the cost of a window on the screen.
  HWND form = nullptr, listView = nullptr, deadWindow = nullptr;
  ComPtr<IFontDisp> font;
  HKEY scratchRoot = nullptr;     // the sane registry root: a key of the scratch tree
  std::set<std::wstring> titles;  // first components of the application titles named, upper-cased
  // Made once and lent to the calls: a fresh megabyte costs more than most calls.
  const Bstr megabyte{std::wstring(1 << 19, L'm').c_str(), 1 << 19};
  std::vector<Value> hostile;
  std::map<Role, std::vector<Value>> roleObjects;
  std::map<Role, Caller*> sane;

  Caller* Make(Caller::Mode mode, Arg all = Arg()) {
    callers.push_back(std::make_unique<Caller>(mode, std::move(all)));
    return callers.back().get();
  }

  // Notes the application key an argument for a title names.
  void NoteTitle(const VARIANT& given) {
    const VARIANT* v = Through(given);
    if (!v) return;
    Variant text;
    if ((V_VT(v) & VT_TYPEMASK) == VT_ERROR) {
      text = Variant::Text(L"Orvane - Grumkin");  // omitted: the default title
    } else if (FAILED(VariantChangeType(text.Get(), const_cast<VARIANT*>(v), 0, VT_BSTR))) {
      return;
    }
    const std::wstring t = Str(V_BSTR(text.Get()));
    titles.insert(Upper(t.substr(0, t.find(L'\\'))));
  }

  World() {
    titles.insert(Upper(TestTitle()));
    NoteTitle(*Arg::Missing());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    auto window = [](const wchar_t* cls, DWORD style, HWND parent) {
      return CreateWindowExW(0, cls, L"", style, 0, 0, 300, 200, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    };
    form = window(L"Static", 0, HWND_MESSAGE);
    listView = window(WC_LISTVIEWW, WS_CHILD | LVS_REPORT, form);
    for (int width : {60, 70, 80}) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = width;
      SendMessageW(listView, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
    deadWindow = window(L"Static", 0, HWND_MESSAGE);
    DestroyWindow(deadWindow);
    FONTDESC desc{sizeof(FONTDESC), const_cast<LPOLESTR>(L"Arial"), {{90000, 0}}, FW_BOLD, ANSI_CHARSET, 0, 0, 0};
    OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(font.Put()));

    const std::wstring big(70000, L'x');
    Caller* stranger = Make(Caller::Mode::kPlain);
    hostile = {
        {"Empty", [] { return Arg(); }},
        {"Null", [] { return Arg::Of(VT_NULL); }},
        {"I2 -32768", [] { return Arg::I2(-32768); }},
        {"I4 0x7FFFFFFF", [] { return Arg::I4(0x7FFFFFFF); }},
        {"R4 -1.5", [] { return Typed(VT_R4, [](VARIANT* v) { V_R4(v) = -1.5f; }); }},
        {"R8 NaN", [] { return Arg::R8(kNaN); }},
        {"R8 1e300", [] { return Arg::R8(1e300); }},
        {"CY max", [] { return Typed(VT_CY, [](VARIANT* v) { V_CY(v).int64 = INT64_MAX; }); }},
        {"DATE 1e10", [] { return Typed(VT_DATE, [](VARIANT* v) { V_DATE(v) = 1e10; }); }},
        {"BSTR null", [] { return Arg::Of(VT_BSTR); }},
        {"BSTR empty", [] { return Arg::Text(L""); }},
        {"BSTR of 70,000", [big] { return Arg::Text(big); }},
        {"BSTR of 1 MB", [b = megabyte.Get()] { return Typed(VT_BSTR, [b](VARIANT* v) { V_BSTR(v) = b; }); }},
        {"BSTR with NUL", [] { return Arg::Text(std::wstring(L"a\0b", 3)); }},
        {"BSTR of dots", [] { return Arg::Text(L"..\\..\\x\\"); }},
        {"Nothing", [] { return Arg::Object(nullptr); }},
        {"object without properties", [stranger] { return Obj(stranger); }},
        {"raising object", [c = Make(Caller::Mode::kRaise)] { return Obj(c); }},
        {"re-entering object", [c = Make(Caller::Mode::kReenter)] { return Obj(c); }},
        {"omitted", [] { return Arg::Missing(); }},
        {"ERROR E_FAIL", [] { return Arg::Error(E_FAIL); }},
        {"BOOL True", [] { return Arg::Bool(true); }},
        {"reference to a text", [] { return Arg::Ref(Arg::Text(L"sweep")); }},
        {"chain of 10 references", [] { return Chain(10); }},
        {"UNKNOWN null", [] { return Arg::Object(nullptr, VT_UNKNOWN); }},
        {"UNKNOWN object", [stranger] { return Obj(stranger, VT_UNKNOWN); }},
        {"DECIMAL max",
         [] {
           Arg a;
           DECIMAL d{};
           d.Hi32 = ~0u;
           d.Lo64 = ~0ull;
           V_DECIMAL(a.Get()) = d;
           V_VT(a.Get()) = VT_DECIMAL;
           return a;
         }},
        {"I1 -128", [] { return Typed(VT_I1, [](VARIANT* v) { V_I1(v) = -128; }); }},
        {"UI1 255", [] { return Arg::Ui1(255); }},
        {"UI2 65535", [] { return Typed(VT_UI2, [](VARIANT* v) { V_UI2(v) = 65535; }); }},
        {"UI4 0xFFFFFFFF", [] { return Typed(VT_UI4, [](VARIANT* v) { V_UI4(v) = ~0u; }); }},
        {"I8 min", [] { return Typed(VT_I8, [](VARIANT* v) { V_I8(v) = INT64_MIN; }); }},
        {"UI8 max", [] { return Typed(VT_UI8, [](VARIANT* v) { V_UI8(v) = ~0ull; }); }},
        {"INT -7", [] { return Typed(VT_INT, [](VARIANT* v) { V_INT(v) = -7; }); }},
        {"UINT 0xFFFFFFFF", [] { return Typed(VT_UINT, [](VARIANT* v) { V_UINT(v) = ~0u; }); }},
        {"2-D BSTR array",
         [] {
           return Array(VT_BSTR, {{2, 0}, {3, 0}});
         }},
        {"I4 array",
         [] {
           return Array(VT_I4, {{3, 0}});
         }},
        {"empty byte array",
         [] {
           return Array(VT_UI1, {{0, 0}});
         }},
        {"byte array without SAFEARRAY", [] { return Arg::Of(VT_ARRAY | VT_UI1); }},
        {"VARIANT array",
         [] {
           return Array(VT_VARIANT, {{2, 0}});
         }},
        {"byref BOOL", [] { return Arg::Ref(Arg::Bool(true), false); }},
        {"byref DISPATCH to Nothing", [] { return Arg::Ref(Arg::Object(nullptr), false); }},
        {"byref BSTR to null", [] { return Arg::Ref(Arg::Of(VT_BSTR), false); }},
        {"byref I4", [] { return Arg::Ref(Arg::I4(7), false); }},
    };
    const std::pair<const char*, VARTYPE> nowhere[] = {{"VARIANT", VT_VARIANT}, {"I4", VT_I4},
                                                       {"BSTR", VT_BSTR},       {"DISPATCH", VT_DISPATCH},
                                                       {"BOOL", VT_BOOL},       {"BSTR array", VT_ARRAY | VT_BSTR}};
    for (const auto& [name, vt] : nowhere) {
      hostile.push_back({std::string("byref ") + name + " to nowhere", [vt = vt] { return Arg::Of(VT_BYREF | vt); }});
    }

    // Objects for any caller's object: raising without a description,
    // failing, and answering every property with one awkward value.
    std::vector<Value> shared = {
        {"raising with an empty EXCEPINFO", [c = Make(Caller::Mode::kRaiseBare)] { return Obj(c); }},
        {"raising with a deferred fill-in", [c = Make(Caller::Mode::kRaiseDeferred)] { return Obj(c); }},
        {"failing without raising", [c = Make(Caller::Mode::kFail)] { return Obj(c); }},
    };
    for (Value& v : std::vector<Value>{{"Null", [] { return Arg::Of(VT_NULL); }},
                                       {"BSTR of 70,000", [big] { return Arg::Text(big); }},
                                       {"I8 max", [] { return Typed(VT_I8, [](VARIANT* v) { V_I8(v) = INT64_MAX; }); }},
                                       {"2-D BSTR array",
                                        [] {
                                          return Array(VT_BSTR, {{2, 0}, {3, 0}});
                                        }},
                                       {"an object", [stranger] { return Obj(stranger); }}}) {
      Arg answer = v.make();
      NoteTitle(*answer);
      shared.push_back(
          {"every property " + v.name, [c = Make(Caller::Mode::kAnswerAll, std::move(answer))] { return Obj(c); }});
    }

    using Props = std::vector<std::pair<std::wstring, std::function<Arg()>>>;
    auto text = [](const wchar_t* t) { return [t] { return Arg::Text(t); }; };
    Caller* headers = Make(Caller::Mode::kPlain)->Set(L"Count", Arg::I4(3));
    Props proxy = {{L"HTTP_AccessType", [] { return Arg::I4(1); }},
                   {L"HTTP_BypassLocal", [] { return Arg::Bool(true); }},
                   {L"AccessType", [] { return Arg::I4(2); }}};
    // An empty password is stored without the costly protection; one case below protects.
    for (const wchar_t* name : {L"HTTP_Address", L"HTTP_BypassList", L"HTTP_UserName", L"HTTP_Password",
                                L"HTTPS_Address", L"FTP_Address", L"BypassList", L"UserName", L"Password"}) {
      proxy.emplace_back(name, text(std::wstring(name).find(L"Password") == std::wstring::npos ? L"proxy:8080" : L""));
    }
    const std::map<Role, Props> saneProps = {
        {Role::kApp,
         {{L"Title", [] { return Arg::Text(TestTitle()); }},
          {L"Major", [] { return Arg::I4(0); }},
          {L"Minor", [] { return Arg::I4(0); }}}},
        {Role::kForm, {{L"hWnd", [w = form] { return Handle(w); }}, {L"Name", text(L"SweepForm")}}},
        {Role::kListView,
         {{L"hWnd", [w = listView] { return Handle(w); }}, {L"ColumnHeaders", [headers] { return Obj(headers); }}}},
        {Role::kProxy, proxy},
        {Role::kFont,
         {{L"Size", [] { return Typed(VT_CY, [](VARIANT* v) { V_CY(v).int64 = 97500; }); }},
          {L"Italic", [] { return Arg::Bool(true); }},
          {L"Strikethrough", [] { return Arg::Bool(false); }},
          {L"Underline", [] { return Arg::Bool(false); }},
          {L"Charset", [] { return Arg::I2(0); }},
          {L"Weight", [] { return Arg::I2(700); }},
          {L"Name", text(L"Arial")}}},
    };
    // One property at a time answers something hostile; the rest stay sane.
    const std::map<Role, std::vector<std::pair<std::wstring, Value>>> overrides = {
        {Role::kApp,
         {{L"Title", {"empty", text(L"")}},
          {L"Title", {"70,000 characters", [big] { return Arg::Text(big); }}},
          {L"Title", {"a number", [] { return Arg::I4(7); }}},
          {L"Major", {"-1", [] { return Arg::I4(-1); }}},
          {L"Major", {"1e10", [] { return Arg::R8(1e10); }}},
          {L"Minor", {"a text", text(L"abc")}}}},
        {Role::kForm,
         {{L"hWnd", {"0", [] { return Arg::I4(0); }}},
          {L"hWnd", {"HWND_BROADCAST", [] { return Arg::I4(0xFFFF); }}},
          {L"hWnd", {"a destroyed window", [w = deadWindow] { return Handle(w); }}},
          {L"hWnd", {"2^40", [] { return Typed(VT_I8, [](VARIANT* v) { V_I8(v) = 1LL << 40; }); }}},
          {L"Name", {"70,000 characters", [big] { return Arg::Text(big); }}}}},
        {Role::kListView,
         {{L"hWnd", {"HWND_BROADCAST", [] { return Arg::I4(0xFFFF); }}},
          {L"hWnd", {"a destroyed window", [w = deadWindow] { return Handle(w); }}},
          {L"ColumnHeaders", {"Nothing", [] { return Arg::Object(nullptr); }}},
          {L"ColumnHeaders",
           {"Count 0x7FFFFFFF",
            [c = Make(Caller::Mode::kPlain)->Set(L"Count", Arg::I4(0x7FFFFFFF))] { return Obj(c); }}},
          {L"ColumnHeaders",
           {"Count NaN", [c = Make(Caller::Mode::kPlain)->Set(L"Count", Arg::R8(kNaN))] { return Obj(c); }}}}},
        {Role::kProxy,
         {{L"HTTP_Password", {"outside the code page", [] { return Arg::Text(std::wstring(70000, L'\x4E2D')); }}},
          {L"HTTP_Password", {"to protect", text(L"secret")}},
          {L"Password", {"to protect", text(L"secret")}},
          {L"Password", {"Null", [] { return Arg::Of(VT_NULL); }}},
          {L"AccessType", {"NaN", [] { return Arg::R8(kNaN); }}}}},
        {Role::kFont,
         {{L"Size", {"1e300", [] { return Arg::R8(1e300); }}},
          {L"Size", {"CY max", [] { return Typed(VT_CY, [](VARIANT* v) { V_CY(v).int64 = INT64_MAX; }); }}},
          {L"Weight", {"0x7FFFFFFF", [] { return Arg::I4(0x7FFFFFFF); }}},
          {L"Name", {"70,000 characters", [big] { return Arg::Text(big); }}}}},
    };
    for (const auto& [role, props] : saneProps) {
      auto build = [&](Caller::Mode mode, const std::wstring& replaced = L"", const Value* with = nullptr) {
        Caller* c = Make(mode);
        for (const auto& [name, make] : props) c->Set(name, name == replaced ? with->make() : make());
        return c;
      };
      Caller* saneObject = sane[role] = build(Caller::Mode::kPlain);
      std::vector<Value>& list = roleObjects[role] = shared;
      list.push_back({"re-entering with sane properties", [c = build(Caller::Mode::kReenter)] { return Obj(c); }});
      list.push_back({"as a script variable", [saneObject] { return Arg::Ref(Obj(saneObject)); }});
      list.push_back({"as a typed reference", [saneObject] { return Arg::Ref(Obj(saneObject), false); }});
      for (const auto& [name, value] : overrides.at(role)) {
        if (role == Role::kApp && name == L"Title") NoteTitle(*value.make());
        list.push_back(
            {Narrow(name) + " " + value.name, [c = build(Caller::Mode::kPlain, name, &value)] { return Obj(c); }});
      }
    }
    // The real font is the sane one; the look-alike is read by name.
    roleObjects[Role::kFont].push_back({"look-alike", [c = sane[Role::kFont]] { return Obj(c); }});
  }

  ~World() {
    if (scratchRoot) RegCloseKey(scratchRoot);
    DestroyWindow(form);
    for (auto& c : callers) c->Clear();
  }

  // A new handle of the scratch key "root" before each call: a call may
  // have deleted it.
  LONG FreshRoot() {
    if (scratchRoot) RegCloseKey(scratchRoot);
    scratchRoot = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (Scratch() + L"\\root").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &scratchRoot, nullptr);
    return static_cast<LONG>(reinterpret_cast<INT_PTR>(scratchRoot));
  }
};

// ---- Members from the type information ------------------------------------------------

enum class Kind { kText, kLong, kFloat, kFlag, kFlagRef, kVariant, kVariantRef, kObjectRef, kEnum, kOther };

struct Param {
  std::wstring name;  // "" where the type library names none (a put's value)
  Kind kind = Kind::kOther;
  std::wstring typeName;  // of an enumeration, or of the interface an object parameter takes
};

struct Member {
  std::string name;
  DISPID id = 0;
  WORD flags = DISPATCH_METHOD;
  std::vector<Param> params;  // what a caller passes, in declaration order
  std::size_t required = 0;
  bool Put() const { return flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF); }
};

std::wstring RefName(ITypeInfo* info, HREFTYPE ref) {
  ComPtr<ITypeInfo> to;
  Bstr name;
  if (SUCCEEDED(info->GetRefTypeInfo(ref, to.Put()))) to->GetDocumentation(MEMBERID_NIL, name.Put(), 0, 0, 0);
  return Str(name.Get());
}

Kind KindOf(ITypeInfo* info, const TYPEDESC& t, std::wstring* typeName) {
  switch (t.vt) {
    case VT_BSTR: return Kind::kText;
    case VT_I4: return Kind::kLong;
    case VT_R4: return Kind::kFloat;
    case VT_BOOL: return Kind::kFlag;
    case VT_VARIANT: return Kind::kVariant;
    case VT_USERDEFINED: *typeName = RefName(info, t.hreftype); return Kind::kEnum;
    case VT_PTR: {
      const TYPEDESC& to = *t.lptdesc;
      if (to.vt == VT_BOOL) return Kind::kFlagRef;
      if (to.vt == VT_VARIANT) return Kind::kVariantRef;
      if (to.vt == VT_DISPATCH) return Kind::kObjectRef;  // IDispatch** is a pointer to VT_DISPATCH
      if (to.vt == VT_PTR && to.lptdesc->vt == VT_USERDEFINED) {
        *typeName = RefName(info, to.lptdesc->hreftype);
        return Kind::kObjectRef;
      }
      return Kind::kOther;
    }
    default: return Kind::kOther;
  }
}

std::vector<Member> Members(IDispatch* object) {
  std::vector<Member> members;
  ComPtr<ITypeInfo> info;
  TYPEATTR* attr = nullptr;
  if (FAILED(object->GetTypeInfo(0, 0, info.Put())) || FAILED(info->GetTypeAttr(&attr))) return members;
  const UINT count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    // IUnknown's and IDispatch's own members are restricted; _NewEnum is
    // the one restricted member callers use.
    if (!(f->wFuncFlags & FUNCFLAG_FRESTRICTED) || f->memid == DISPID_NEWENUM) {
      BSTR names[32] = {};
      UINT got = 0;
      info->GetNames(f->memid, names, 32, &got);
      Member m;
      m.name = Narrow(Str(names[0]));
      m.id = f->memid;
      m.flags = f->invkind == INVOKE_PROPERTYGET      ? DISPATCH_PROPERTYGET
                : f->invkind == INVOKE_PROPERTYPUT    ? DISPATCH_PROPERTYPUT
                : f->invkind == INVOKE_PROPERTYPUTREF ? DISPATCH_PROPERTYPUTREF
                                                      : DISPATCH_METHOD;
      if (m.Put()) m.name += " (put)";
      for (SHORT p = 0; p < f->cParams; ++p) {
        const ELEMDESC& e = f->lprgelemdescParam[p];
        if (e.paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) continue;
        Param param;
        param.name = static_cast<UINT>(p + 1) < got ? Str(names[p + 1]) : L"";
        param.kind = KindOf(info.Get(), e.tdesc, &param.typeName);
        if (!(e.paramdesc.wParamFlags & PARAMFLAG_FOPT) && p < f->cParams - f->cParamsOpt) ++m.required;
        m.params.push_back(std::move(param));
      }
      for (UINT n = 0; n < got; ++n) SysFreeString(names[n]);
      members.push_back(std::move(m));
    }
    info->ReleaseFuncDesc(f);
  }
  return members;
}

// ---- The registry, seen directly ------------------------------------------------------

using Snapshot = std::set<std::wstring>;

// Keys ("K path") and value names ("V path|name") below root\path,
// upper-cased; depth 0 lists one level.
void Walk(HKEY root, const std::wstring& path, int depth, const std::wstring& skip, Snapshot* out) {
  RegKeyHandle key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
  std::vector<wchar_t> name(32768);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key.Get(), i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out->insert(L"V " + Upper(path) + L"|" + Upper(std::wstring(name.data(), len)));
  }
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key.Get(), i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring child = (path.empty() ? L"" : path + L"\\") + std::wstring(name.data(), len);
    if (Upper(child) == skip) continue;
    out->insert(L"K " + Upper(child));
    if (depth != 0) Walk(root, child, depth - 1, skip, out);
  }
}

// What the sweep could reach without naming it: HKCU's first level,
// HKCU\Software, and the machine keys the settings would use.
Snapshot TakeSnapshot() {
  Snapshot s;
  const std::wstring skip = Upper(Scratch());
  Walk(HKEY_CURRENT_USER, L"", 0, skip, &s);
  Walk(HKEY_CURRENT_USER, L"Software", -1, skip, &s);
  for (const wchar_t* path : {L"Software\\Larkspur Forge", L"Software\\OrvaneTests"}) {
    Snapshot m;
    Walk(HKEY_LOCAL_MACHINE, path, -1, L"", &m);
    for (const auto& e : m) s.insert(L"HKLM " + e);
  }
  return s;
}

// The number a root argument names as the library reads it (whole numbers
// up to 2^32 - 1 in wide types as the same 32 bits), or none.
std::optional<LONG> RootNumber(const VARIANT& given) {
  const VARIANT* v = Through(given);
  Variant copy, wide;
  if (!v || FAILED(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(v)))) return std::nullopt;
  if (V_VT(copy.Get()) != VT_BSTR && V_VT(copy.Get()) != VT_BOOL &&
      SUCCEEDED(VariantChangeType(wide.Get(), copy.Get(), 0, VT_R8))) {
    const double d = V_R8(wide.Get());
    if (d >= 2147483648.0 && d <= 4294967295.0 && d == static_cast<double>(static_cast<LONGLONG>(d))) {
      return static_cast<LONG>(static_cast<ULONG>(d));
    }
  }
  if (FAILED(VariantChangeType(copy.Get(), copy.Get(), 0, VT_I4))) return std::nullopt;
  return V_I4(copy.Get());
}

bool CoercesToFalse(const VARIANT& given) {
  const VARIANT* v = Through(given);
  Variant copy;
  if (!v || FAILED(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(v)))) return false;
  if (V_VT(copy.Get()) == VT_ERROR) return false;  // omitted: the default, True
  return SUCCEEDED(VariantChangeType(copy.Get(), copy.Get(), 0, VT_BOOL)) && V_BOOL(copy.Get()) == VARIANT_FALSE;
}

// ---- The sweep ----------------------------------------------------------------------

struct Tally {
  std::size_t calls = 0, skipped = 0, reentries = 0;
  std::map<HRESULT, std::size_t> results;
  std::vector<std::string> faults;
  void Fault(const std::string& label, const std::string& what) {
    if (faults.size() < 200) faults.push_back(label + ": " + what);
  }
};

// What is swept: how to make a fresh library object.
struct Target {
  std::string name;
  std::function<ComPtr<IDispatch>()> make;
  bool registryKeys = false;  // its RegistryRoot and SubKey address the registry
};

using Args = std::vector<Arg>;

// Arguments last first, as DISPPARAMS holds them (shallow copies).
std::vector<VARIANT> Reversed(Args& args) {
  std::vector<VARIANT> r;
  for (auto it = args.rbegin(); it != args.rend(); ++it) r.push_back(*it->Get());
  return r;
}

class Sweeper {
 public:
  Sweeper(World& world, Watchdog& watchdog, Tally& tally)
      : w_(world), dog_(watchdog), t_(tally), baseline_(References()), suspect_(baseline_.size()) {}

  // Every member of the target; answers how many.
  std::size_t Run(const Target& target) {
    ComPtr<IDispatch> probe = target.make();
    if (!probe) {
      t_.Fault(target.name, "no object to sweep");
      return 0;
    }
    const std::vector<Member> members = Members(probe.Get());
    probe.Reset();
    if (members.empty()) t_.Fault(target.name, "no members in the type information");
    for (const Member& m : members) RunMember(target, m, &m == &members.front());
    return members.size();
  }

 private:
  enum Outputs { kAll, kNone };

  static Role RoleOf(const Param& p) {
    if (p.kind != Kind::kObjectRef) return Role::kNone;
    if (p.typeName.find(L"Font") != std::wstring::npos) return Role::kFont;
    static const std::map<std::wstring, Role> kRoles = {{L"AppObject", Role::kApp},
                                                        {L"FormObject", Role::kForm},
                                                        {L"ListViewObject", Role::kListView},
                                                        {L"ProxySettingsObject", Role::kProxy}};
    const auto it = kRoles.find(p.name);
    return it == kRoles.end() ? Role::kNone : it->second;
  }
  static bool IsRoot(const Param& p) { return p.kind == Kind::kEnum && p.typeName == L"RegistryRoot2_Const"; }

  Arg Sane(const Target& target, const Param& p) const {
    switch (p.kind) {
      case Kind::kText:
        if (p.name == L"SubKey" && target.registryKeys) return Arg::Text(Scratch() + L"\\key");
        return Arg::Text(p.name == L"AppTitle" ? TestTitle() : L"sweep");
      case Kind::kLong: return Arg::I4(0);
      case Kind::kFloat: return Typed(VT_R4, [](VARIANT* v) { V_R4(v) = 0; });
      case Kind::kFlag: return Arg::Bool(p.name != L"SetMinimized");
      case Kind::kFlagRef: return Arg::Ref(Arg::Bool(false), false);
      case Kind::kVariant: return Arg::Text(L"sweep");
      case Kind::kVariantRef: return p.name == L"Index" || p.name == L"Item" ? Arg::I4(1) : Arg::Missing();
      case Kind::kEnum:
        if (IsRoot(p)) return Arg::I4(root_);
        return Arg::I4(p.typeName == L"SettingDataType_Const" ? 0 : 1);
      case Kind::kObjectRef:
        if (RoleOf(p) == Role::kFont) return Arg::Object(w_.font.Get());
        return RoleOf(p) == Role::kNone ? Arg::Object(nullptr) : Obj(w_.sane.at(RoleOf(p)));
      case Kind::kOther: break;
    }
    return Arg();
  }
  Args SaneArgs(const Target& target, const Member& m) const {
    Args a;
    for (const Param& p : m.params) a.push_back(Sane(target, p));
    return a;
  }

  // Values tried in one position besides the hostile ones.
  std::vector<Value> Extras(const Param& p) const {
    if (IsRoot(p)) {
      std::vector<Value> roots;
      for (LONG n : {kHkcu, static_cast<LONG>(0x80000007), 0L, 1L, -1L, static_cast<LONG>(0x8000FFFF)}) {
        roots.push_back({"root " + Hex(n), [n] { return Arg::I4(n); }});
      }
      for (double d : {2147483649.0, 4294967296.0, -1.0}) {  // HKCU as JScript sends it, 2^32, -1
        roots.push_back({"root R8 " + std::to_string(d), [d] { return Arg::R8(d); }});
      }
      roots.push_back({"root as a text", [] { return Arg::Text(L"2147483649"); }});
      return roots;
    }
    const auto it = w_.roleObjects.find(RoleOf(p));
    return it == w_.roleObjects.end() ? std::vector<Value>{} : it->second;
  }

  // A call that could reach beyond the scratch keys: a root naming another
  // predefined key or a key handle of this process, HKCU with a sub-key other
  // than the sane one, or a store in the machine's settings.
  bool Forbidden(const Target& target, const Member& m, const Args& args) const {
    for (std::size_t i = 0; i < m.params.size() && i < args.size(); ++i) {
      if (IsRoot(m.params[i])) {
        const std::optional<LONG> root = RootNumber(*args[i]);
        if (!root || *root == root_) continue;
        if (*root == kHkcu) {
          if (i + 1 < args.size() && !SameVariant(*args[i + 1], *Sane(target, m.params[i + 1]))) return true;
          continue;
        }
        if (*root >= static_cast<LONG>(0x80000000) && *root <= static_cast<LONG>(0x80000006)) return true;
        HKEY key = reinterpret_cast<HKEY>(static_cast<INT_PTR>(*root));
        if (RegQueryInfoKeyW(key, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0) == ERROR_SUCCESS) return true;
      }
      if (m.params[i].name == L"UserSetting" && m.name.rfind("Save", 0) == 0 && CoercesToFalse(*args[i])) return true;
    }
    return false;
  }

  // One call with the arguments in declaration order, made as the member is
  // declared; answers what Invoke answered, S_FALSE for a call not made.
  HRESULT Call(IDispatch* d, const Target& target, const Member& m, Args args, const std::string& what,
               std::vector<DISPID> names = {}, Outputs out = kAll) {
    // The lent megabyte is taken back before the arguments go.
    auto giveBack = [&] {
      for (Arg& a : args) {
        if (V_VT(a.Get()) == VT_BSTR && V_BSTR(a.Get()) == w_.megabyte.Get()) V_VT(a.Get()) = VT_EMPTY;
      }
    };
    if (Forbidden(target, m, args)) {
      giveBack();
      ++t_.skipped;
      return S_FALSE;
    }
    for (std::size_t i = 0; i < m.params.size() && i < args.size(); ++i) {
      if (m.params[i].name == L"AppTitle") w_.NoteTitle(*args[i]);
    }
    // Named arguments go first in their own order; the positional ones last first.
    std::vector<VARIANT> v;
    for (std::size_t i = 0; i < names.size() && i < args.size(); ++i) v.push_back(*args[i].Get());
    for (std::size_t i = args.size(); i > names.size(); --i) v.push_back(*args[i - 1].Get());
    DISPID put = DISPID_PROPERTYPUT;
    if (names.empty() && m.Put()) names = {put};
    DISPPARAMS dp{v.empty() ? nullptr : v.data(), names.empty() ? nullptr : names.data(), static_cast<UINT>(v.size()),
                  static_cast<UINT>(names.size())};
    const std::string label = target.name + "." + m.name + " " + what;
    const HRESULT hr = Perform(d, m.id, m.flags, &dp, label, out);
    giveBack();
    args.clear();
    NoteReferences(label, false);
    return hr;
  }

  HRESULT Perform(IDispatch* d, DISPID id, WORD flags, DISPPARAMS* dp, const std::string& label, Outputs out = kAll,
                  REFIID riid = IID_NULL) {
    // A failure that leaves no error information of its own would be
    // described by this one.
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> stale;
    if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
      create->SetDescription(const_cast<LPOLESTR>(kStale));
      create->SetSource(const_cast<LPOLESTR>(kStale));
      if (SUCCEEDED(create.As(&stale))) SetErrorInfo(0, stale.Get());
    }
    Variant result;
    EXCEPINFO excep{};
    UINT argErr = kUntouched;
    dog_.Begin(label);
    const HRESULT hr = d->Invoke(id, riid, LOCALE_USER_DEFAULT, flags, dp, out == kAll ? result.Get() : nullptr,
                                 out == kAll ? &excep : nullptr, out == kAll ? &argErr : nullptr);
    dog_.End();
    ++t_.calls;
    ++t_.results[hr];
    if (hr != S_OK && SUCCEEDED(hr)) t_.Fault(label, "success code other than S_OK: " + Hex(hr));
    if (hr == DISP_E_EXCEPTION && out == kAll) {
      if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
      const std::wstring source = Str(excep.bstrSource), description = Str(excep.bstrDescription);
      if (source.empty() || description.empty()) t_.Fault(label, "EXCEPINFO without source or description");
      if (!FAILED(excep.scode) && excep.wCode == 0) t_.Fault(label, "EXCEPINFO without an error code");
      if (description == kStale) t_.Fault(label, "a failure described by an earlier call's error information");
    }
    // An argument that puArgErr names must be one of the call's.
    if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argErr != kUntouched &&
        argErr >= (dp ? dp->cArgs : 0)) {
      t_.Fault(label, "puArgErr " + std::to_string(argErr) + " names no argument");
    }
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    Enumerate(result.Get(), label);
    return hr;
  }

  // An enumerator handed out is driven with null pointers and awkward counts too.
  void Enumerate(VARIANT* v, const std::string& label) {
    if ((V_VT(v) != VT_UNKNOWN && V_VT(v) != VT_DISPATCH) || !V_UNKNOWN(v)) return;
    ComPtr<IEnumVARIANT> e;
    if (FAILED(V_UNKNOWN(v)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(e.Put())))) return;
    dog_.Begin(label + " enumerator");
    VARIANT items[4];
    ULONG fetched = 0;
    for (HRESULT hr : {e->Next(1, nullptr, &fetched), e->Clone(nullptr)}) {
      if (hr != E_POINTER && hr != E_INVALIDARG) t_.Fault(label, "enumerator took a null pointer: " + Hex(hr));
    }
    e->Next(0, items, &fetched);
    if (SUCCEEDED(e->Next(4, items, &fetched))) {
      for (ULONG i = 0; i < fetched && i < 4; ++i) VariantClear(&items[i]);
    }
    e->Skip(~0u);
    e->Reset();
    ComPtr<IEnumVARIANT> clone;
    if (SUCCEEDED(e->Clone(clone.Put())) && clone && clone->Next(1, items, nullptr) == S_OK) VariantClear(&items[0]);
    dog_.End();
  }

  // References each caller object holds now; the caller's font last.
  std::vector<LONG> References() const {
    std::vector<LONG> refs;
    for (const auto& c : w_.callers) refs.push_back(c->Refs());
    w_.font->AddRef();
    refs.push_back(static_cast<LONG>(w_.font->Release()));
    return refs;
  }

  // After each call, fewer references than before the sweep is a release
  // too many; more is remembered, and is a leak only while still held once
  // the library object is gone (a collection keeps what it was given).
  void NoteReferences(const std::string& label, bool objectGone) {
    const std::vector<LONG> now = References();
    for (std::size_t i = 0; i < now.size(); ++i) {
      const LONG extra = now[i] - baseline_[i];
      if (extra < 0 || (objectGone && extra > 0)) {
        t_.Fault(label, (i < w_.callers.size() ? "caller object " + std::to_string(i) : "the caller's font") +
                            " holds " + std::to_string(extra) + " references more" +
                            (extra > 0 ? ", first after " + suspect_[i] : ""));
        baseline_[i] = now[i];
      } else if (extra > 0 && suspect_[i].empty()) {
        suspect_[i] = label;
      }
      if (objectGone) suspect_[i].clear();
    }
  }

  void RunMember(const Target& target, const Member& m, bool first) {
    ComPtr<IDispatch> d = target.make();
    const std::string label = target.name + "." + m.name;
    if (!d) return t_.Fault(label, "no object");
    g_reenter = [this, &target, &m, raw = d.Get()] {
      ++t_.reentries;
      Args args = SaneArgs(target, m);
      std::vector<VARIANT> v = Reversed(args);
      DISPID put = DISPID_PROPERTYPUT;
      DISPPARAMS dp{v.data(), m.Put() ? &put : nullptr, static_cast<UINT>(v.size()), m.Put() ? 1u : 0u};
      Variant result;
      raw->Invoke(m.id, IID_NULL, 0, m.flags, &dp, result.Get(), nullptr, nullptr);
    };
    auto fresh = [&] {
      if (target.registryKeys) root_ = w_.FreshRoot();
      return SaneArgs(target, m);
    };
    // The sane arguments reach the member's body: the sweep sees past the coercions.
    if (HRESULT hr = Call(d.Get(), target, m, fresh(), "with sane arguments"); hr != S_OK) {
      t_.Fault(label, "sane arguments answered " + Hex(hr));
    }
    // Each position gets each value while the others stay sane; a member
    // without parameters gets each value as one argument too many.
    for (std::size_t i = 0; i < std::max<std::size_t>(m.params.size(), 1); ++i) {
      std::vector<Value> values = w_.hostile;
      if (i < m.params.size()) {
        for (Value& v : Extras(m.params[i])) values.push_back(std::move(v));
      }
      for (const Value& v : values) {
        Args args = fresh();
        args.resize(std::max(args.size(), i + 1));
        args[i] = v.make();
        Call(d.Get(), target, m, std::move(args), "arg " + std::to_string(i) + " = " + v.name);
      }
    }
    // Every position hostile at once.
    for (std::size_t k = 0; k < 4 && !m.params.empty(); ++k) {
      Args args = fresh();
      std::string what = "all hostile:";
      for (std::size_t i = 0; i < args.size(); ++i) {
        const Value& v = w_.hostile[(k * 17 + i * 5 + 3) % w_.hostile.size()];
        args[i] = v.make();
        what += " " + v.name + ";";
      }
      Call(d.Get(), target, m, std::move(args), what);
    }
    Malformed(d.Get(), target, m, fresh, first);

    d.Reset();
    g_reenter = nullptr;
    if (!leaked_ && g_loader->CanUnloadNow() != S_OK) {
      leaked_ = true;
      t_.Fault(label, "an object of the library outlived the calls (DllCanUnloadNow is not S_OK)");
    }
    NoteReferences(label, true);
  }

  // Counts that do not fit, names the member does not take, DISPPARAMS no
  // correct caller builds, and flags, interfaces and DISPIDs not declared.
  template <class Fresh>
  void Malformed(IDispatch* d, const Target& target, const Member& m, Fresh& fresh, bool first) {
    const std::string label = target.name + "." + m.name + " ";
    auto first1 = [&](std::size_t n) {
      Args a = fresh();
      a.resize(n);
      return a;
    };
    Call(d, target, m, {}, "without arguments");
    if (m.required > 0) Call(d, target, m, first1(m.required - 1), "one argument too few");
    // More arguments than declared: Windows answers DISP_E_BADPARAMCOUNT; a
    // property get's further arguments index its value instead.
    for (std::size_t count : {m.params.size() + 1, std::size_t{40}}) {
      const HRESULT hr = Call(d, target, m, first1(count), std::to_string(count) + " arguments");
      if (m.flags != DISPATCH_PROPERTYGET && hr != DISP_E_BADPARAMCOUNT && hr != S_FALSE) {
        t_.Fault(label + std::to_string(count) + " arguments", "answered " + Hex(hr) + ", not DISP_E_BADPARAMCOUNT");
      }
    }
    Call(d, target, m, fresh(), "without result, EXCEPINFO or argument index", {}, kNone);
    if (!m.params.empty() && !m.Put()) {
      std::vector<DISPID> all;
      for (std::size_t i = 0; i < m.params.size(); ++i) all.push_back(static_cast<DISPID>(i));
      Call(d, target, m, fresh(), "every argument named", all);
      for (DISPID bad : std::initializer_list<DISPID>{99, DISPID_PROPERTYPUT, -7}) {
        Call(d, target, m, first1(1), "an argument named " + std::to_string(bad), {bad});
      }
      if (m.params.size() >= 2) Call(d, target, m, first1(2), "one name twice", {0, 0});
      Call(d, target, m, first1(1), "more names than arguments", {0, 1});
    }
    Args sane = fresh();
    std::vector<VARIANT> v = Reversed(sane);
    DISPID put = DISPID_PROPERTYPUT;
    const UINT named = m.Put() ? 1u : 0u;
    if (!v.empty()) {
      DISPPARAMS noArgs{nullptr, m.Put() ? &put : nullptr, static_cast<UINT>(v.size()), named};
      Perform(d, m.id, m.flags, &noArgs, label + "argument count without arguments");
      DISPPARAMS noNames{v.data(), nullptr, static_cast<UINT>(v.size()), 1};
      Perform(d, m.id, m.flags, &noNames, label + "name count without names");
    }
    Perform(d, m.id, m.flags, nullptr, label + "without DISPPARAMS");
    if (!Forbidden(target, m, sane)) {
      DISPPARAMS dp{v.empty() ? nullptr : v.data(), m.Put() ? &put : nullptr, static_cast<UINT>(v.size()), named};
      Perform(d, m.id, m.flags, &dp, label + "asked for another interface", kAll, IID_IDispatch);
      for (WORD flags : {DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYGET, DISPATCH_METHOD, 0}) {
        const bool asPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && !v.empty();
        DISPPARAMS other{v.empty() ? nullptr : v.data(), asPut ? &put : nullptr, static_cast<UINT>(v.size()),
                         asPut ? 1u : 0u};
        if (flags != m.flags) Perform(d, m.id, flags, &other, label + "flags " + std::to_string(flags));
      }
    }
    // DISPIDs the class may not have, once per class.
    for (DISPID id : {DISPID(0x7FFF1234), DISPID(DISPID_UNKNOWN), DISPID(DISPID_VALUE), DISPID(DISPID_NEWENUM)}) {
      DISPPARAMS empty{};
      if (first && id != m.id)
        Perform(d, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &empty, label + std::to_string(id));
    }
  }

  World& w_;
  Watchdog& dog_;
  Tally& t_;
  std::vector<LONG> baseline_;
  std::vector<std::string> suspect_;  // the first call after which a caller object held more
  LONG root_ = 0;
  bool leaked_ = false;
};

// ---- The tests ----------------------------------------------------------------------

class DispatchSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_loader && g_loader->Loaded());
    ASSERT_EQ(g_loader->CanUnloadNow(), S_OK) << "objects of the library were alive before the sweep";
    RegDeleteTreeW(HKEY_CURRENT_USER, Scratch().c_str());
    before_ = TakeSnapshot();
    world_ = std::make_unique<World>();
    ASSERT_TRUE(world_->form && world_->listView) << "no window could be made";
    ASSERT_TRUE(world_->font);
  }

  static std::wstring AppKey(const std::wstring& title) { return L"SOFTWARE\\LARKSPUR FORGE\\ORVANE\\" + title; }

  // Sweeps the targets, then removes what the calls named and compares the registry.
  void Sweep(const std::vector<Target>& targets) {
    const ULONGLONG start = GetTickCount64();
    Tally tally;
    std::size_t members = 0;
    {
      Watchdog dog;
      Sweeper sweeper(*world_, dog, tally);
      for (const Target& t : targets) members += sweeper.Run(t);
    }
    SetErrorInfo(0, nullptr);
    std::printf("[ sweep    ] %zu members, %zu calls (%zu re-entering), %zu skipped, %llu ms\n", members, tally.calls,
                tally.reentries, tally.skipped, GetTickCount64() - start);
    for (const auto& [hr, count] : tally.results) std::printf("[ sweep    ]   %s: %zu\n", Hex(hr).c_str(), count);
    for (const std::string& f : tally.faults) ADD_FAILURE() << f;

    const std::set<std::wstring> titles = world_->titles;
    world_.reset();
    EXPECT_EQ(g_loader->CanUnloadNow(), S_OK);
    RegDeleteTreeW(HKEY_CURRENT_USER, Scratch().c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, Scratch().c_str());
    // The application keys the calls named go, unless they were there before.
    std::vector<std::wstring> kept;
    for (const std::wstring& t : titles) {
      if (t.empty()) continue;  // no title addresses the family key itself
      if (before_.count(L"K " + AppKey(t))) {
        kept.push_back(AppKey(t));
      } else {
        RegDeleteTreeW(HKEY_CURRENT_USER, AppKey(t).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, AppKey(t).c_str());
      }
    }
    for (const wchar_t* parent :
         {L"SOFTWARE\\LARKSPUR FORGE\\ORVANE", L"SOFTWARE\\LARKSPUR FORGE", L"SOFTWARE\\ORVANETESTS"}) {
      if (!before_.count(L"K " + std::wstring(parent))) RegDeleteKeyW(HKEY_CURRENT_USER, parent);
    }
    auto inKept = [&](const std::wstring& entry) {
      const std::wstring path = entry.substr(2);
      for (const std::wstring& k : kept) {
        if (path.rfind(k, 0) == 0 && (path.size() == k.size() || path[k.size()] == L'\\' || path[k.size()] == L'|')) {
          return true;
        }
      }
      return false;
    };
    const Snapshot after = TakeSnapshot();
    for (const std::wstring& e : after) {
      if (!before_.count(e) && !inKept(e)) ADD_FAILURE() << "left in the registry: " << Narrow(e);
    }
    for (const std::wstring& e : before_) {
      if (!after.count(e) && !inKept(e)) ADD_FAILURE() << "gone from the registry: " << Narrow(e);
    }
  }

  static ComPtr<IDispatch> Registry(bool wide) {
    ComPtr<IDispatch> r;
    if (FAILED(g_loader->Create(CLSID_orvRegistry2, &r))) return {};
    Variant flag = Variant::Bool(wide);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS dp{flag.Get(), &put, 1, 1};
    r->Invoke(0x68030001, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr);  // UseUnicodeFunctions
    return r;
  }

  std::unique_ptr<World> world_;
  Snapshot before_;
};

TEST_F(DispatchSweep, RegistryClassInBothCharacterSets) {
  Sweep({{"orvRegistry2 (wide)", [] { return Registry(true); }, true},
         {"orvRegistry2 (ANSI)", [] { return Registry(false); }, true}});
}

TEST_F(DispatchSweep, SettingsClass) {
  Sweep({{"orvOrvaneSettings2", [] {
            ComPtr<IDispatch> s;
            g_loader->Create(CLSID_orvOrvaneSettings2, &s);
            return s;
          }}});
}

// Records and collections as GetValue, GetKey, GetValues and GetSubKeys
// hand them out, over values of several registry types and a key with a class.
TEST_F(DispatchSweep, RecordsAndCollections) {
  const std::wstring data = Scratch() + L"\\records";
  Put(HKEY_CURRENT_USER, data, L"sz", REG_SZ, Sz(L"text"));
  Put(HKEY_CURRENT_USER, data, L"multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  Put(HKEY_CURRENT_USER, data, L"bin", REG_BINARY, {1, 2, 3});
  Put(HKEY_CURRENT_USER, data, L"short dword", REG_DWORD, {1, 2});
  Put(HKEY_CURRENT_USER, data, L"odd", 0x1234, {9});
  MakeKey(HKEY_CURRENT_USER, data + L"\\child", L"SweepClass");
  // An object one registry method answers for the scratch key.
  auto from = [data](const wchar_t* method, std::function<Args()> rest) {
    return [data, method, rest]() -> ComPtr<IDispatch> {
      ComPtr<IDispatch> r = Registry(true);
      DISPID id;
      LPOLESTR name = const_cast<LPOLESTR>(method);
      if (!r || FAILED(r->GetIDsOfNames(IID_NULL, &name, 1, 0, &id))) return {};
      Args args;
      args.push_back(Arg::I4(kHkcu));
      args.push_back(Arg::Text(data));
      for (Arg& a : rest()) args.push_back(std::move(a));
      std::vector<VARIANT> v = Reversed(args);
      DISPPARAMS dp{v.data(), nullptr, static_cast<UINT>(v.size()), 0};
      Variant out;
      if (FAILED(r->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &dp, out.Get(), nullptr, nullptr)) ||
          V_VT(out.Get()) != VT_DISPATCH) {
        return {};
      }
      return ComPtr<IDispatch>(V_DISPATCH(out.Get()));
    };
  };
  auto none = [] { return Args(); };
  Sweep({{"RegValue", from(L"GetValue",
                           [] {
                             Args a;
                             a.push_back(Arg::Text(L"multi"));
                             return a;
                           })},
         {"RegKey", from(L"GetKey", none)},
         {"Collection of values", from(L"GetValues",
                                       [] {
                                         Args a;
                                         a.push_back(Arg::Bool(true));
                                         return a;
                                       })},
         {"Collection of keys", from(L"GetSubKeys", none)}});
}

}  // namespace
}  // namespace orv::test

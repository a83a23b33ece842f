// docs/scripting.md and the type library embedded in Brindle0200.dll must not
// drift apart: every member and enumeration value the library describes has
// an entry in the reference (a "### Name" heading or a "| `Name`" table row)
// and a helpstring for object browsers. And every example of the reference
// runs as written, as a script author would copy it.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/com_types.h"
#include "tests/common/server_loader.h"

namespace orv::test {
namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

struct Entry {
  std::wstring owner, name, help;
  bool needsHelp = true;  // widl takes no helpstring on enumeration values
};

// Every function and variable of every type, with its helpstring. Dual
// interfaces are read through their vtable view, which lists only their own
// members, not IDispatch's.
std::vector<Entry> TypeLibraryEntries(ITypeLib* lib) {
  std::vector<Entry> out;
  for (UINT t = 0; t < lib->GetTypeInfoCount(); ++t) {
    ComPtr<ITypeInfo> info;
    if (FAILED(lib->GetTypeInfo(t, info.Put()))) continue;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    if (attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL)) {
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> vtbl;
      if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, vtbl.Put()))) {
        info->ReleaseTypeAttr(attr);
        info = vtbl;
        info->GetTypeAttr(&attr);
      }
    }
    Bstr owner, ownerHelp;
    info->GetDocumentation(MEMBERID_NIL, owner.Put(), ownerHelp.Put(), nullptr, nullptr);
    if (attr->typekind == TKIND_ENUM) out.push_back({L"", Text(owner.Get()), Text(ownerHelp.Get())});
    auto add = [&](MEMBERID id) {
      Bstr name, help;
      info->GetDocumentation(id, name.Put(), help.Put(), nullptr, nullptr);
      out.push_back({Text(owner.Get()), Text(name.Get()), Text(help.Get())});
    };
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* f = nullptr;
      if (FAILED(info->GetFuncDesc(i, &f))) continue;
      add(f->memid);
      info->ReleaseFuncDesc(f);
    }
    for (UINT i = 0; i < attr->cVars; ++i) {
      VARDESC* v = nullptr;
      if (FAILED(info->GetVarDesc(i, &v))) continue;
      Bstr name;
      info->GetDocumentation(v->memid, name.Put(), nullptr, nullptr, nullptr);
      out.push_back({Text(owner.Get()), Text(name.Get()), L"", false});
      info->ReleaseVarDesc(v);
    }
    info->ReleaseTypeAttr(attr);
  }
  return out;
}

bool HasEntry(const std::string& reference, const std::string& name) {
  return reference.find("\n### " + name + "\n") != std::string::npos ||
         reference.find("\n| `" + name + "`") != std::string::npos;
}

std::string ReadReference() {
  std::ifstream file(ORV_SCRIPTING_REFERENCE);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ScriptingReference, EveryMemberHasAnEntryAndAHelpstring) {
  const std::string reference = ReadReference();
  ASSERT_FALSE(reference.empty()) << "cannot read " << ORV_SCRIPTING_REFERENCE;

  ComPtr<ITypeLib> lib;
  ASSERT_EQ(LoadTypeLibEx(ServerDllPath().c_str(), REGKIND_NONE, lib.Put()), S_OK);
  const std::vector<Entry> entries = TypeLibraryEntries(lib.Get());
  // The two classes' interfaces, both records, the collection and three enumerations.
  ASSERT_GE(entries.size(), 60u);
  for (const Entry& e : entries) {
    const std::string where = Narrow(e.owner.empty() ? e.name : e.owner + L"." + e.name);
    if (!e.owner.empty()) {
      EXPECT_TRUE(HasEntry(reference, Narrow(e.name))) << where << " has no entry";
    }
    if (e.needsHelp) {
      EXPECT_FALSE(e.help.empty()) << where << " has no helpstring";
    }
  }
}

// ---- The examples, each run by a 64-bit cscript as a file of its own.
//
// A block right after "<!-- example set-up -->" holds the lines every example
// of its language assumes; it heads each of them. "<!-- continues -->" runs a
// block after the one before it (it uses that one's class); "<!-- fragment -->"
// marks a block that is not meant to run alone. What the reference leaves to
// the reader (a window, a list view, an application object, a font, proxy
// objects) the set-up below supplies.

struct Example {
  std::string language;  // "vbscript" or "javascript"
  std::string code;
  int line = 0;  // of the opening fence
  std::string note;  // the HTML comment right before the fence, if any
};

std::vector<Example> Examples(const std::string& reference) {
  std::vector<Example> out;
  std::istringstream in(reference);
  std::string line, previous;
  Example* open = nullptr;
  for (int number = 1; std::getline(in, line); ++number) {
    if (open) {
      if (line == "```") {
        open = nullptr;
      } else {
        open->code += line + "\n";
      }
    } else if (line == "```vbscript" || line == "```javascript") {
      out.push_back({line.substr(3), "", number, previous.rfind("<!--", 0) == 0 ? previous : ""});
      open = &out.back();
    }
    if (!line.empty()) previous = line;
  }
  return out;
}

constexpr char kEndMarker[] = "example ran to its end";

// What the examples take for granted besides the reference's own set-up;
// %FORM% and %LIST% become window handles.
constexpr char kVbSetUp[] = R"(Class TestForm
  Public hWnd
  Public Name
End Class
Class TestColumns
  Public Count
End Class
Class TestListView
  Public hWnd
  Public ColumnHeaders
End Class
Class TestApp
  Public Title
  Public Major
  Public Minor
End Class
Set frm = New TestForm : frm.hWnd = %FORM% : frm.Name = "frmMain"
Set lvw = New TestListView : lvw.hWnd = %LIST% : Set lvw.ColumnHeaders = New TestColumns : lvw.ColumnHeaders.Count = 3
Set app = New TestApp : app.Title = "My Program" : app.Major = 1 : app.Minor = 0
)";
constexpr char kJsSetUp[] = R"(var app = {Title: "My Program", Major: 1, Minor: 0};
var form = {hWnd: %FORM%, Name: "frmMain"};
var listView = {hWnd: %LIST%, ColumnHeaders: {Count: 3}};
var font = s.LoadFont("Test Font", null, "My Program", 1, 0);
var proxy = {HTTP_AccessType: 0, HTTP_Address: "", HTTP_BypassList: "", HTTP_BypassLocal: false,
             HTTP_UserName: "", HTTP_Password: ""};
var ht = {AccessType: 0, HTTP_Address: "", HTTPS_Address: "", FTP_Address: "", BypassList: "",
          UserName: "", Password: ""};
)";

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at; (at = text.find(what)) != std::string::npos;) text.replace(at, what.size(), with);
  return text;
}

// A top-level window and a report list view with three columns, for the
// placement and column examples; they run in cscript's process, so this
// thread pumps messages while a script runs.
struct TestWindows {
  HWND form = nullptr, list = nullptr;
  TestWindows() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    form = CreateWindowExW(0, WC_STATICW, L"frmMain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300, nullptr,
                           nullptr, nullptr, nullptr);
    list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | LVS_REPORT, 60, 60, 300, 200,
                           nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = 80;
      SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
  }
  ~TestWindows() {
    DestroyWindow(list);
    DestroyWindow(form);
  }
};

// Runs one script file under the 64-bit cscript; its output, or why it did not run.
std::string RunScript(const std::wstring& script) {
  wchar_t dir[MAX_PATH], temp[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  GetTempPathW(MAX_PATH, temp);
  const std::wstring outPath = std::wstring(temp) + L"orv-example-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return "cannot make " + std::string(outPath.begin(), outPath.end());
  const std::wstring cscript = std::wstring(dir) + L"\\cscript.exe";
  std::wstring commandLine = L"\"" + cscript + L"\" //nologo \"" + script + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = out;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(cscript.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(out);
  if (!started) return "cscript did not start: " + std::to_string(GetLastError());
  const DWORD deadline = GetTickCount() + 60000;
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (GetTickCount() > deadline) {
      TerminateProcess(process.hProcess, 1);
      break;
    }
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream result(std::filesystem::path(outPath), std::ios::binary);
  std::stringstream text;
  text << result.rdbuf();
  result.close();
  DeleteFileW(outPath.c_str());
  return Replace(text.str(), "\r", "");
}

// The classes registered from this build's DLL for the scripts' CreateObject,
// and unregistered again when nothing was registered before.
class Registration {
 public:
  Registration() {
    wasRegistered_ = RegKeyExists(HKEY_CLASSES_ROOT, L"Brindle0200.orvRegistry2\\CLSID");
    module_ = LoadLibraryW(ServerDllPath().c_str());
    result_ = Call("DllRegisterServer");
  }
  ~Registration() {
    if (!wasRegistered_) Call("DllUnregisterServer");
    if (module_) FreeLibrary(module_);
  }
  HRESULT Result() const { return result_; }

 private:
  static bool RegKeyExists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  HRESULT Call(const char* name) {
    auto fn = module_ ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                            reinterpret_cast<void*>(GetProcAddress(module_, name)))
                      : nullptr;
    return fn ? fn() : E_FAIL;
  }
  HMODULE module_ = nullptr;
  bool wasRegistered_ = false;
  HRESULT result_ = E_FAIL;
};

constexpr wchar_t kExampleKey[] = L"Software\\Example";
constexpr wchar_t kExampleProgram[] = L"Software\\Larkspur Forge\\Orvane\\My Program";

TEST(ScriptingReference, EveryExampleRunsAsWritten) {
  const std::vector<Example> examples = Examples(ReadReference());
  std::string setUp[2];  // VBScript, JScript
  auto slot = [](const Example& e) { return e.language == "vbscript" ? 0 : 1; };
  int runnable = 0;
  for (const Example& e : examples) {
    if (e.note == "<!-- example set-up -->") {
      EXPECT_TRUE(setUp[slot(e)].empty()) << "a second set-up at line " << e.line;
      setUp[slot(e)] = e.code;
    } else if (e.note != "<!-- fragment -->") {
      ++runnable;
    }
  }
  ASSERT_FALSE(setUp[0].empty() || setUp[1].empty()) << "the reference lacks a set-up for each language";
  // Nearly every member has an example; fragments are the exception.
  ASSERT_GE(runnable, 35);

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Registration registration;
  ASSERT_EQ(registration.Result(), S_OK);
  TestWindows windows;
  ASSERT_TRUE(windows.form && windows.list);
  RegDeleteTreeW(HKEY_CURRENT_USER, kExampleKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kExampleProgram);
  // The key-listing example lists the family's titles: at least this one.
  HKEY created = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kExampleProgram) + L"\\Version 1.00").c_str(), 0, nullptr, 0,
                  KEY_READ, nullptr, &created, nullptr);
  if (created) RegCloseKey(created);

  const std::string handles[] = {std::to_string(reinterpret_cast<std::uintptr_t>(windows.form)),
                                 std::to_string(reinterpret_cast<std::uintptr_t>(windows.list))};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const Example* previous[2] = {nullptr, nullptr};
  for (const Example& e : examples) {
    const int lang = slot(e);
    const Example* before = previous[lang];
    previous[lang] = &e;
    if (e.note == "<!-- example set-up -->" || e.note == "<!-- fragment -->") continue;
    std::string body = e.code;
    if (e.note == "<!-- continues -->") {
      ASSERT_NE(before, nullptr) << "line " << e.line << " continues nothing";
      body = before->code + body;
    }
    const bool vb = lang == 0;
    const std::string script =
        setUp[lang] + Replace(Replace(vb ? kVbSetUp : kJsSetUp, "%FORM%", handles[0]), "%LIST%", handles[1]) +
        body + (vb ? std::string("\nWScript.Echo \"") + kEndMarker + "\"\n"
                   : std::string("\nWScript.Echo(\"") + kEndMarker + "\");\n");
    const std::wstring path = std::wstring(temp) + L"orv-example-" + std::to_wstring(e.line) + (vb ? L".vbs" : L".js");
    std::ofstream(std::filesystem::path(path), std::ios::binary) << script;
    const std::string output = RunScript(path);
    DeleteFileW(path.c_str());
    // Wine's cscript says nothing about a script error and exits 0: only the
    // marker after the example's last line shows that it ran through.
    EXPECT_NE(output.find(std::string(kEndMarker) + "\n"), std::string::npos)
        << "the " << e.language << " example at docs/scripting.md:" << e.line << " stopped early\n"
        << e.code << "output:\n" << output;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, kExampleKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kExampleProgram);
  CoUninitialize();
}

}  // namespace
}  // namespace orv::test

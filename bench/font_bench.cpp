// LoadFont against the Win32 work it stands for, measured in one run: the
// eight stored font values read directly (open, query, query, close each)
// and OleCreateFontIndirect of the font they describe.
#include <windows.h>
#include <olectl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "idl/brindle_idl.h"
#include "tests/common/server_loader.h"

namespace {

using orv::Bstr;
using orv::ComPtr;
using orv::bench::BestSeconds;
using orv::bench::DirectRead;

const std::wstring kFamily = L"Software\\Larkspur Forge\\Orvane\\";
const wchar_t* const kNames[] = {L"Size",      L"Size2",   L"Italic", L"Strikethrough",
                                 L"Underline", L"Charset", L"Weight", L"Name"};

// The direct way: each value read as stored, the font built from them.
ComPtr<IFontDisp> DirectLoad(const std::wstring& path, std::vector<BYTE> (&bufs)[8]) {
  for (int i = 0; i < 8; ++i) {
    if (!DirectRead(path, kNames[i], bufs[i])) std::exit(3);
  }
  auto dword = [&](int i) {
    DWORD v = 0;
    std::memcpy(&v, bufs[i].data(), sizeof v);
    return v;
  };
  auto flag = [&](int i) { return bufs[i].size() > 2 && (bufs[i][0] == 'T' || bufs[i][0] == 't') ? TRUE : FALSE; };
  FONTDESC d{};
  d.cbSizeofstruct = sizeof(FONTDESC);
  d.lpstrName = reinterpret_cast<LPOLESTR>(bufs[7].data());
  d.cySize.int64 = static_cast<LONGLONG>(dword(1)) * 10;
  d.fItalic = flag(2);
  d.fStrikethrough = flag(3);
  d.fUnderline = flag(4);
  d.sCharset = static_cast<SHORT>(dword(5));
  d.sWeight = static_cast<SHORT>(dword(6));
  ComPtr<IFontDisp> font;
  if (FAILED(OleCreateFontIndirect(&d, IID_IFontDisp, reinterpret_cast<void**>(font.Put())))) std::exit(4);
  return font;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  orv::test::ServerLoader server;
  ComPtr<_orvOrvaneSettings2> store;
  orv::bench::CreateOrExit(server, CLSID_orvOrvaneSettings2, &store);
  const std::wstring title = L"OrvaneBench " + std::to_wstring(GetCurrentProcessId()) + L" font";
  const std::wstring path = kFamily + title + L"\\Version 1.02\\Main Font";
  Bstr sub(L"Main Font"), bTitle(title.c_str());

  FONTDESC d{sizeof(FONTDESC), const_cast<LPOLESTR>(L"Tahoma"), {}, 700, 204, TRUE, FALSE, FALSE};
  d.cySize.int64 = 82500;
  ComPtr<IFontDisp> font;
  OleCreateFontIndirect(&d, IID_IFontDisp, reinterpret_cast<void**>(font.Put()));
  IFontDisp* value = font.Get();
  if (FAILED(store->SaveFont(sub.Get(), &value, bTitle.Get(), 1, 2, VARIANT_TRUE))) {
    std::fprintf(stderr, "SaveFont failed\n");
    return 1;
  }

  constexpr int kCalls = 5000;
  std::vector<BYTE> bufs[8];
  const double direct = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) DirectLoad(path, bufs);
  });
  const double ours = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      IFontDisp* def = font.Get();
      ComPtr<IFontDisp> out;
      if (FAILED(store->LoadFont(sub.Get(), &def, bTitle.Get(), 1, 2, VARIANT_TRUE, out.Put())) || !out) std::exit(2);
    }
  });
  // Where the direct time goes: the eight reads alone.
  const double reads = BestSeconds(5, [&] {
    for (int i = 0; i < kCalls; ++i) {
      for (int v = 0; v < 8; ++v) DirectRead(path, kNames[v], bufs[v]);
    }
  });
  std::printf("eight_reads_direct_us %.2f\n", reads / kCalls * 1e6);
  std::printf("loadfont_direct_us %.2f\n", direct / kCalls * 1e6);
  std::printf("loadfont_orvsettings2_us %.2f\n", ours / kCalls * 1e6);
  std::printf("ratio_loadfont %.2f\n", ours / direct);

  SHDeleteKeyW(HKEY_CURRENT_USER, (kFamily + title).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge\\Orvane");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Larkspur Forge");
  font.Reset();
  store.Reset();
  CoUninitialize();
  return 0;
}

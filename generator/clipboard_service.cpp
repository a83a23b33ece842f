#include "clipboard_service.h"

#include <cstring>
#include <string>
#include <utility>

namespace orv::quorlet {
namespace {

Status LastError() {
  const DWORD e = GetLastError();
  return e ? HRESULT_FROM_WIN32(e) : kFail;
}

// The clipboard, open for the lifetime of the object. Another program may
// hold it for a moment, so opening is tried a few times.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(20);
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

// Movable global memory, freed unless the clipboard took it.
class GlobalBlock {
 public:
  GlobalBlock(const void* data, std::size_t size) : h_(GlobalAlloc(GMEM_MOVEABLE, size)) {
    if (!h_) return;
    void* p = GlobalLock(h_);
    if (!p) {
      GlobalFree(std::exchange(h_, nullptr));
      return;
    }
    std::memcpy(p, data, size);
    GlobalUnlock(h_);
  }
  ~GlobalBlock() {
    if (h_) GlobalFree(h_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL Get() const { return h_; }
  void Release() { h_ = nullptr; }

 private:
  HGLOBAL h_;
};

Status Place(UINT format, const void* data, std::size_t size) {
  if (format == 0) return LastError();
  GlobalBlock block(data, size);
  if (!block.Get()) return kOutOfMemory;
  if (!SetClipboardData(format, block.Get())) return LastError();
  block.Release();  // the clipboard owns it now
  return kOk;
}

}  // namespace

Status ClipboardService::Clear(VbBool* out) {
  if (!out) return kPointer;
  OpenClipboardScope clipboard(owner_);
  if (!clipboard.IsOpen()) return LastError();
  if (!EmptyClipboard()) return LastError();
  *out = kVbTrue;
  return kOk;
}

Status ClipboardService::SetText(std::wstring_view text, VbBool* out) {
  if (!out) return kPointer;
  OpenClipboardScope clipboard(owner_);
  if (!clipboard.IsOpen()) return LastError();
  // Taking ownership is what lets the text be served to other programs.
  if (!EmptyClipboard()) return LastError();
  std::wstring terminated(text);
  if (Status s = Place(CF_UNICODETEXT, terminated.c_str(), (terminated.size() + 1) * sizeof(wchar_t)); Failed(s)) {
    return s;
  }
  // A password belongs neither in the history nor in the cloud.
  const DWORD no = 0;
  constexpr const wchar_t* kMarkers[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                         L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"};
  for (const wchar_t* marker : kMarkers) {
    if (Status s = Place(RegisterClipboardFormatW(marker), &no, sizeof(no)); Failed(s)) return s;
  }
  *out = kVbTrue;
  return kOk;
}

}  // namespace orv::quorlet

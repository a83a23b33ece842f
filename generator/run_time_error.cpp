#include "run_time_error.h"

#include <cstdio>

#include "app_identity.h"

namespace orv::quorlet {

std::wstring FillInserts(const std::wstring& text, const std::wstring& subject) {
  const std::wstring filler = subject.empty() ? std::wstring(L"\u2026") : L"\u00AB" + subject + L"\u00BB";
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
      i += 1;
      while (i + 1 < text.size() && text[i + 1] >= L'0' && text[i + 1] <= L'9') ++i;
      // A printf-style form after the number, "%1!s!".
      if (i + 1 < text.size() && text[i + 1] == L'!') {
        const std::size_t close = text.find(L'!', i + 2);
        if (close != std::wstring::npos) i = close;
      }
      out += filler;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring SystemErrorText(HRESULT code, const std::wstring& subject) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return FillInserts(text, subject);
}

void Raise(HRESULT code) { throw RunTimeError(code, SystemErrorText(code)); }

void EndWithError(HRESULT code, const std::wstring& description) {
  wchar_t number[64];
  std::swprintf(number, 64, L"%ld (0x%08lX)", static_cast<long>(code), static_cast<unsigned long>(code));
  std::wstring text = L"Ошибка выполнения " + std::wstring(number) + L":\n\n" +
                      (description.empty() ? std::wstring(L"Неизвестная ошибка.") : description);
  // Owned by no window: the one that failed may be half gone.
  MessageBoxW(nullptr, text.c_str(), kExeName, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace orv::quorlet

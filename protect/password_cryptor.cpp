#include "password_cryptor.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "protect/protect_data.h"
#include "support/random.h"
#include "support/win_status.h"

namespace orv {
namespace {

using SecretCodes = std::vector<std::int32_t, WipingAllocator<std::int32_t>>;

// A character the code page lacks becomes its substitute, not a look-alike.
// Code pages that refuse the flag (UTF-8 among them) convert without it.
int WideToAnsi(const wchar_t* text, int length, char* out, int outSize) {
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, out, outSize, nullptr, nullptr);
  if (n == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    n = WideCharToMultiByte(CP_ACP, 0, text, length, out, outSize, nullptr, nullptr);
  }
  return n;
}

bool PasswordToAnsi(std::wstring_view password, SecretBytes* ansi) {
  ansi->clear();
  if (password.empty() || password.size() > INT_MAX) return false;
  const int length = static_cast<int>(password.size());
  const int size = WideToAnsi(password.data(), length, nullptr, 0);
  if (size <= 0) return false;
  ansi->resize(static_cast<std::size_t>(size));
  return WideToAnsi(password.data(), length, reinterpret_cast<char*>(ansi->data()), size) == size;
}

// One code per character: its byte, or for a character of more than one byte
// its first two as one number, which never fits a byte and so is refused by
// the scrambler.
Status PasswordToAnsiCodes(std::wstring_view password, SecretCodes* codes) {
  codes->reserve(password.size());
  for (const wchar_t c : password) {
    unsigned char bytes[8];
    const int n = WideToAnsi(&c, 1, reinterpret_cast<char*>(bytes), sizeof(bytes));
    if (n <= 0) return LastErrorStatus();
    codes->push_back(n == 1 ? bytes[0] : bytes[0] << 8 | bytes[1]);
    WipeMemory(bytes, sizeof(bytes));
  }
  return kOk;
}

// The whole buffer at once, so double-byte characters stay whole. What a
// failed conversion left in the buffer is wiped with it.
SecretString AnsiToPassword(const SecretBytes& ansi) {
  if (ansi.empty() || ansi.size() > INT_MAX) return {};
  const auto* text = reinterpret_cast<const char*>(ansi.data());
  const int length = static_cast<int>(ansi.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (size <= 0) return {};
  SecretString password(static_cast<std::size_t>(size));
  if (MultiByteToWideChar(CP_ACP, 0, text, length, password.data(), size) != size) return {};
  return password;
}

// Each code on its own: a lead byte without its trail does not convert.
SecretString AnsiCodesToPassword(const SecretBytes& ansi) {
  SecretString password(ansi.size());
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    const auto* byte = reinterpret_cast<const char*>(&ansi[i]);
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, byte, 1, password.data() + i, 1) != 1) return {};
  }
  return password;
}

bool UnprotectForCurrentUser(std::span<const std::uint8_t> blob, SecretBytes* plain) {
  std::wstring description;
  DWORD lastError = 0;
  return UnprotectBytes(blob, plain, &description, false, false, L"", L"0", &lastError);
}

Status RandomByte(std::uint8_t* byte) {
  std::int32_t value = 0;
  if (Status s = esGetRnd(0, 255, 0, &value); Failed(s)) return s;
  *byte = static_cast<std::uint8_t>(value);
  return kOk;
}

}  // namespace

Status EncodePassword(std::wstring_view password, std::int32_t mode, std::wstring* stored) {
  if (mode < 0 || mode > 2 || password.empty()) {
    stored->clear();
    return kOk;
  }
  if (mode != 0) {
    if (std::wstring text = EncodeProtectedPassword(password, mode == 1); !text.empty()) {
      *stored = std::move(text);
      return kOk;
    }
  }
  return ScramblePassword(password, stored);
}

SecretString DecodePassword(const std::wstring& stored) {
  const StoredSecret secret = DecodeStoredText(stored, &UnprotectForCurrentUser);
  switch (secret.form) {
    case StoredForm::kProtected: return AnsiToPassword(secret.ansi);
    case StoredForm::kScrambled: return AnsiCodesToPassword(secret.ansi);
    case StoredForm::kNone: break;
  }
  return {};
}

std::wstring EncodeProtectedPassword(std::wstring_view password, bool localMachine) {
  SecretBytes ansi, blob;
  DWORD lastError = 0;
  if (!PasswordToAnsi(password, &ansi)) return {};
  if (!ProtectBytes(ansi, &blob, L"", localMachine, false, L"", L"0", &lastError)) return {};
  std::wstring hex;
  if (!BytesToHex(blob, &hex)) return {};
  return L"Z" + hex;
}

SecretString DecodeProtectedPassword(const std::wstring& stored) {
  SecretBytes ansi;
  if (!DecodeProtectedText(stored, &UnprotectForCurrentUser, &ansi)) return {};
  return AnsiToPassword(ansi);
}

Status ScramblePassword(std::wstring_view password, std::wstring* stored) {
  SecretCodes codes;
  if (Status s = PasswordToAnsiCodes(password, &codes); Failed(s)) return s;
  return ScrambleAnsiCodes(codes, &RandomByte, stored);
}

SecretString UnscramblePassword(const std::wstring& stored) {
  SecretBytes ansi;
  if (!UnscrambleToAnsi(stored, &ansi)) return {};
  return AnsiCodesToPassword(ansi);
}

const wchar_t* DescribeEncodeFailure(Status status) {
  if (status == kOverflow) return L"has a character that the system's code page cannot store in one byte.";
  if (HRESULT_FACILITY(status) == FACILITY_WIN32 || status == kFail) {
    return L"does not convert to the system's code page.";
  }
  return L"could not be scrambled: the system's random number generator failed.";
}

}  // namespace orv

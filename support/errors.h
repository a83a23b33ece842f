// The one error of the library and of Quorlet: a C++ exception carrying an
// HRESULT and a description. The library turns it into the COM error of the
// call at its interface; Quorlet shows it and ends.
#pragma once
#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

#include "support/automation_errors.h"
#include "support/status.h"

namespace orv {

class ComError : public std::exception {
 public:
  ComError(HRESULT hr, std::wstring description) : hr_(hr), description_(std::move(description)) {}
  HRESULT hr() const { return hr_; }
  // Empty when nobody described the failure: a reporter then uses the system's text.
  const std::wstring& description() const { return description_; }
  const char* what() const noexcept override { return "COM error"; }

 private:
  HRESULT hr_;
  std::wstring description_;
};

// The overflow error with the runtime's own description of it.
[[noreturn]] inline void ThrowOverflow() { throw ComError(kOverflow, L"Overflow"); }

[[noreturn]] void ThrowFailure(HRESULT hr, std::wstring_view what);

// Throws when `hr` is a failure. The description is the one the thread's
// error information holds (what a failed method of another object left), else
// `what`. That information is taken in either case, so it is never seen again
// by a later failure. It can be trusted because nothing stale reaches it:
// every method of ours (ComBoundary) and every Quorlet handler (RunGuarded)
// starts with none, and a failed COM call that is tolerated instead of thrown
// is followed by ClearErrorInfo.
inline void ThrowIfFailed(HRESULT hr, std::wstring_view what = {}) {
  if (FAILED(hr)) ThrowFailure(hr, what);
}

// Forgets the thread's error information.
void ClearErrorInfo();

}  // namespace orv

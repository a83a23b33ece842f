// Errors inside the library: a C++ exception carrying an HRESULT and a
// description, turned into the COM error of the call at the interface.
#pragma once
#include <windows.h>

#include <new>
#include <string>

#include "support/status.h"

namespace orv {

class ComError {
 public:
  ComError(HRESULT hr, std::wstring description) : hr_(hr), description_(std::move(description)) {}
  HRESULT hr() const { return hr_; }
  const std::wstring& description() const { return description_; }

 private:
  HRESULT hr_;
  std::wstring description_;
};

// The overflow error with the runtime's own description of it.
[[noreturn]] inline void ThrowOverflow() { throw ComError(kOverflow, L"Overflow"); }

// Throws when `hr` is a failure, naming what failed.
inline void Check(HRESULT hr, const wchar_t* what) {
  if (FAILED(hr)) throw ComError(hr, what);
}

// Throws when a call of another object failed, with the description that
// object left behind (else `what`), so the caller learns the real cause.
void CheckCall(HRESULT hr, const wchar_t* what);

// Sets the thread's error information so that late-bound callers see a
// description; returns `hr`.
HRESULT ReportError(HRESULT hr, const std::wstring& description, REFIID iid, const wchar_t* source);

// Runs an interface method body: no exception leaves it.
template <class Body>
HRESULT ComBoundary(REFIID iid, const wchar_t* source, Body&& body) noexcept {
  try {
    return body();
  } catch (const ComError& e) {
    return ReportError(e.hr(), e.description(), iid, source);
  } catch (const std::bad_alloc&) {
    return ReportError(E_OUTOFMEMORY, L"Out of memory.", iid, source);
  } catch (...) {
    return ReportError(E_UNEXPECTED, L"Unexpected internal error.", iid, source);
  }
}

}  // namespace orv

// The COM boundary of the library's methods: a ComError inside becomes the
// COM error of the call, with its description in IErrorInfo.
#pragma once
#include <windows.h>

#include <new>
#include <string>

#include "support/errors.h"

namespace orv {

// Sets the thread's error information so that late-bound callers see a
// description; returns `hr`.
HRESULT ReportError(HRESULT hr, const std::wstring& description, REFIID iid, const wchar_t* source);

// Runs an interface method body: no exception leaves it. The body starts with
// no error information on the thread, so none from before the call is taken
// for the cause of a failure inside it.
template <class Body>
HRESULT ComBoundary(REFIID iid, const wchar_t* source, Body&& body) noexcept {
  ClearErrorInfo();
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

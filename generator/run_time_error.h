// Quorlet has no error handler of its own: a failing status or COM call is
// raised as a RunTimeError, and whatever reaches a window procedure or the
// message loop ends the program after one message box with the error number
// and text.
#pragma once
#include <windows.h>

#include <string>

#include "support/errors.h"

namespace orv::quorlet {

// The program's run-time error is the library's error type; an empty
// description stands for the system's text of the number.
using RunTimeError = ComError;

// The system's text for an error number, or an empty text. Its inserts
// ("%1", "%1!s!") name `subject`, quoted, or an ellipsis when there is none:
// a report never shows a raw insert.
std::wstring SystemErrorText(HRESULT code, const std::wstring& subject = {});
std::wstring FillInserts(const std::wstring& text, const std::wstring& subject);

[[noreturn]] void Raise(HRESULT code);

// Shows the error report and ends the process; never returns.
[[noreturn]] void EndWithError(HRESULT code, const std::wstring& description);

// Runs a handler; a run-time error escaping it ends the program. The handler
// starts with no error information on the thread (see ThrowIfFailed).
template <class F>
void RunGuarded(F&& handler) noexcept {
  ClearErrorInfo();
  try {
    handler();
  } catch (const RunTimeError& e) {
    EndWithError(e.hr(), e.description().empty() ? SystemErrorText(e.hr()) : e.description());
  } catch (const std::bad_alloc&) {
    EndWithError(E_OUTOFMEMORY, SystemErrorText(E_OUTOFMEMORY));
  } catch (...) {
    EndWithError(E_UNEXPECTED, SystemErrorText(E_UNEXPECTED));
  }
}

}  // namespace orv::quorlet

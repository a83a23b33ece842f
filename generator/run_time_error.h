// Quorlet has no error handler of its own: a failing status or COM call is
// raised as a RunTimeError, and whatever reaches a window procedure or the
// message loop ends the program after one message box with the error number
// and text.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

#include "support/status.h"

namespace orv::quorlet {

class RunTimeError : public std::exception {
 public:
  RunTimeError(HRESULT code, std::wstring description) : code_(code), description_(std::move(description)) {}
  HRESULT Code() const { return code_; }
  const std::wstring& Description() const { return description_; }
  const char* what() const noexcept override { return "Quorlet run-time error"; }

 private:
  HRESULT code_;
  std::wstring description_;
};

// The system's text for an error number, or an empty text. Its inserts
// ("%1", "%1!s!") name `subject`, quoted, or an ellipsis when there is none:
// a report never shows a raw insert.
std::wstring SystemErrorText(HRESULT code, const std::wstring& subject = {});
std::wstring FillInserts(const std::wstring& text, const std::wstring& subject);

[[noreturn]] void Raise(HRESULT code);
inline void Check(Status status) {
  if (Failed(status)) Raise(status);
}
// Takes the description the object left through IErrorInfo, when it left one.
void CheckCom(HRESULT hr);

// Shows the error report and ends the process; never returns.
[[noreturn]] void EndWithError(HRESULT code, const std::wstring& description);

// Runs a handler; a run-time error escaping it ends the program.
template <class F>
void RunGuarded(F&& handler) noexcept {
  try {
    handler();
  } catch (const RunTimeError& e) {
    EndWithError(e.Code(), e.Description());
  } catch (const std::bad_alloc&) {
    EndWithError(E_OUTOFMEMORY, SystemErrorText(E_OUTOFMEMORY));
  } catch (...) {
    EndWithError(E_UNEXPECTED, SystemErrorText(E_UNEXPECTED));
  }
}

}  // namespace orv::quorlet

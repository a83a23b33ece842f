// Late-bound arguments for typed by-reference parameters, as scripts send
// them. A script passes its variables as VT_BYREF|VT_VARIANT, which the
// type library's Invoke refuses for `IDispatch**` or `VARIANT_BOOL*` with a
// type mismatch; in parentheses it passes a value, which an out-only flag
// must also take whatever it holds.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <vector>

namespace orv {

class ScriptArguments {
 public:
  // The arguments of a call of `id`, each typed by-reference parameter given
  // a reference of its own type: to the script's variable where there is
  // one (so the method writes into it), else for a flag to a temporary.
  ScriptArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params);
  ScriptArguments(const ScriptArguments&) = delete;
  ScriptArguments& operator=(const ScriptArguments&) = delete;

  DISPPARAMS* Get() { return &params_; }

 private:
  void Adapt(VARIANT& arg, VARTYPE target, std::size_t index);

  std::vector<VARIANT> args_;        // shallow copies of the caller's: they own nothing
  std::vector<VARIANT_BOOL> flags_;  // temporaries for flags passed by value
  DISPPARAMS params_;
};

}  // namespace orv

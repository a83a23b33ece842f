// Late-bound arguments as scripts send them, made into what the type
// library's Invoke takes:
// - a script passes its variables as VT_BYREF|VT_VARIANT, which Invoke
//   refuses for `IDispatch**` or `VARIANT_BOOL*` with a type mismatch; in
//   parentheses it passes a value, which an out-only flag must also take;
// - JScript passes `null` (VT_NULL) for an object, which means Nothing, and
//   an object argument left out (VT_ERROR, DISP_E_PARAMNOTFOUND) means no
//   object too, where Invoke would refuse it as a type mismatch;
// - JScript passes whole numbers above 2^31 as doubles, which overflow a
//   32-bit parameter; for the enumerations a class names as unsigned (the
//   registry roots 0x80000000 and up) they are taken as the same 32 bits.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <vector>

#include "server/member_table.h"

namespace orv {

class ScriptArguments {
 public:
  // The arguments of a call of `member`, each typed by-reference parameter
  // given a reference of its own type: to the script's variable where there
  // is one (so the method writes into it), else to a temporary.
  ScriptArguments(const MemberRule& member, const DISPPARAMS& params);
  ScriptArguments(const ScriptArguments&) = delete;
  ScriptArguments& operator=(const ScriptArguments&) = delete;
  ~ScriptArguments();

  DISPPARAMS* Get() { return &params_; }

 private:
  void Adapt(VARIANT& arg, VARTYPE target, std::size_t index);
  bool LendObject(VARIANT& arg, std::size_t index);
  void ReferToVariable(VARIANT& arg, VARTYPE target);
  void LendFlag(VARIANT& arg, std::size_t index);
  VARIANT& Own(std::size_t index);
  void Temporaries();

  std::vector<VARIANT> args_;        // shallow copies of the caller's, once one changes: they own nothing
  std::vector<VARIANT_BOOL> flags_;  // temporaries for flags passed by value
  // Temporaries for objects passed by value or as null, each holding its own
  // reference (or what the method left there instead).
  std::vector<IDispatch*> objects_;
  DISPPARAMS params_;
};

// Whether a named argument of a call of `member` names no parameter (nor, for
// a put, the new value); *index is then its place in `params.rgvarg`.
bool NamesNoParameter(const MemberRule& member, WORD flags, const DISPPARAMS& params, UINT* index);

// The index in `params.rgvarg` of the argument for which the type library's
// Invoke of `member` answered `hr` (DISP_E_TYPEMISMATCH or
// DISP_E_PARAMNOTFOUND), found as Invoke checks them: the parameters in
// declaration order, the first whose argument is left out where it is
// required or, for a type mismatch, does not coerce to the parameter's type.
// False, with *index untouched, when none is to blame.
bool FindBadArgument(const MemberRule& member, const DISPPARAMS& params, HRESULT hr, UINT* index);

// Whether a call as `flags` passes more arguments than the member declares,
// its return value and locale aside. False for a property get, whose further
// arguments index the value it gets.
inline bool HasTooManyArguments(const MemberRule& member, UINT count) {
  return member.kind != INVOKE_PROPERTYGET && count > member.declared;
}

// A whole number from 0 to 2^32 - 1 held in a numeric VARIANT (through
// script references) as the same 32-bit pattern; false for anything else.
bool AsUnsigned32Pattern(const VARIANT& v, LONG* pattern);

}  // namespace orv

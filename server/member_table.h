// What the dispatch layer needs to know of an interface's members, read from
// its type information once, when that is first loaded, so that no late-bound
// call walks the function descriptions again.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string_view>
#include <vector>

namespace orv {

// What a script's argument for one parameter becomes.
struct ParameterRule {
  // For a by-reference parameter, the type it points at (VT_DISPATCH for an
  // interface pointer, which also stands for Nothing when the argument is
  // null or left out); VT_EMPTY for a parameter taken by value, and for a
  // VARIANT*, which takes a script variable as it comes.
  VARTYPE byRefTarget = VT_EMPTY;
  // What an argument must coerce to, as the type library's Invoke converts
  // it; VT_VARIANT for a parameter that takes anything. Names a bad argument.
  VARTYPE valueType = VT_VARIANT;
  bool unsigned32 = false;  // one of the enumerations the class names as unsigned
  bool optional = false;
  bool passed = true;  // false for the return value and the locale, which no caller passes
};

struct MemberRule {
  DISPID id = DISPID_UNKNOWN;
  INVOKEKIND kind = INVOKE_FUNC;
  UINT declared = 0;                      // parameters a caller may pass, return value and locale aside
  std::size_t named = 0;                  // the leading parameters a caller may name
  bool callableWithoutArguments = false;  // a method whose passed parameters are all optional
  std::vector<ParameterRule> parameters;  // in declaration order, all of them
};

class MemberTable {
 public:
  MemberTable() = default;
  // `unsignedEnums` names the enumerations whose values run past 2^31.
  MemberTable(ITypeInfo* info, std::span<const std::wstring_view> unsignedEnums);

  // The member a call of `id` as `flags` reaches, as the type library's Invoke
  // picks it (the first that answers); nullptr when there is none.
  const MemberRule* Find(DISPID id, WORD flags) const;

  // Whether a property get of `id` should be served as a call: the member is
  // a method that needs no argument (JScript reads `c.Count` as a get).
  bool IsCallableWithoutArguments(DISPID id) const;

 private:
  std::vector<MemberRule> members_;
};

}  // namespace orv

#include "server/script_arguments.h"

#include "server/variant_args.h"
#include "support/com_types.h"

namespace orv {
namespace {

// Through aliases: stdole's IFontDisp is an alias of the dispinterface Font.
bool IsInterface(ITypeInfo* info, HREFTYPE ref, int depth = 0) {
  ComPtr<ITypeInfo> referenced;
  if (depth > 8 || FAILED(info->GetRefTypeInfo(ref, referenced.Put()))) return false;
  TYPEATTR* attr = nullptr;
  if (FAILED(referenced->GetTypeAttr(&attr))) return false;
  bool result = attr->typekind == TKIND_INTERFACE || attr->typekind == TKIND_DISPATCH;
  if (attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_USERDEFINED) {
    const HREFTYPE aliased = attr->tdescAlias.hreftype;
    referenced->ReleaseTypeAttr(attr);
    return IsInterface(referenced.Get(), aliased, depth + 1);
  }
  referenced->ReleaseTypeAttr(attr);
  return result;
}

// What a by-reference parameter points at, as a VARIANT type: VT_DISPATCH for
// a pointer to an interface pointer. VT_EMPTY for a parameter taken by value,
// and for a VARIANT*, which takes a script variable as it comes.
VARTYPE ByRefTarget(ITypeInfo* info, const TYPEDESC& type) {
  if (type.vt != VT_PTR || !type.lptdesc) return VT_EMPTY;
  const TYPEDESC& to = *type.lptdesc;
  switch (to.vt) {
    case VT_BOOL:
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_R4:
    case VT_R8:
    case VT_BSTR:
    case VT_CY:
    case VT_DATE: return to.vt;
    case VT_DISPATCH: return VT_DISPATCH;
    case VT_PTR:
      if (!to.lptdesc) return VT_EMPTY;
      if (to.lptdesc->vt == VT_DISPATCH) return VT_DISPATCH;
      if (to.lptdesc->vt == VT_USERDEFINED && IsInterface(info, to.lptdesc->hreftype)) return VT_DISPATCH;
      return VT_EMPTY;
    default: return VT_EMPTY;
  }
}

// The by-reference targets of a member's parameters, in declaration order;
// empty when the member is not found.
std::vector<VARTYPE> ParameterTargets(ITypeInfo* info, DISPID id, WORD flags) {
  std::vector<VARTYPE> targets;
  TYPEATTR* attr = nullptr;
  if (!info || FAILED(info->GetTypeAttr(&attr))) return targets;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    if (func->memid == id && (func->invkind & flags)) {
      for (SHORT p = 0; p < func->cParams; ++p) targets.push_back(ByRefTarget(info, func->lprgelemdescParam[p].tdesc));
      info->ReleaseFuncDesc(func);
      break;
    }
    info->ReleaseFuncDesc(func);
  }
  return targets;
}

}  // namespace

ScriptArguments::ScriptArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params)
    : args_(params.rgvarg, params.rgvarg + params.cArgs), flags_(params.cArgs, VARIANT_FALSE), params_(params) {
  params_.rgvarg = args_.empty() ? nullptr : args_.data();
  const std::vector<VARTYPE> targets = ParameterTargets(info, id, flags);
  const UINT named = params.cNamedArgs, count = params.cArgs;
  for (UINT k = 0; k < count; ++k) {
    // Named arguments come first and name their parameter; the positional
    // ones follow in reverse order.
    const LONG parameter = k < named ? params.rgdispidNamedArgs[k] : static_cast<LONG>(count - 1 - k);
    if (parameter < 0 || static_cast<std::size_t>(parameter) >= targets.size()) continue;
    if (targets[parameter] != VT_EMPTY) Adapt(args_[k], targets[parameter], k);
  }
}

void ScriptArguments::Adapt(VARIANT& arg, VARTYPE target, std::size_t index) {
  if (V_VT(&arg) == (VT_BYREF | VT_VARIANT)) {
    VARIANT* variable = V_VARIANTREF(&arg);
    if (!variable) return;
    if (target == VT_DISPATCH) {
      // An unset variable can receive an object, as an output variable would.
      if (V_VT(variable) == VT_EMPTY) {
        V_VT(variable) = VT_DISPATCH;
        V_DISPATCH(variable) = nullptr;
      }
      if (V_VT(variable) != VT_DISPATCH) return;  // the type library's Invoke answers that
      V_VT(&arg) = VT_BYREF | VT_DISPATCH;
      V_DISPATCHREF(&arg) = &V_DISPATCH(variable);
      return;
    }
    if (V_VT(variable) != target && FAILED(VariantChangeType(variable, variable, 0, target))) {
      if (target != VT_BOOL) return;
      // A flag is only written, so what the variable held does not matter.
      VariantClear(variable);
      V_VT(variable) = VT_BOOL;
      V_BOOL(variable) = VARIANT_FALSE;
    }
    V_VT(&arg) = VT_BYREF | target;
    V_BYREF(&arg) = &V_UI1(variable);  // every member of the value union starts here
    return;
  }
  // A flag passed by value (in parentheses) gets a temporary to be written.
  if (target == VT_BOOL && !(V_VT(&arg) & VT_BYREF) && !IsOmitted(arg)) {
    V_VT(&arg) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&arg) = &flags_[index];
  }
}

}  // namespace orv

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

// The name of a user-defined type, followed through aliases: an enumeration
// may be declared under a tag and a typedef of the same name.
bool IsNamedType(ITypeInfo* info, HREFTYPE ref, std::span<const std::wstring_view> names) {
  ComPtr<ITypeInfo> type;
  if (names.empty() || FAILED(info->GetRefTypeInfo(ref, type.Put()))) return false;
  for (int depth = 0; depth < 4 && type; ++depth) {
    Bstr name;
    if (SUCCEEDED(type->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr))) {
      for (std::wstring_view n : names) {
        if (Text(name.Get()) == n) return true;
      }
    }
    TYPEATTR* attr = nullptr;
    if (FAILED(type->GetTypeAttr(&attr))) return false;
    const bool alias = attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_USERDEFINED;
    const HREFTYPE next = alias ? attr->tdescAlias.hreftype : 0;
    type->ReleaseTypeAttr(attr);
    if (!alias) return false;
    ComPtr<ITypeInfo> aliased;
    if (FAILED(type->GetRefTypeInfo(next, aliased.Put()))) return false;
    type = aliased;
  }
  return false;
}

// Calls `visit` with each function description of `info`, in order, until it
// returns true.
template <class Visit>
void ForEachFunc(ITypeInfo* info, Visit visit) {
  TYPEATTR* attr = nullptr;
  if (!info || FAILED(info->GetTypeAttr(&attr))) return;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    const bool done = visit(*func);
    info->ReleaseFuncDesc(func);
    if (done) return;
  }
}

// What a user-defined type takes as a value: an enumeration a 32-bit
// number, an interface an object; VT_VARIANT where this does not judge.
VARTYPE UserDefinedValue(ITypeInfo* info, HREFTYPE ref, int depth = 0) {
  ComPtr<ITypeInfo> type;
  if (depth > 8 || FAILED(info->GetRefTypeInfo(ref, type.Put()))) return VT_VARIANT;
  TYPEATTR* attr = nullptr;
  if (FAILED(type->GetTypeAttr(&attr))) return VT_VARIANT;
  VARTYPE value = VT_VARIANT;
  switch (attr->typekind) {
    case TKIND_ENUM: value = VT_I4; break;
    case TKIND_INTERFACE:
    case TKIND_DISPATCH:
    case TKIND_COCLASS: value = VT_DISPATCH; break;
    case TKIND_ALIAS:
      value = attr->tdescAlias.vt == VT_USERDEFINED ? UserDefinedValue(type.Get(), attr->tdescAlias.hreftype, depth + 1)
                                                    : attr->tdescAlias.vt;
      break;
    default: break;
  }
  type->ReleaseTypeAttr(attr);
  return value;
}

// What an argument of a parameter must coerce to, as the type library's
// Invoke converts it; VT_VARIANT for a parameter that takes anything.
VARTYPE ValueType(ITypeInfo* info, const TYPEDESC& type) {
  if (const VARTYPE target = ByRefTarget(info, type); target != VT_EMPTY) return target;
  const TYPEDESC* t = &type;
  if (t->vt == VT_PTR && t->lptdesc) t = t->lptdesc;  // a VARIANT*, an interface pointer
  switch (t->vt) {
    case VT_USERDEFINED: return UserDefinedValue(info, t->hreftype);
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL:
    case VT_BSTR:
    case VT_BOOL:
    case VT_ERROR:
    case VT_DISPATCH:
    case VT_UNKNOWN: return t->vt;
    default: return VT_VARIANT;
  }
}

struct Parameter {
  VARTYPE byRefTarget = VT_EMPTY;  // see ByRefTarget
  bool unsigned32 = false;         // an enumeration the class names as unsigned
  VARTYPE valueType = VT_VARIANT;  // see ValueType
  bool optional = false;
  bool passed = true;  // false for the return value and the locale, which no caller passes
};

// A member's parameters, in declaration order; empty when the member is not
// found. Their value types only when asked for: a call that goes well needs
// none.
std::vector<Parameter> Parameters(ITypeInfo* info, DISPID id, WORD flags,
                                  std::span<const std::wstring_view> unsignedEnums, bool valueTypes = false) {
  std::vector<Parameter> targets;
  ForEachFunc(info, [&](const FUNCDESC& func) {
    if (func.memid != id || !(func.invkind & flags)) return false;
    for (SHORT p = 0; p < func.cParams; ++p) {
      const TYPEDESC& type = func.lprgelemdescParam[p].tdesc;
      const USHORT f = func.lprgelemdescParam[p].paramdesc.wParamFlags;
      targets.push_back({ByRefTarget(info, type),
                         type.vt == VT_USERDEFINED && IsNamedType(info, type.hreftype, unsignedEnums),
                         valueTypes ? ValueType(info, type) : VARTYPE{VT_VARIANT},
                         (f & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0,
                         !(f & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))});
    }
    return true;
  });
  return targets;
}

// Where the argument for parameter `p` is in rgvarg, or -1 when the caller
// left it out. A property's new value is the last parameter.
LONG ArgumentOf(const DISPPARAMS& params, std::size_t p, bool lastParameter) {
  for (UINT k = 0; k < params.cNamedArgs; ++k) {
    const DISPID name = params.rgdispidNamedArgs[k];
    if (static_cast<std::size_t>(name) == p || (name == DISPID_PROPERTYPUT && lastParameter)) return static_cast<LONG>(k);
  }
  const UINT positional = params.cArgs - params.cNamedArgs;
  return p < positional ? static_cast<LONG>(params.cArgs - 1 - p) : -1;
}

// How many parameters a caller passes: all but the return value and locale.
std::size_t PassedCount(const std::vector<Parameter>& targets) {
  std::size_t passed = 0;
  while (passed < targets.size() && targets[passed].passed) ++passed;
  return passed;
}

bool Coerces(const VARIANT& arg, VARTYPE type) {
  if (type == VT_VARIANT) return true;
  const VARIANT* held = Referent(arg);
  if (!held) return false;
  Variant converted;
  return SUCCEEDED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(held), 0, type));
}

}  // namespace

ScriptArguments::ScriptArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                                 std::span<const std::wstring_view> unsignedEnums)
    : args_(params.rgvarg, params.rgvarg + params.cArgs),
      flags_(params.cArgs, VARIANT_FALSE),
      objects_(params.cArgs, nullptr),
      params_(params) {
  params_.rgvarg = args_.empty() ? nullptr : args_.data();
  const std::vector<Parameter> targets = Parameters(info, id, flags, unsignedEnums);
  const UINT named = params.cNamedArgs, count = params.cArgs;
  for (UINT k = 0; k < count; ++k) {
    // Named arguments come first and name their parameter; the positional
    // ones follow in reverse order.
    const LONG parameter = k < named ? params.rgdispidNamedArgs[k] : static_cast<LONG>(count - 1 - k);
    if (parameter < 0 || static_cast<std::size_t>(parameter) >= targets.size()) continue;
    const Parameter& p = targets[parameter];
    LONG pattern = 0;
    if (p.unsigned32 && AsUnsigned32Pattern(args_[k], &pattern)) {
      VariantInit(&args_[k]);
      V_VT(&args_[k]) = VT_I4;
      V_I4(&args_[k]) = pattern;
    }
    if (p.byRefTarget != VT_EMPTY) Adapt(args_[k], p.byRefTarget, k);
  }
}

ScriptArguments::~ScriptArguments() {
  for (IDispatch* object : objects_) {
    if (object) object->Release();
  }
}

void ScriptArguments::Adapt(VARIANT& arg, VARTYPE target, std::size_t index) {
  if (target == VT_DISPATCH) {
    // null for an object is Nothing, and so is an object left out; the
    // caller's variable is left as it is.
    const VARIANT* held = Referent(arg);
    if (held && (V_VT(held) == VT_NULL || IsOmitted(*held))) {
      V_VT(&arg) = VT_BYREF | VT_DISPATCH;
      V_DISPATCHREF(&arg) = &objects_[index];
      return;
    }
    // An object passed by value gets a temporary of ours: Wine's Invoke
    // keeps the copy it would make when another argument fails to convert.
    if (V_VT(&arg) == VT_DISPATCH || V_VT(&arg) == VT_UNKNOWN) {
      if (V_VT(&arg) == VT_DISPATCH) {
        objects_[index] = V_DISPATCH(&arg);
        if (objects_[index]) objects_[index]->AddRef();
      } else if (V_UNKNOWN(&arg) &&
                 FAILED(V_UNKNOWN(&arg)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&objects_[index])))) {
        return;  // no IDispatch: the type library's Invoke refuses it
      }
      V_VT(&arg) = VT_BYREF | VT_DISPATCH;
      V_DISPATCHREF(&arg) = &objects_[index];
      return;
    }
  }
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
  // A flag passed by value (in parentheses) gets a temporary to be written;
  // so does one passed as omitted, on which Wine's Invoke would crash.
  if (target == VT_BOOL && !(V_VT(&arg) & VT_BYREF)) {
    V_VT(&arg) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&arg) = &flags_[index];
  }
}

bool NamesNoParameter(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params, UINT* index) {
  if (params.cNamedArgs == 0) return false;
  const std::vector<Parameter> targets = Parameters(info, id, flags, {});
  if (targets.empty()) return false;  // a member not found is not for the names to tell
  const std::size_t passed = PassedCount(targets);
  const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  for (UINT k = 0; k < params.cNamedArgs; ++k) {
    const DISPID name = params.rgdispidNamedArgs[k];
    if (name == DISPID_PROPERTYPUT && put) continue;
    if (name < 0 || static_cast<std::size_t>(name) >= passed) {
      *index = k;
      return true;
    }
  }
  return false;
}

bool FindBadArgument(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params, HRESULT hr, UINT* index) {
  const std::vector<Parameter> targets = Parameters(info, id, flags, {}, true);
  const std::size_t passed = PassedCount(targets);
  for (std::size_t p = 0; p < passed; ++p) {
    const LONG k = ArgumentOf(params, p, p + 1 == passed);
    if (k < 0) continue;
    const VARIANT& arg = params.rgvarg[k];
    const bool bad = IsOmitted(arg) ? !targets[p].optional
                                    : hr == DISP_E_TYPEMISMATCH && !Coerces(arg, targets[p].valueType);
    if (bad) {
      *index = static_cast<UINT>(k);
      return true;
    }
  }
  return false;
}

bool IsCallableWithoutArguments(ITypeInfo* info, DISPID id) {
  bool callable = false;
  ForEachFunc(info, [&](const FUNCDESC& func) {
    if (func.memid != id || func.invkind != INVOKE_FUNC) return false;
    callable = true;
    for (SHORT p = 0; p < func.cParams; ++p) {
      const USHORT f = func.lprgelemdescParam[p].paramdesc.wParamFlags;
      if (!(f & (PARAMFLAG_FOPT | PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))) callable = false;
    }
    return callable;
  });
  return callable;
}

bool HasTooManyArguments(ITypeInfo* info, DISPID id, WORD flags, UINT count) {
  bool tooMany = false;
  // The first member that answers the call, as the type library's Invoke picks it.
  ForEachFunc(info, [&](const FUNCDESC& func) {
    if (func.memid != id || !(func.invkind & flags)) return false;
    UINT declared = 0;
    for (SHORT p = 0; p < func.cParams; ++p) {
      if (!(func.lprgelemdescParam[p].paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))) ++declared;
    }
    tooMany = func.invkind != INVOKE_PROPERTYGET && count > declared;
    return true;
  });
  return tooMany;
}

bool AsUnsigned32Pattern(const VARIANT& v, LONG* pattern) {
  const Held h = Look(v);
  if (!h.data) return false;
  constexpr double kLimit = 4294967295.0;
  double d = 0;
  switch (h.type) {
    case VT_R8: d = *static_cast<const double*>(h.data); break;
    case VT_R4: d = *static_cast<const float*>(h.data); break;
    case VT_I8: d = static_cast<double>(*static_cast<const LONGLONG*>(h.data)); break;
    case VT_UI8: d = static_cast<double>(*static_cast<const ULONGLONG*>(h.data)); break;
    case VT_UI4:
    case VT_UINT: d = *static_cast<const ULONG*>(h.data); break;
    case VT_DECIMAL:
    case VT_CY: {
      VARIANT copy;
      VariantInit(&copy);
      if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(Referent(v)), 0, VT_R8))) return false;
      d = V_R8(&copy);
      break;
    }
    default: return false;  // 32 bits and less: the automation rules already fit
  }
  if (!(d >= 0 && d <= kLimit) || d != static_cast<double>(static_cast<ULONGLONG>(d))) return false;
  *pattern = static_cast<LONG>(static_cast<ULONG>(d));
  return true;
}

}  // namespace orv

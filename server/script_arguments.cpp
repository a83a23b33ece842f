#include "server/script_arguments.h"

#include "server/variant_args.h"
#include "support/com_types.h"

namespace orv {
namespace {

// Where the argument for parameter `p` is in rgvarg, or -1 when the caller
// left it out. A property's new value is the last parameter.
LONG ArgumentOf(const DISPPARAMS& params, std::size_t p, bool lastParameter) {
  for (UINT k = 0; k < params.cNamedArgs; ++k) {
    const DISPID name = params.rgdispidNamedArgs[k];
    if (static_cast<std::size_t>(name) == p || (name == DISPID_PROPERTYPUT && lastParameter))
      return static_cast<LONG>(k);
  }
  const UINT positional = params.cArgs - params.cNamedArgs;
  return p < positional ? static_cast<LONG>(params.cArgs - 1 - p) : -1;
}

bool Coerces(const VARIANT& arg, VARTYPE type) {
  if (type == VT_VARIANT) return true;
  const VARIANT* held = Referent(arg);
  if (!held) return false;
  Variant converted;
  return SUCCEEDED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(held), 0, type));
}

}  // namespace

ScriptArguments::ScriptArguments(const MemberRule& member, const DISPPARAMS& params) : params_(params) {
  const std::vector<ParameterRule>& targets = member.parameters;
  const UINT named = params.cNamedArgs, count = params.cArgs;
  for (UINT k = 0; k < count; ++k) {
    // Named arguments come first and name their parameter; the positional
    // ones follow in reverse order.
    const LONG parameter = k < named ? params.rgdispidNamedArgs[k] : static_cast<LONG>(count - 1 - k);
    if (parameter < 0 || static_cast<std::size_t>(parameter) >= targets.size()) continue;
    const ParameterRule& p = targets[parameter];
    LONG pattern = 0;
    if (p.unsigned32 && AsUnsigned32Pattern(params.rgvarg[k], &pattern)) {
      VARIANT& arg = Own(k);
      VariantInit(&arg);
      V_VT(&arg) = VT_I4;
      V_I4(&arg) = pattern;
    }
    if (p.byRefTarget != VT_EMPTY) Adapt(Own(k), p.byRefTarget, k);
  }
}

ScriptArguments::~ScriptArguments() {
  for (IDispatch* object : objects_) {
    if (object) object->Release();
  }
}

// The caller's arguments are lent as they are until one needs changing; then
// the call gets shallow copies, which own nothing.
VARIANT& ScriptArguments::Own(std::size_t index) {
  if (args_.empty()) {
    args_.assign(params_.rgvarg, params_.rgvarg + params_.cArgs);
    params_.rgvarg = args_.data();
  }
  return args_[index];
}

void ScriptArguments::Adapt(VARIANT& arg, VARTYPE target, std::size_t index) {
  if (target == VT_DISPATCH && LendObject(arg, index)) return;
  if (V_VT(&arg) == (VT_BYREF | VT_VARIANT)) return ReferToVariable(arg, target);
  // A flag passed by value (in parentheses) gets a temporary to be written;
  // so does one passed as omitted, on which Wine's Invoke would crash.
  if (target == VT_BOOL && !(V_VT(&arg) & VT_BYREF)) LendFlag(arg, index);
}

// An object parameter: null or left out is Nothing, and an object passed by
// value gets a temporary of ours (Wine's Invoke keeps the copy it would make
// when another argument fails to convert). False when neither applies.
bool ScriptArguments::LendObject(VARIANT& arg, std::size_t index) {
  Temporaries();
  const VARIANT* held = Referent(arg);
  const bool nothing = held && (V_VT(held) == VT_NULL || IsOmitted(*held));  // the caller's variable is left as it is
  if (!nothing) {
    if (V_VT(&arg) == VT_DISPATCH) {
      objects_[index] = V_DISPATCH(&arg);
      if (objects_[index]) objects_[index]->AddRef();
    } else if (V_VT(&arg) != VT_UNKNOWN) {
      return false;
    } else if (V_UNKNOWN(&arg) &&
               FAILED(V_UNKNOWN(&arg)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&objects_[index])))) {
      return true;  // no IDispatch: the type library's Invoke refuses it
    }
  }
  V_VT(&arg) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&arg) = &objects_[index];
  return true;
}

// A script variable for a typed by-reference parameter: a reference of the
// parameter's type into the variable, so the method writes into it.
void ScriptArguments::ReferToVariable(VARIANT& arg, VARTYPE target) {
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
}

// Made once, at full size, before the first is lent: the call holds pointers into them.
void ScriptArguments::Temporaries() {
  if (objects_.empty()) {
    objects_.assign(params_.cArgs, nullptr);
    flags_.assign(params_.cArgs, VARIANT_FALSE);
  }
}

void ScriptArguments::LendFlag(VARIANT& arg, std::size_t index) {
  Temporaries();
  V_VT(&arg) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&arg) = &flags_[index];
}

bool NamesNoParameter(const MemberRule& member, WORD flags, const DISPPARAMS& params, UINT* index) {
  if (params.cNamedArgs == 0 || member.parameters.empty()) return false;
  const std::size_t passed = member.named;
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

bool FindBadArgument(const MemberRule& member, const DISPPARAMS& params, HRESULT hr, UINT* index) {
  const std::vector<ParameterRule>& targets = member.parameters;
  const std::size_t passed = member.named;
  for (std::size_t p = 0; p < passed; ++p) {
    const LONG k = ArgumentOf(params, p, p + 1 == passed);
    if (k < 0) continue;
    const VARIANT& arg = params.rgvarg[k];
    const bool bad =
        IsOmitted(arg) ? !targets[p].optional : hr == DISP_E_TYPEMISMATCH && !Coerces(arg, targets[p].valueType);
    if (bad) {
      *index = static_cast<UINT>(k);
      return true;
    }
  }
  return false;
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

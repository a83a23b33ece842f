#include "server/member_table.h"

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

// See ParameterRule::byRefTarget.
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

// See ParameterRule::valueType.
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

MemberRule Rule(ITypeInfo* info, const FUNCDESC& func, std::span<const std::wstring_view> unsignedEnums) {
  MemberRule m;
  m.id = func.memid;
  m.kind = func.invkind;
  m.callableWithoutArguments = func.invkind == INVOKE_FUNC;
  for (SHORT p = 0; p < func.cParams; ++p) {
    const TYPEDESC& type = func.lprgelemdescParam[p].tdesc;
    const USHORT f = func.lprgelemdescParam[p].paramdesc.wParamFlags;
    ParameterRule rule{ByRefTarget(info, type), ValueType(info, type),
                       type.vt == VT_USERDEFINED && IsNamedType(info, type.hreftype, unsignedEnums),
                       (f & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0,
                       !(f & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))};
    if (rule.passed) ++m.declared;
    if (!(f & (PARAMFLAG_FOPT | PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))) m.callableWithoutArguments = false;
    m.parameters.push_back(rule);
  }
  while (m.named < m.parameters.size() && m.parameters[m.named].passed) ++m.named;
  return m;
}

}  // namespace

MemberTable::MemberTable(ITypeInfo* info, std::span<const std::wstring_view> unsignedEnums) {
  TYPEATTR* attr = nullptr;
  if (!info || FAILED(info->GetTypeAttr(&attr))) return;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  members_.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    members_.push_back(Rule(info, *func, unsignedEnums));
    info->ReleaseFuncDesc(func);
  }
}

const MemberRule* MemberTable::Find(DISPID id, WORD flags) const {
  for (const MemberRule& m : members_) {
    if (m.id == id && (m.kind & flags)) return &m;
  }
  return nullptr;
}

bool MemberTable::IsCallableWithoutArguments(DISPID id) const {
  for (const MemberRule& m : members_) {
    if (m.id == id && m.kind == INVOKE_FUNC && m.callableWithoutArguments) return true;
  }
  return false;
}

}  // namespace orv

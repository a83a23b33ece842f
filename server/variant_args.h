// The one place that decides what a caller's VARIANT argument is: scripts
// pass their variables as VT_BYREF|VT_VARIANT, typed by-reference arguments
// arrive as VT_BYREF|VT_BSTR and the like, and an omitted optional argument
// arrives as VT_ERROR holding DISP_E_PARAMNOTFOUND.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace orv {

// The VARIANT a caller means, through script-variable references; nullptr
// for a reference that points nowhere or a chain no honest caller builds.
inline const VARIANT* Referent(const VARIANT& v) {
  const VARIANT* cur = &v;
  for (int depth = 0; V_VT(cur) == (VT_BYREF | VT_VARIANT); ++depth) {
    if (depth == 8 || !V_VARIANTREF(cur)) return nullptr;
    cur = V_VARIANTREF(cur);
  }
  if ((V_VT(cur) & VT_BYREF) && !V_BYREF(cur)) return nullptr;
  return cur;
}

// The value a VARIANT holds, seen through every kind of reference.
struct Held {
  VARTYPE type = VT_EMPTY;     // without VT_BYREF
  const void* data = nullptr;  // where the value itself is stored; nullptr when nowhere
};

inline Held Look(const VARIANT& v) {
  const VARIANT* r = Referent(v);
  if (!r) return {};
  if (V_VT(r) & VT_BYREF) return {static_cast<VARTYPE>(V_VT(r) & ~VT_BYREF), V_BYREF(r)};
  // Every member of the value union starts at the same address.
  return {V_VT(r), &V_UI1(r)};
}

inline bool IsOmitted(const VARIANT& v) {
  const Held h = Look(v);
  return h.type == VT_ERROR && *static_cast<const SCODE*>(h.data) == DISP_E_PARAMNOTFOUND;
}

}  // namespace orv

// Reads the properties of objects that callers pass in (application
// objects, forms, list views, fonts), late-bound and by name.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace orv {

// One property by name, through IDispatchEx when the object offers it
// (script class instances need that) and GetIDsOfNames otherwise. Throws
// ComError with the object's own error code and description when it raised
// one; `objectName` names the object in the description.
void ReadPropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, VARIANT* out);

// A window handle held in a property ("hWnd" of a form or a control), of any
// integer type. A 32-bit value or narrower becomes a handle as Windows widens
// handles (sign-extended; unsigned types zero-extended to 32 bits first); a
// 64-bit value outside 32 bits is a handle only in a 64-bit process, and is
// no window (0) in a 32-bit one. Other types convert by the automation rules
// to a whole number. Throws as ReadPropertyByName does, and
// DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW when the value is no whole number.
HWND ReadWindowHandle(IDispatch* object, const wchar_t* objectName, const wchar_t* name);

// Assigns one property by name (a property put, never a put by reference),
// found as ReadPropertyByName finds it. Throws ComError naming the property
// when it is missing or the object refuses the value.
void WritePropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, const VARIANT& value);

}  // namespace orv

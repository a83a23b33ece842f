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

// Assigns one property by name (a property put, never a put by reference),
// found as ReadPropertyByName finds it. Throws ComError naming the property
// when it is missing or the object refuses the value.
void WritePropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, const VARIANT& value);

}  // namespace orv

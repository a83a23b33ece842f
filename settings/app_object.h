// Reads a calling program's application object late-bound, by name.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace orv {

struct AppIdentity {
  std::wstring title;
  LONG major = 0;
  LONG minor = 0;
};

// "Title", "Major" and "Minor", in that order. Throws ComError with a
// description when the object is Nothing, lacks a property or a value does
// not convert.
AppIdentity ReadAppIdentity(IDispatch** appObject);

// One property by name, through IDispatchEx when the object offers it
// (script class instances need that) and GetIDsOfNames otherwise. Throws
// ComError with the object's own error code and description when it raised
// one; `objectName` names the object in the description.
void ReadPropertyByName(IDispatch* object, const wchar_t* objectName, const wchar_t* name, VARIANT* out);

}  // namespace orv

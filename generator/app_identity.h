// Who Quorlet is: the application object's properties, the settings path and
// the version block all come from here. Plain macros, so the resource
// compiler reads the same numbers as the program.
#pragma once

#define QUORLET_TITLE_TEXT "Orvane - Quorlet for Win32"
#define QUORLET_EXE_NAME_TEXT "Quorlet"
#define QUORLET_MAJOR 1
#define QUORLET_MINOR 2
#define QUORLET_REVISION 11
// "1.02.0011": minor with two digits, revision with four.
#define QUORLET_VERSION_TEXT "1.02.0011"
#define QUORLET_DESCRIPTION_TEXT "Orvane - Quorlet for Win32 1.02"
#define QUORLET_PRODUCT_TEXT "Orvane"
#define QUORLET_COMPANY_TEXT "Larkspur Forge"

#define QUORLET_WIDEN2(s) L##s
#define QUORLET_WIDEN(s) QUORLET_WIDEN2(s)

#ifndef RC_INVOKED
namespace orv::quorlet {

inline constexpr const wchar_t* kTitle = QUORLET_WIDEN(QUORLET_TITLE_TEXT);
inline constexpr const wchar_t* kExeName = QUORLET_WIDEN(QUORLET_EXE_NAME_TEXT);
inline constexpr int kMajor = QUORLET_MAJOR;
inline constexpr int kMinor = QUORLET_MINOR;
inline constexpr int kRevision = QUORLET_REVISION;

}  // namespace orv::quorlet
#endif

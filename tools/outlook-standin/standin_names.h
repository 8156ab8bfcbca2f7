#pragma once
// The names by which the tests find and steer the stand-in from outside: the
// key its switches live under and the classes of its windows. Apart from the
// server's own headers, so that the test support can use them without the
// server's types.

namespace quorvane::standin {

inline constexpr wchar_t ConfigKey[] = L"Software\\QuorvaneTest\\OutlookStandIn"; // under HKCU
// The hidden window a later `outlook /v` hands its file to.
inline constexpr wchar_t ServerWindowClass[] = L"QuorvaneStandInServer";
// One per open item ("inspector"), captioned "<file name> - Contact".
inline constexpr wchar_t ItemWindowClass[] = L"QuorvaneStandInContact";

} // namespace quorvane::standin

#pragma once
// The one place where UTF-8 (inside the program) meets UTF-16 (Win32).

#include <string>
#include <string_view>

namespace quorvane::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

// The system's own text for an error code (a Win32 error or an HRESULT),
// without the trailing line break.
std::string systemMessage(unsigned long code);

} // namespace quorvane::win32

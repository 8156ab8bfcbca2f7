#pragma once
// The stand-in keeps Win32's UTF-16 in memory (paths go straight back to
// window captions and COM strings) and writes UTF-8 only to its log files.

#include <string>
#include <string_view>

namespace quorvane::standin {

std::string toUtf8(std::wstring_view text);
std::wstring toWide(std::string_view text);

} // namespace quorvane::standin

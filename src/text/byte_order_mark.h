#pragma once
// The marks a file may begin with to say how its text is stored. Windows
// programs write them and read past them; the program does both in the same
// few places, which take the bytes from here.

#include <string_view>

namespace quorvane {

inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view Utf16LeByteOrderMark = "\xFF\xFE";
inline constexpr std::string_view Utf16BeByteOrderMark = "\xFE\xFF";

// `text` without a leading UTF-8 mark.
constexpr std::string_view WithoutUtf8ByteOrderMark(std::string_view text) {
    return text.starts_with(Utf8ByteOrderMark) ? text.substr(Utf8ByteOrderMark.size()) : text;
}

} // namespace quorvane

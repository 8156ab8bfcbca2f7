#pragma once
// Byte tests on ASCII-compatible text (UTF-8 and the Windows code pages
// alike): the card reader asks them of every line, name and value, and all
// of it must agree on what a blank is.

#include <algorithm>
#include <string>
#include <string_view>

namespace quorvane {

// A space or a tab: what folds a card's line and pads its names and values.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// `text` without the blanks at either end.
constexpr std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Whether no byte of `text` is 0x80 or more.
inline bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// `text` with its ASCII letters in upper case, as property names and types
// are compared.
inline std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

} // namespace quorvane

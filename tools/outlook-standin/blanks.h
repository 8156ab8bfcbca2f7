#pragma once
// Blanks as Outlook passes over them, around the markers, names and values of
// a card and between the words of its own command line: spaces and tabs,
// never a line break. The same rule for a card's bytes and for the UTF-16
// command line.

#include <string_view>

namespace quorvane::standin {

template <typename Char> bool isBlank(Char c) {
    return c == Char(' ') || c == Char('\t');
}

// The text (a string or a view of one) without the blanks at either end.
template <typename Text> auto trim(const Text& text) {
    using Char = typename Text::value_type;
    constexpr Char blanks[] = {Char(' '), Char('\t'), Char(0)};
    const std::basic_string_view<Char> view(text);
    const auto first = view.find_first_not_of(blanks);
    if (first == view.npos)
        return std::basic_string_view<Char>();
    return view.substr(first, view.find_last_not_of(blanks) - first + 1);
}

} // namespace quorvane::standin

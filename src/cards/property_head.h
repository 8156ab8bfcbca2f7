#pragma once
// The start of a property line as the splitter and the name reader find it:
// from a colon, back to the line's start and forward over its name. Both go
// from colon to colon, passing over photo data at memchr speed, and both
// look at every property line before a card's name, so these run a word at a
// time and stay inline.

#include "cards/card_line.h"
#include "text/ascii_text.h"
#include "text/byte_words.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvane {

struct PropertyHead {
    std::size_t start = 0;   // where the line starts
    std::size_t nameEnd = 0; // where its first semicolon or colon is
    std::size_t colon = 0;   // where its first colon is
    // Its name as SplitPropertyLine cuts it: without a group prefix (up to the
    // last dot) and blanks.
    std::string_view name;
};

// Where the line holding the byte at `at` in `text` starts, looking back no
// further than `floor`: `floor` itself when no line end lies between.
inline std::size_t LineStartBefore(std::string_view text, std::size_t at, std::size_t floor) {
    const auto lineEnds = [](std::uint64_t word) {
        return BytesEqualTo(word, '\n') | BytesEqualTo(word, '\r');
    };
    for (; at - floor >= 8; at -= 8) {
        if (const std::uint64_t ends = lineEnds(LoadWord(text.data() + at - 8)); ends != 0)
            return at - 8 + LastMarkedByte(ends) + 1;
    }
    if (at > floor && at >= 8) {
        // The last few bytes, in a word that reaches back before `floor`;
        // only the bytes after it count.
        const std::uint64_t counted = ~std::uint64_t{0} << (8 * (8 - (at - floor)));
        const std::uint64_t ends = lineEnds(LoadWord(text.data() + at - 8)) & counted;
        return ends != 0 ? at - 8 + LastMarkedByte(ends) + 1 : floor;
    }
    while (at > floor && text[at - 1] != '\n' && text[at - 1] != '\r')
        --at;
    return at;
}

// The head of the line at `start` in `text`, whose first colon is at `colon`.
inline PropertyHead PropertyHeadAt(std::string_view text, std::size_t start, std::size_t colon) {
    const auto head = [&](std::size_t nameStart, std::size_t end) {
        std::size_t nameEnd = end;
        while (nameStart < end && IsBlank(text[nameStart]))
            ++nameStart;
        while (end > nameStart && IsBlank(text[end - 1]))
            --end;
        return PropertyHead{start, nameEnd, colon, text.substr(nameStart, end - nameStart)};
    };
    std::size_t nameStart = start;
    std::size_t end = start;
    // Eight bytes at a time while eight are left before the colon.
    for (; colon - end >= 8; end += 8) {
        const std::uint64_t word = LoadWord(text.data() + end);
        const std::uint64_t semicolons = BytesEqualTo(word, ';');
        std::uint64_t dots = BytesEqualTo(word, '.');
        if (semicolons != 0)
            dots &= (std::uint64_t{1} << (8 * FirstMarkedByte(semicolons))) - 1;
        if (dots != 0)
            nameStart = end + LastMarkedByte(dots) + 1;
        if (semicolons != 0)
            return head(nameStart, end + FirstMarkedByte(semicolons));
    }
    for (; end < colon && text[end] != ';'; ++end) {
        if (text[end] == '.')
            nameStart = end + 1;
    }
    return head(nameStart, end);
}

// Whether the line at `start` in `text` may have a name that NameKindOf tells
// apart. Most property lines are ruled out by their first eight bytes without
// cutting out their name: when the first byte starts none of those names and
// the first semicolon or colon comes within those bytes with no dot (ending a
// group prefix) before it, the name is none of them.
inline bool NameMayMatter(std::string_view text, std::size_t start) {
    // AGENT, BEGIN, END, FN and N start with these letters, in either case.
    switch (text[start] | 0x20) {
    case 'a':
    case 'b':
    case 'e':
    case 'f':
    case 'n':
        return true;
    default:
        break;
    }
    if (text.size() - start < 8)
        return true;
    const std::uint64_t word = LoadWord(text.data() + start);
    const std::uint64_t stops = BytesEqualTo(word, ';') | BytesEqualTo(word, ':');
    if (stops == 0)
        return true; // the name goes on past these bytes
    const std::uint64_t beforeStop = (std::uint64_t{1} << (8 * FirstMarkedByte(stops))) - 1;
    return (BytesEqualTo(word, '.') & beforeStop) != 0;
}

// What a property's name tells of its line before the line is read.
enum class NameKind {
    MayNest, // BEGIN, END or AGENT: the line may start, end or nest a card
    Fn,
    N,
    Other,
};

// Only a few names matter; their lengths and first letters rule out the
// rest (TEL, EMAIL, PHOTO, ...) unread.
inline NameKind NameKindOf(std::string_view name) {
    const char first = name.empty() ? '\0' : static_cast<char>(name.front() | 0x20);
    switch (name.size()) {
    case 1:
        return first == 'n' ? NameKind::N : NameKind::Other;
    case 2:
        return first == 'f' && EqualsIgnoringCase(name, "FN") ? NameKind::Fn : NameKind::Other;
    case 3:
        return first == 'e' && EqualsIgnoringCase(name, "END") ? NameKind::MayNest
                                                               : NameKind::Other;
    case 5:
        if (first == 'b')
            return EqualsIgnoringCase(name, "BEGIN") ? NameKind::MayNest : NameKind::Other;
        return first == 'a' && EqualsIgnoringCase(name, "AGENT") ? NameKind::MayNest
                                                                 : NameKind::Other;
    default:
        return NameKind::Other;
    }
}

} // namespace quorvane

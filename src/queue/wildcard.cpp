#include "queue/wildcard.h"

#include <algorithm>
#include <cstddef>

namespace quorvane {

namespace {

char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// "?" stands for one character, which in UTF-8 may take up to four bytes.
std::size_t characterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(length, text.size() - at);
}

// Greedy matching that backs up to the last "*" on a mismatch: linear in
// practice and never recursive, whatever the name.
bool matchesPlain(std::string_view name, std::string_view pattern) {
    constexpr std::size_t none = std::string_view::npos;
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t afterStar = none;
    std::size_t starTakenUpTo = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            afterStar = ++p;
            starTakenUpTo = n;
            continue;
        }
        if (p < pattern.size() && pattern[p] == '?') {
            n += characterLength(name, n);
            ++p;
            continue;
        }
        if (p < pattern.size() && foldCase(pattern[p]) == foldCase(name[n])) {
            ++n;
            ++p;
            continue;
        }
        if (afterStar == none)
            return false;
        starTakenUpTo += characterLength(name, starTakenUpTo);
        n = starTakenUpTo;
        p = afterStar;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    if (matchesPlain(name, pattern))
        return true;
    constexpr std::string_view anyExtension = ".*";
    return pattern.ends_with(anyExtension) &&
           matchesPlain(name, pattern.substr(0, pattern.size() - anyExtension.size()));
}

} // namespace quorvane

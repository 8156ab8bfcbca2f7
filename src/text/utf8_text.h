#pragma once
// UTF-8 checks: telling UTF-8 from code-page text, and making sure whatever
// text the program passes on is well-formed.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

// Whether `text` is well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF, no sequence cut off.
bool IsUtf8(std::string_view text);

// `text` with every byte that is not part of a well-formed sequence replaced
// by U+FFFD.
std::string WellFormedUtf8(std::string_view text);

// The length in bytes of the first sequence of well-formed UTF-8 `text`, from
// its lead byte (1 for a byte that leads nothing).
std::size_t Utf8SequenceLength(std::string_view text);

// How many bytes of well-formed UTF-8 `text` hold its first `characters`
// characters: a cut there never falls inside a sequence.
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t characters);

// `text` cut after its first `characters` characters, with "…" in place of
// what was cut; whole when it is no longer.
std::string Utf8Shortened(std::string_view text, std::size_t characters);

// The code point whose sequence starts at `at` in `text` (`at` before its
// end); `at` moves past it. A byte that starts no well-formed sequence
// stands alone for U+FFFD.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// Appends code point `c` to `text` as UTF-8.
void AppendUtf8(std::string& text, char32_t c);

} // namespace quorvane

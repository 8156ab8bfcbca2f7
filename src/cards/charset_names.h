#pragma once
// CHARSET parameters name a character set the way mail does ("windows-1251",
// "ISO-8859-1", "Shift_JIS"); Windows converts by code page number.

#include <optional>
#include <string_view>

namespace quorvane {

inline constexpr unsigned Utf8CodePage = 65001;

// The Windows code page for a CHARSET name, ignoring letter case and the
// blanks or quotes around it; nothing for a name we do not know, so that the
// caller falls back to reading the bytes as UTF-8 or in the system's code
// page.
std::optional<unsigned> CodePageForCharset(std::string_view name);

// Whether ASCII bytes mean ASCII in `codePage`. Not so in the 7-bit encodings
// (ISO-2022, HZ, UTF-7), which spell other characters with ASCII bytes.
bool AsciiReadsAsItself(unsigned codePage);

} // namespace quorvane

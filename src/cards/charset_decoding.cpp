#include "cards/charset_decoding.h"

#include "cards/charset_names.h"
#include "cards/utf8_text.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What the system hands back is UTF-8 by contract; a name is shown in the
// window, so it is made sure of rather than trusted.
std::string wellFormed(std::string text) {
    return IsUtf8(text) ? std::move(text) : WellFormedUtf8(text);
}

} // namespace

std::string DecodeCharset(std::string_view bytes, std::optional<std::string_view> charset,
                          CodePages& codePages) {
    // No CHARSET names the ANSI code page itself, so 0 stands for none named.
    const unsigned named = charset ? CodePageForCharset(*charset).value_or(0) : 0;
    // Without a CHARSET, UTF-8 (ASCII included) is taken as it is.
    if (named == 0 && IsUtf8(bytes))
        return std::string(bytes);
    // Nearly every name is ASCII, and most files are read on systems whose
    // code pages would give it back unchanged: no round trip to the system.
    if (named != 0 && isAscii(bytes) && AsciiReadsAsItself(named))
        return std::string(bytes);
    if (named == Utf8CodePage)
        return wellFormed(std::string(bytes));
    if (named != 0) {
        if (auto text = codePages.toUtf8(bytes, named))
            return wellFormed(std::move(*text));
    }
    if (named != 0 && IsUtf8(bytes))
        return std::string(bytes);
    if (auto text = codePages.toUtf8(bytes, SystemAnsiCodePage))
        return wellFormed(std::move(*text));
    return WellFormedUtf8(bytes);
}

} // namespace quorvane

#include "cards/charset_decoding.h"

#include "cards/charset_names.h"
#include "text/ascii_text.h"
#include "text/utf8_text.h"

#include <utility>

namespace quorvane {

namespace {

// `bytes` as well-formed UTF-8 into `text`. What the system hands back is
// UTF-8 by contract; a name is shown in the window, so it is made sure of
// rather than trusted.
void setWellFormed(std::string_view bytes, std::string& text) {
    if (IsUtf8(bytes))
        text.assign(bytes);
    else
        text = WellFormedUtf8(bytes);
}

} // namespace

void DecodeCharset(std::string_view bytes, std::optional<std::string_view> charset,
                   CodePages& codePages, std::string& text) {
    // No CHARSET names the ANSI code page itself, so 0 stands for none named.
    const unsigned named = charset ? CodePageForCharset(*charset).value_or(0) : 0;
    // Without a CHARSET, UTF-8 (ASCII included) is taken as it is. Nearly
    // every name is ASCII, and most files are read on systems whose code
    // pages would give it back unchanged: no round trip to the system.
    if ((named == 0 && IsUtf8(bytes)) ||
        (named != 0 && IsAscii(bytes) && AsciiReadsAsItself(named))) {
        text.assign(bytes);
        return;
    }
    if (named == Utf8CodePage) {
        setWellFormed(bytes, text);
        return;
    }
    if (named != 0) {
        if (auto decoded = codePages.toUtf8(bytes, named)) {
            setWellFormed(*decoded, text);
            return;
        }
        if (IsUtf8(bytes)) {
            text.assign(bytes);
            return;
        }
    }
    if (auto decoded = codePages.toUtf8(bytes, SystemAnsiCodePage)) {
        setWellFormed(*decoded, text);
        return;
    }
    text = WellFormedUtf8(bytes);
}

} // namespace quorvane

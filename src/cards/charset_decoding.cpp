#include "cards/charset_decoding.h"

#include "cards/charset_names.h"
#include "cards/utf8_text.h"

#include <algorithm>

namespace quorvane {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string DecodeCharset(std::string_view bytes, std::optional<std::string_view> charset,
                          CodePages& codePages) {
    const std::optional<unsigned> codePage = charset ? CodePageForCharset(*charset) : std::nullopt;
    // Nearly every name is ASCII, and most files are read on systems whose
    // code pages would give it back unchanged: no round trip to the system.
    if (isAscii(bytes) && (!codePage || AsciiReadsAsItself(*codePage)))
        return std::string(bytes);
    if (codePage == Utf8CodePage)
        return WellFormedUtf8(bytes);
    if (codePage) {
        if (auto text = codePages.toUtf8(bytes, *codePage))
            return WellFormedUtf8(*text);
    }
    if (IsUtf8(bytes))
        return std::string(bytes);
    if (auto text = codePages.toUtf8(bytes, SystemAnsiCodePage))
        return WellFormedUtf8(*text);
    return WellFormedUtf8(bytes);
}

} // namespace quorvane

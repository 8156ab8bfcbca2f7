#pragma once
// How a card's property values become UTF-8: quoted-printable first, as its
// bytes may split a character, then the value's charset. The name reader and
// the reader of a card's rest read values the same way.

#include "cards/card_line.h"
#include "cards/charset_decoding.h"
#include "cards/quoted_printable.h"
#include "platform/code_pages.h"

#include <string>
#include <string_view>

namespace quorvane {

struct ValueReading {
    CodePages& codePages;
    // A UTF-16 card is Unicode text already; only bytes that quoted-printable
    // stood for still need their charset.
    bool unicodeText = false;

    // `value` as `encoding` says it is written, into `text`; `decoded` is
    // room for the bytes quoted-printable stands for.
    void text(std::string_view value, const ValueEncoding& encoding, std::string& decoded,
              std::string& text) const {
        if (!encoding.quotedPrintable && unicodeText) {
            text.assign(value);
        } else if (!encoding.quotedPrintable) {
            DecodeCharset(value, encoding.charset, codePages, text);
        } else {
            DecodeQuotedPrintable(value, decoded);
            DecodeCharset(decoded, encoding.charset, codePages, text);
        }
    }
};

} // namespace quorvane

#pragma once
// The name a card goes by in the progress text and the run's record.

#include "cards/text_encoding.h"
#include "platform/code_pages.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quorvane {

// The display name of `card`: the card's text from its BEGIN line through its
// END line, without a byte-order mark, stored in `encoding`. `number` is the
// card's 1-based place in its file.
//
// The first FN with any text in it, else "given family" from the first N
// (family;given;additional;prefix;suffix) that has either, else
// "contact <number>". Only the card's own properties count, not those of a
// card nested in it (an AGENT). Folded lines are unfolded, quoted-printable
// decoded, CHARSET honoured (see DecodeCharset; a UTF-16 file's own text is
// Unicode already and only quoted-printable bytes go by it), and the
// backslash escapes of vCard 3.0 and 4.0 undone. Line breaks and tabs in a
// name become spaces, other control characters are dropped, and blanks at
// either end are trimmed. The result is never empty and always well-formed
// UTF-8.
std::string CardDisplayName(std::string_view card, TextEncoding encoding, CodePages& codePages,
                            std::size_t number);

// A line that may name a card, as the splitter saw it on its way to the
// card's end: where it starts and where its first colon is, as offsets into
// the card's text. Only lines of the card's own count, and only lines that
// do not start with a blank, as the walk above finds them.
struct NameLine {
    std::size_t start = 0;
    std::size_t colon = 0;
};

// A card's FN and N lines, each in the file's order.
struct NameLines {
    std::span<const NameLine> fn;
    std::span<const NameLine> n;
    // Whether every FN and N line of the card is among them. The splitter
    // stops looking after an FN line with text on it, which nearly always
    // names the card.
    bool complete = false;
};

// CardDisplayName for a card in 8-bit text (UTF-8 or a code page) without a
// card nested in it, from its name lines: the same name, without walking the
// card's lines a second time.
std::string CardDisplayName(std::string_view card, const NameLines& lines, CodePages& codePages,
                            std::size_t number);

} // namespace quorvane

#pragma once
// A card's bytes as the text the line helpers read, whatever the file
// stores them as.

#include "cards/card_line.h"
#include "cards/text_encoding.h"

#include <string>
#include <string_view>

namespace quorvane {

// `card` (its bytes as the file holds them, in `encoding`) as
// ASCII-compatible text: UTF-16 turned into UTF-8 in `converted`, which the
// result then views, and anything else as it is, without a UTF-8 byte-order
// mark. A card of 8-bit text, which may hold megabytes of photo, is never
// copied.
std::string_view CardTextOf(std::string_view card, TextEncoding encoding, std::string& converted);

// Calls `visit(line)` with each logical line of the card `text` that belongs
// to the card itself: neither its BEGIN or END nor any line of a card nested
// in it (an AGENT), whose values are another person's. Lines are told apart
// by their first lines, as the splitter tells them.
template <typename Visit> void ForEachOwnLine(std::string_view text, Visit visit) {
    int depth = 0;
    for (std::size_t at = 0; at < text.size();) {
        const LogicalLine line = LogicalLineAt(text, at);
        at = line.next;
        switch (ClassifyCardLine(line.first)) {
        case CardLine::Begin:
        case CardLine::AgentOpensCard:
            ++depth;
            continue;
        case CardLine::End:
            --depth;
            continue;
        default:
            break;
        }
        if (depth == 1)
            visit(line);
    }
}

} // namespace quorvane

#pragma once
// Outlook reads a card property that names no CHARSET in the Windows ANSI
// code page. Phones and web exports write UTF-8 and leave CHARSET out (vCard
// 3.0 dropped it, and 4.0 is UTF-8 by definition), so their names arrive as
// "JosÃ© MÃ¼ller". Users fix that by hand by adding CHARSET=UTF-8 to the
// properties that hold non-ASCII text; this does the same to a card before
// Outlook sees it, and nothing else.

#include "cards/text_encoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The parameter the repair adds, right before the colon that ends a
// property's parameters.
inline constexpr std::string_view AddedCharsetParameter = ";CHARSET=UTF-8";

struct CharsetRepair {
    std::string bytes; // the card with the parameter added where it was missing
    // The names of the properties it was added to, in the order they first
    // appear, each once, in upper case and without a group prefix ("FN", "N",
    // "ADR").
    std::vector<std::string> properties;
};

// The repair of `card`, one card's bytes exactly as its file holds them
// (possibly after a UTF-8 byte-order mark) stored in `encoding`; nothing
// when it needs none.
//
// Each property stands on its own, those of a nested AGENT card included, and
// is read as a LogicalLine: its first line and the lines that continue it.
// Its value, unfolded and decoded from quoted-printable, gets
// AddedCharsetParameter when it holds bytes of 0x80 or more that are
// well-formed UTF-8, the property names no CHARSET, and its name and
// parameters end on its first line (where every writer puts them).
// Values in a Windows code page are not UTF-8 and are left as Outlook reads
// them rightly. Nothing else changes: not the folding, not the value's
// encoding, not a byte of any other line. UTF-16 cards are Unicode already
// and need no repair.
//
// Cheap for the many cards that are plain ASCII: a look over the bytes,
// without allocating, tells them apart.
std::optional<CharsetRepair> RepairMissingCharsets(std::string_view card, TextEncoding encoding);

} // namespace quorvane

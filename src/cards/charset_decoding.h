#pragma once
// Turning a property value's bytes into UTF-8. vCard 2.1 files say their
// character set per property (CHARSET=), or leave it to the reader; exports
// from phones are UTF-8 whatever they say, Outlook's are in the ANSI code page.

#include "platform/code_pages.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Sets `text` to `bytes` as well-formed UTF-8, in the room `text` already
// has where it can (`bytes` must not lie within it). A `charset` that names a
// code page decides; without one (or when the system cannot read the bytes
// in it), bytes that are UTF-8 are taken as UTF-8, and anything else is read
// in the system's ANSI code page. What even that cannot read keeps its ASCII
// and shows U+FFFD for the rest: a name is for showing, and a wrong letter
// beats no import.
void DecodeCharset(std::string_view bytes, std::optional<std::string_view> charset,
                   CodePages& codePages, std::string& text);

} // namespace quorvane

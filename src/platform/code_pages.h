#pragma once
// What the card reader needs of the system's code pages. A vCard 2.1 file
// from an older phone or Outlook is written in a Windows code page, named by a
// CHARSET parameter or not at all, and only the system knows every table.

#include "base/outcome.h"

#include <string>
#include <string_view>

namespace quorvane {

// Stands for the system's ANSI code page (1252 on a Western European
// Windows): the one a file without a CHARSET was most likely written in.
// Windows itself reads 0 this way (CP_ACP).
inline constexpr unsigned SystemAnsiCodePage = 0;

class CodePages {
public:
    virtual ~CodePages() = default;

    // `bytes` read in `codePage` (a Windows code page number, or
    // SystemAnsiCodePage), as well-formed UTF-8. A code page the system does
    // not have, or bytes that are not valid in it, is a failure with the
    // system's words; the caller then decides how else to read the bytes.
    virtual Outcome<std::string> toUtf8(std::string_view bytes, unsigned codePage) = 0;
};

} // namespace quorvane

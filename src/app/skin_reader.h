#pragma once
// Reads Quorvane's skin format (docs/skin-format.md): INI-like sections
// [window], [list], [toolbar] and [progress] with `key = value` lines.

#include "platform/skin_style.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The first thing wrong with a skin, on its 1-based line.
struct SkinFault {
    int line = 0;
    std::string reason;
};

struct SkinReading {
    SkinStyle style;                // what the skin sets; complete only without a fault
    std::optional<SkinFault> fault; // set for a skin that must not be used
};

// The whole text at once; a UTF-8 byte-order mark and CR-LF line ends are
// accepted. Reading stops at the first fault.
SkinReading ReadSkin(std::string_view text);

} // namespace quorvane

#pragma once
// How names are compared: composed the same way (Unicode canonical
// composition, so a decomposed "José" is the composed one) and folded to one
// letter case for every script, by the system's own Unicode tables rather
// than a table of our own.

#include <string>
#include <string_view>

namespace quorvane {

class TextFolding {
public:
    virtual ~TextFolding() = default;
    // `text` (well-formed UTF-8) composed and case-folded, as UTF-8; as it is
    // when the system cannot fold it.
    virtual std::string folded(std::string_view text) const = 0;
};

} // namespace quorvane

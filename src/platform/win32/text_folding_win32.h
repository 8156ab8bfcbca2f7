#pragma once
// Names composed and folded by Windows' own Unicode tables: NormalizeString
// to canonical composition, then LCMapStringEx to lower case, the same for
// every locale.

#include "platform/text_folding.h"

namespace quorvane::win32 {

class Win32TextFolding final : public TextFolding {
public:
    std::string folded(std::string_view text) const override;
};

} // namespace quorvane::win32

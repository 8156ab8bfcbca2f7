#pragma once
// Pictures in cards are written in base64, folded over many lines.

#include <string>
#include <string_view>

namespace quorvane {

// Sets `bytes` to the bytes base64 `text` stands for. Line ends and blanks
// anywhere are passed over, so a folded value decodes as it is written,
// without being joined first; so are characters base64 does not use, and
// everything from the first '='. The URL-safe '-' and '_' read as '+' and '/'.
void DecodeBase64(std::string_view text, std::string& bytes);

} // namespace quorvane

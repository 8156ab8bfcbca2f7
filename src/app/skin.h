#pragma once
// The optional skin: a file beside the program that restyles the main window.

#include "platform/main_window_services.h"
#include "platform/skin_files.h"

#include <string_view>

namespace quorvane {

// Appended to the program folder.
inline constexpr std::string_view SkinFileSuffix = "\\x\\o.cjs";

// The first start-up step. Without an ordinary file at the skin path nothing
// happens. With one, the window's background becomes the button face, then
// the skin is read and handed to the window. A skin that cannot be read or is
// malformed is reported in one message naming the file (and the line) and the
// window goes back to its unskinned look: a skin never stops the program.
void ApplySkin(MainWindowServices& window, const SkinFiles& files);

} // namespace quorvane

#pragma once
// The main window's layout: the queue list, its column and the progress bar
// follow the window's outer size. Twips throughout; the Win32 layer converts
// at the window's current DPI.

#include "platform/main_window_services.h"

namespace quorvane {

struct FormLayout {
    TwipRect list{120, 1260, 7080, 1575};
    float columnWidth = 0;
    TwipRect progressBar{120, 3030, 5880, 405};
};

inline constexpr TwipSize DesignClientSize{9195, 8580};

// Recomputes the layout from the outer size. A minimised window keeps its
// layout. A size the controls would refuse (below zero) is skipped and the
// later steps go on from what the list actually holds; the list's left and
// top and the bar's height never change.
FormLayout Form_Resize(WindowState state, TwipSize outerSize, FormLayout current);

} // namespace quorvane

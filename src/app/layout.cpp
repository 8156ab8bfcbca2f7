#include "app/layout.h"

namespace quorvane {

namespace {

// A control refuses a negative extent and keeps the one it has.
void setExtent(float& extent, float wanted) {
    if (wanted >= 0)
        extent = wanted;
}

} // namespace

FormLayout Form_Resize(WindowState state, TwipSize outerSize, FormLayout current) {
    if (state == WindowState::Minimized)
        return current;
    FormLayout layout = current;
    setExtent(layout.list.width, outerSize.width - 340);
    setExtent(layout.list.height, outerSize.height - 2380);
    layout.progressBar.top = layout.list.height + 1350;
    setExtent(layout.columnWidth, layout.list.width - 500);
    setExtent(layout.progressBar.width, layout.list.width - 40);
    layout.progressBar.left = layout.list.left + 20;
    return layout;
}

} // namespace quorvane

#include "in_process_window.h"

#include <commctrl.h>

namespace quorvane::bench {

InProcessQuorvane::Ole::Ole() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

InProcessQuorvane::InProcessQuorvane()
    : window_(GetModuleHandleW(nullptr),
              PlatformServices{settings_, outlook_, shell_, dialogs_, clock_, files_, storage_,
                               codePages_, textFolding_, regional_, importLock_, systemFacts_}) {
    ready_ = ole_.apartment.joined() && window_.create(SW_SHOWNORMAL);
}

HWND InProcessQuorvane::list() const {
    return FindWindowExW(window_.handle(), nullptr, WC_LISTVIEWW, nullptr);
}

void InProcessQuorvane::command(CommandId id) {
    SendMessageW(window_.handle(), WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
}

} // namespace quorvane::bench

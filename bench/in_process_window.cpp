#include "in_process_window.h"

#include <commctrl.h>
#include <ole2.h>

namespace quorvane::bench {

InProcessQuorvane::Ole::Ole() : result(OleInitialize(nullptr)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

InProcessQuorvane::Ole::~Ole() {
    if (SUCCEEDED(result))
        OleUninitialize();
}

InProcessQuorvane::InProcessQuorvane()
    : window_(GetModuleHandleW(nullptr),
              win32::MainWindowServicesIn{settings_, outlook_, shell_, dialogs_, clock_, files_,
                                          storage_, codePages_, ImportRunOptions{}}) {
    ready_ = SUCCEEDED(ole_.result) && window_.create(SW_SHOWNORMAL);
}

InProcessQuorvane::~InProcessQuorvane() = default;

HWND InProcessQuorvane::list() const {
    return FindWindowExW(window_.handle(), nullptr, WC_LISTVIEWW, nullptr);
}

void InProcessQuorvane::command(int id) {
    SendMessageW(window_.handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

} // namespace quorvane::bench

#pragma once
// The desktop as a person uses it: finding another program's windows and
// moving the pointer and its button through the system's input queue
// (SendInput), so the programs see the same messages a real mouse makes,
// OLE drag and drop included.

#include "platform/win32/window_base.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace quorvane::test {

// What another program's window says of itself.
std::wstring windowText(HWND window);
std::wstring className(HWND window);

// A visible top-level window of the process with this class, and with this
// title when one is given.
HWND findProcessWindow(DWORD processId, const std::wstring& windowClass,
                       const std::optional<std::wstring>& title = std::nullopt);
// Waits for one; null on timeout.
HWND waitForProcessWindow(DWORD processId, const std::wstring& windowClass,
                          const std::wstring& title, std::chrono::milliseconds timeout);

POINT windowCentre(HWND window);

// Each false when the system refused the input.
bool movePointer(POINT screen);
bool pressLeftButton();
bool releaseLeftButton();

// Button down at `from` until `started` says the source began a drag (a press
// that arrives before the source window is ready is tried again), a few moves
// on the way, a few more inside the target (drop targets decide on DragEnter
// and DragOver), button up at `to`. False when no drag began.
bool dragPointer(POINT from, POINT to, const std::function<bool()>& started);

// A window of the test's own that the pointer reaches as a person's would:
// topmost, so that no other program's window covers it, with the arrow
// pointer over it. A window derives from it and writes only handleMessage.
class TopmostWindow : public win32::WindowBase {
protected:
    struct Look {
        const wchar_t* className;
        const wchar_t* title;
        DWORD style;
        int stockBrush; // its background: WHITE_BRUSH, LTGRAY_BRUSH, ...
        int x, y, width, height;
    };
    // Registers the class on first use; false when the window was refused.
    bool createTopmost(HINSTANCE instance, const Look& look);
};

} // namespace quorvane::test

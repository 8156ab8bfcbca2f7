#pragma once
// The desktop as a person uses it: finding another program's windows and
// moving the pointer and its button through the system's input queue
// (SendInput), so the programs see the same messages a real mouse makes,
// OLE drag and drop included.

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

} // namespace quorvane::test

#pragma once
// Files dropped on a window through OLE drag and drop (CF_HDROP).
//
// Why the paths arrive later: the file manager that started the drag waits
// inside DoDragDrop until our IDropTarget::Drop returns, and handling a dropped
// folder runs a search that pumps messages for a long time. So Drop only reads
// the paths and posts them to a message-only window of its own; the handler
// runs from the ordinary message loop once Drop has returned, and may yield
// as long as it likes. Drops made meanwhile are handled in their order.

#include "base/outcome.h"

#include <windows.h>

#include <oleidl.h>
#include <wrl/client.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::win32 {

using DropHandler = std::function<void(std::vector<std::string> droppedPaths)>;

class FileDropTarget;

// Registers a window as a drop target for its lifetime. The thread must have
// called OleInitialize and must run a message loop.
class ScopedDropTarget {
public:
    ScopedDropTarget(HWND window, DropHandler onDrop);
    ~ScopedDropTarget();
    ScopedDropTarget(const ScopedDropTarget&) = delete;
    ScopedDropTarget& operator=(const ScopedDropTarget&) = delete;

    // Whether RegisterDragDrop took the window, with the system's reason if not.
    const Outcome<void>& registration() const { return registration_; }

    // The registered object, for driving it directly in tests.
    IDropTarget* dropTarget() const;

private:
    HWND window_;
    Microsoft::WRL::ComPtr<FileDropTarget> target_;
    Outcome<void> registration_;
};

// The paths of a CF_HDROP block, or nothing when the block is malformed (too
// short, its list outside the block, or not ended by a double NUL).
std::optional<std::vector<std::string>> droppedPaths(HGLOBAL dropFiles);

} // namespace quorvane::win32

#pragma once
// One OLE drag from the test drag source (quorvane_drag_source.exe, beside the
// running program) onto Quorvane's list, with the mouse moved through the
// system's input queue as a person's hand would move it.

#include <windows.h>

#include <chrono>
#include <string>

namespace quorvane::test {

struct DragOutcome {
    // When the button went up over the list: where a person's wait for the
    // dropped files begins.
    std::chrono::steady_clock::time_point released;
    std::wstring result;        // DROP or CANCEL
    std::wstring effect;        // what DoDragDrop reported at the end
    std::wstring targetEffects; // what the list answered while the pointer was over it
    std::wstring problem;       // why the drag could not be made; empty when it was
};

// `arguments` are the drag source's after its result file ("files PATH..." or
// "text TEXT"); `resultFile` is where the source writes what happened.
DragOutcome dragOntoList(HWND quorvaneWindow, const std::wstring& resultFile,
                         const std::wstring& arguments);

} // namespace quorvane::test

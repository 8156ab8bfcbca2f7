#include "support/drag_onto_list.h"

#include "support/child_process.h"
#include "support/desktop_input.h"
#include "support/test_files.h"

#include <commctrl.h>

using namespace std::chrono_literals;

namespace quorvane::test {

namespace {

constexpr wchar_t DragSourceProgram[] = L"quorvane_drag_source.exe";
constexpr wchar_t DragSourceClass[] = L"QuorvaneTestDragSource";

} // namespace

DragOutcome dragOntoList(HWND quorvaneWindow, const std::wstring& resultFile,
                         const std::wstring& arguments) {
    DragOutcome outcome;
    DeleteFileW(resultFile.c_str());
    ChildProcess source(besideThisProgram(DragSourceProgram),
                        quoted(resultFile) + L" " + arguments);
    HWND sourceWindow =
        waitForProcessWindow(source.processId(), DragSourceClass, L"Drag source", 15s);
    if (!sourceWindow) {
        outcome.problem = L"the drag source showed no window";
        return outcome;
    }
    HWND list = FindWindowExW(quorvaneWindow, nullptr, WC_LISTVIEWW, nullptr);
    const bool dragged = dragPointer(windowCentre(sourceWindow), windowCentre(list),
                                     [&] { return windowText(sourceWindow) == L"Dragging"; });
    outcome.released = std::chrono::steady_clock::now();
    if (!dragged) {
        outcome.problem = L"pressing the button on the drag source began no drag";
        return outcome;
    }
    if (!source.waitForExit(15s)) {
        outcome.problem = L"the drag did not end";
        return outcome;
    }
    for (const std::wstring& line : readLines(resultFile)) {
        const std::size_t space = line.find(L' ');
        const std::wstring key = line.substr(0, space);
        const std::wstring value = space == std::wstring::npos ? L"" : line.substr(space + 1);
        if (key == L"result")
            outcome.result = value;
        else if (key == L"effect")
            outcome.effect = value;
        else if (key == L"target")
            outcome.targetEffects = value;
    }
    return outcome;
}

} // namespace quorvane::test

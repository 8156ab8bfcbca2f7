// A stand-in for a file manager in the drop tests: a small window that starts
// an OLE drag when its mouse button goes down, as Explorer does, and records
// what the drop target answered.
//   quorvane_drag_source RESULT_FILE files PATH...   (the paths share one folder)
//   quorvane_drag_source RESULT_FILE text TEXT
// The window's class is QuorvaneTestDragSource; its title turns from "Drag
// source" to "Dragging" once the drag has begun. The result file gets, once the
// drag has ended, the lines "result DROP|CANCEL|0x...", "effect N" and
// "target N...": every distinct effect the target gave while the pointer was
// over another process's list view, in the order first seen.

#include "support/desktop_input.h"
#include "support/one_format_data.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/com_object.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using namespace quorvane;

namespace {

constexpr wchar_t SourceClass[] = L"QuorvaneTestDragSource";

// The drag ends when the button comes up, and is cancelled with Escape.
class DropSource final : public win32::ComObject<IDropSource> {
public:
    std::vector<DWORD> targetEffects;

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        // The drag loop asks the target about a position it took a moment
        // ago, which lags behind a moving pointer, the more so on a busy
        // machine: feedback given while the pointer moves may still be the
        // answer of the window it has just left. Only feedback given while the
        // pointer rested on the list since the feedback before counts.
        POINT cursor;
        GetCursorPos(&cursor);
        const bool resting = cursor.x == lastCursor_.x && cursor.y == lastCursor_.y;
        if (resting && overForeignList(cursor) &&
            std::find(targetEffects.begin(), targetEffects.end(), effect) == targetEffects.end())
            targetEffects.push_back(effect);
        lastCursor_ = cursor;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    POINT lastCursor_{-1, -1};

    // On the way the pointer crosses the desktop and the target's frame,
    // which refuse any drop; only the list's answer is of interest.
    static bool overForeignList(POINT cursor) {
        HWND under = WindowFromPoint(cursor);
        DWORD owner = 0;
        GetWindowThreadProcessId(under, &owner);
        return owner != GetCurrentProcessId() && test::className(under) == L"SysListView32";
    }
};

// The data object Explorer would hand over for these items of one folder.
ComPtr<IDataObject> shellDataObject(HWND owner, const std::vector<std::wstring>& paths) {
    std::vector<win32::ScopedCoTaskMem<ITEMIDLIST>> lists;
    std::vector<PCUITEMID_CHILD> children;
    ComPtr<IShellFolder> parent;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)))
            return nullptr;
        lists.emplace_back(list);
        PCUITEMID_CHILD child = nullptr;
        parent.Reset();
        if (FAILED(SHBindToParent(list, IID_PPV_ARGS(&parent), &child)))
            return nullptr;
        children.push_back(child);
    }
    ComPtr<IDataObject> data;
    if (!parent || FAILED(parent->GetUIObjectOf(owner, static_cast<UINT>(children.size()),
                                                children.data(), IID_IDataObject, nullptr,
                                                reinterpret_cast<void**>(data.GetAddressOf()))))
        return nullptr;
    return data;
}

ComPtr<IDataObject> textDataObject(const std::wstring& text) {
    return test::oneFormatData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

struct Drag {
    std::wstring resultFile;
    bool files = false;
    std::vector<std::wstring> items;
};

std::string resultName(HRESULT result) {
    if (result == DRAGDROP_S_DROP)
        return "DROP";
    if (result == DRAGDROP_S_CANCEL)
        return "CANCEL";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

void runDrag(HWND window, const Drag& drag) {
    ComPtr<IDataObject> data = drag.files
                                   ? shellDataObject(window, drag.items)
                                   : textDataObject(drag.items.empty() ? L"" : drag.items[0]);
    std::ofstream out(drag.resultFile.c_str(), std::ios::binary | std::ios::trunc);
    if (!data) {
        out << "result NODATA\n";
        return;
    }
    const auto source = win32::makeComObject<DropSource>();
    DWORD effect = DROPEFFECT_NONE;
    // Explorer offers all three; the target must never answer with a move.
    const HRESULT result = DoDragDrop(data.Get(), source.Get(),
                                      DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    out << "result " << resultName(result) << "\neffect " << effect << "\ntarget";
    for (DWORD seen : source->targetEffects)
        out << ' ' << seen;
    out << "\n";
}

// Top left, clear of the main window, which starts centred. A press on it
// starts the drag, as a press on a file in Explorer does.
class DragSourceWindow final : public test::TopmostWindow {
public:
    explicit DragSourceWindow(Drag drag) : drag_(std::move(drag)) {}

    bool create(HINSTANCE instance) {
        return createTopmost(instance, {SourceClass, L"Drag source", WS_POPUP | WS_VISIBLE,
                                        LTGRAY_BRUSH, 10, 10, 120, 120});
    }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_LBUTTONDOWN:
            // Tells the driver that the press arrived and the drag is under way.
            SetWindowTextW(handle(), L"Dragging");
            runDrag(handle(), drag_);
            DestroyWindow(handle());
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return defaultHandling(message, wParam, lParam);
        }
    }

    Drag drag_;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: quorvane_drag_source RESULT_FILE files|text ITEM...\n");
        return 2;
    }
    const win32::ComApartment ole(win32::ComApartment::Kind::Ole);
    if (!ole.joined())
        return 1;
    DragSourceWindow window(
        Drag{argv[1], std::wstring(argv[2]) == L"files", {argv + 3, argv + argc}});
    if (!window.create(GetModuleHandleW(nullptr)))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

#include "item_windows.h"

#include "standin_names.h"

#include "platform/win32/window_base.h"

#include <memory>
#include <string>

namespace quorvane::standin {
namespace {

// Nobody owns an item window but the window itself: Close destroys it, and so
// may the user, so its object goes when the window does.
class ItemFrame final : public win32::WindowBase {
public:
    ItemFrame(ServerState& state, std::wstring path, std::wstring contactName)
        : state_(state), path_(std::move(path)), contactName_(std::move(contactName)) {}

    static void registerClass(HINSTANCE instance) {
        WNDCLASSEXW description = windowClass(instance, ItemWindowClass);
        description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        win32::registerWindowClass(description);
    }

    // Cascaded a little by `offset` so that several open ones stay visible.
    // On success the window owns this object.
    static HWND open(std::unique_ptr<ItemFrame> frame, HINSTANCE instance, int offset) {
        const std::wstring caption = frame->contactName_ + L" - Contact";
        HWND window = frame->createWindow({.className = ItemWindowClass,
                                           .title = caption.c_str(),
                                           .style = WS_OVERLAPPEDWINDOW,
                                           .x = 80 + offset,
                                           .y = 60 + offset,
                                           .width = 640,
                                           .height = 420,
                                           .instance = instance});
        if (window)
            frame.release()->ownedByWindow_ = true;
        return window;
    }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_NCDESTROY:
            // However the window goes (Close or the user), it stops being an
            // inspector.
            state_.itemWindowDestroyed(handle());
            return 0;
        default:
            return defaultHandling(message, wParam, lParam);
        }
    }

    void onPaint() {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(handle(), &paint);
        RECT area{};
        GetClientRect(handle(), &area);
        InflateRect(&area, -12, -12);
        const std::wstring text = contactName_ + L"\n\n" + path_;
        DrawTextW(dc, text.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(handle(), &paint);
    }

    void onWindowGone() override {
        if (ownedByWindow_)
            delete this;
    }

    ServerState& state_;
    std::wstring path_;
    std::wstring contactName_;
    bool ownedByWindow_ = false;
};

} // namespace

void registerItemWindowClass(HINSTANCE instance) {
    ItemFrame::registerClass(instance);
}

void openItemWindow(ServerState& state, HINSTANCE instance, const PendingOpen& request) {
    const int offset = static_cast<int>(state.itemWindows().size() % 8) * 30;
    HWND window = ItemFrame::open(
        std::make_unique<ItemFrame>(state, request.path, request.contactName), instance, offset);
    if (!window)
        return;
    auto record = std::make_shared<ItemWindow>();
    record->window = window;
    record->path = request.path;
    record->contactName = request.contactName;
    record->failSave = request.failSave;
    record->failClose = request.failClose;
    state.itemWindowOpened(std::move(record));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

} // namespace quorvane::standin

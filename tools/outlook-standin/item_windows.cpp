#include "item_windows.h"

#include <memory>

namespace quorvane::standin {
namespace {

constexpr wchar_t kItemWindowClass[] = L"QuorvaneStandInContact";

std::wstring fileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void onPaint(HWND hwnd, const ServerState& state) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd, &paint);
    RECT area{};
    GetClientRect(hwnd, &area);
    InflateRect(&area, -12, -12);
    for (const auto& window : state.itemWindows()) {
        if (window->hwnd == hwnd)
            DrawTextW(dc, window->path.c_str(), -1, &area,
                      DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    }
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK itemWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<ServerState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!state)
        return DefWindowProcW(hwnd, message, wparam, lparam);
    switch (message) {
    case WM_PAINT:
        onPaint(hwnd, *state);
        return 0;
    case WM_NCDESTROY:
        // However the window goes (Close or the user), it stops being an inspector.
        state->itemWindowDestroyed(hwnd);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

} // namespace

void registerItemWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = itemWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kItemWindowClass;
    RegisterClassExW(&windowClass);
}

void openItemWindow(ServerState& state, HINSTANCE instance, const PendingOpen& request) {
    const std::wstring& path = request.path;
    // Cascade the windows a little so that several open ones stay visible.
    const int offset = static_cast<int>(state.itemWindows().size() % 8) * 30;
    const std::wstring caption = fileName(path) + L" - Contact";
    HWND hwnd =
        CreateWindowExW(0, kItemWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW, 80 + offset,
                        60 + offset, 640, 420, nullptr, nullptr, instance, &state);
    if (!hwnd)
        return;
    auto window = std::make_shared<ItemWindow>();
    window->hwnd = hwnd;
    window->path = path;
    window->failSave = request.failSave;
    window->failClose = request.failClose;
    state.itemWindowOpened(std::move(window));
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
}

} // namespace quorvane::standin

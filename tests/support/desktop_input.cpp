#include "support/desktop_input.h"

#include "support/message_pump.h"

namespace quorvane::test {

namespace {

// The pace of a hand: a drag loop looks at the pointer on its own timer, and
// a jump from source to target in one move could be taken for no drag at all.
constexpr DWORD StepPauseMs = 40;
constexpr int StepsOnTheWay = 8;
constexpr int StepsInside = 4;
constexpr int PressAttempts = 3;
// A person's pointer rests a moment on the target before letting go; the
// drag loop takes several looks at it there.
constexpr DWORD RestBeforeReleaseMs = 250;

bool sendMouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute positions run from 0 to 65535 across the primary screen.
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof input) == 1;
}

POINT pointerNow() {
    POINT now{};
    GetCursorPos(&now);
    return now;
}

POINT between(POINT from, POINT to, int step, int steps) {
    return {from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps};
}

} // namespace

std::wstring windowText(HWND window) {
    wchar_t text[8192];
    const int length = GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring className(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

HWND findProcessWindow(DWORD processId, const std::wstring& windowClass,
                       const std::optional<std::wstring>& title) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, windowClass.c_str(), nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == processId && IsWindowVisible(candidate) &&
            (!title || windowText(candidate) == *title))
            return candidate;
    }
    return nullptr;
}

HWND waitForProcessWindow(DWORD processId, const std::wstring& windowClass,
                          const std::wstring& title, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    waitUntil([&] { return (found = findProcessWindow(processId, windowClass, title)) != nullptr; },
              timeout);
    return found;
}

POINT windowCentre(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

bool movePointer(POINT screen) {
    return sendMouse(MOUSEEVENTF_MOVE, screen);
}

bool pressLeftButton() {
    return sendMouse(MOUSEEVENTF_LEFTDOWN, pointerNow());
}

bool releaseLeftButton() {
    return sendMouse(MOUSEEVENTF_LEFTUP, pointerNow());
}

bool dragPointer(POINT from, POINT to, const std::function<bool()>& started) {
    bool dragging = false;
    for (int attempt = 0; attempt < PressAttempts && !dragging; ++attempt) {
        movePointer(from);
        waitUntil([&] { return pointerNow().x == from.x && pointerNow().y == from.y; },
                  std::chrono::seconds(2));
        pressLeftButton();
        dragging = waitUntil(started, std::chrono::seconds(3));
        if (!dragging)
            releaseLeftButton();
    }
    if (!dragging)
        return false;
    // Most of the way first, then the last stretch in small moves inside.
    const POINT approach{to.x - 20, to.y - 20};
    for (int step = 1; step <= StepsOnTheWay; ++step) {
        movePointer(between(from, approach, step, StepsOnTheWay));
        Sleep(StepPauseMs);
    }
    for (int step = 1; step <= StepsInside; ++step) {
        movePointer(between(approach, to, step, StepsInside));
        Sleep(StepPauseMs);
    }
    Sleep(RestBeforeReleaseMs);
    releaseLeftButton();
    return true;
}

bool TopmostWindow::createTopmost(HINSTANCE instance, const Look& look) {
    WNDCLASSEXW description = windowClass(instance, look.className);
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = static_cast<HBRUSH>(GetStockObject(look.stockBrush));
    win32::registerWindowClass(description);
    return createWindow({.exStyle = WS_EX_TOPMOST,
                         .className = look.className,
                         .title = look.title,
                         .style = look.style,
                         .x = look.x,
                         .y = look.y,
                         .width = look.width,
                         .height = look.height,
                         .instance = instance}) != nullptr;
}

} // namespace quorvane::test

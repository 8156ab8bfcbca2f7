#include "platform/win32/window_base.h"

namespace quorvane::win32 {

WindowBase::~WindowBase() {
    if (!window_)
        return;
    // The derived object is gone by now: the window's last messages go to the
    // default procedure.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

WNDCLASSEXW WindowBase::windowClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = windowProcedure;
    description.hInstance = instance;
    description.lpszClassName = className;
    return description;
}

HWND WindowBase::createWindow(const Creation& c) {
    return CreateWindowExW(c.exStyle, c.className, c.title, c.style, c.x, c.y, c.width, c.height,
                           c.parent, c.menuOrId, c.instance, this);
}

void WindowBase::onHandlerFailure(const std::exception&) {}

LRESULT CALLBACK WindowBase::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<WindowBase*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->handleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        self->onHandlerFailure(error);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->onWindowGone();
    }
    return result;
}

bool registerWindowClass(const WNDCLASSEXW& windowClass) {
    return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace quorvane::win32

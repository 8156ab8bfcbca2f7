#include "platform/win32/progress_bar.h"

#include "platform/win32/automation_messages.h"
#include "platform/win32/scoped_handles.h"

#include <algorithm>
#include <cmath>

namespace quorvane::win32 {

void ProgressBar::registerClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = nullptr; // the main window decides the pointer
    windowClass.lpszClassName = ProgressBarClassName;
    windowClass.cbWndExtra = sizeof(ProgressBar*);
    RegisterClassExW(&windowClass);
}

HWND ProgressBar::create(HWND parent, int id, HINSTANCE instance) {
    window_ = CreateWindowExW(0, ProgressBarClassName, L"Progress Bar", WS_CHILD | WS_VISIBLE, 0, 0,
                              0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance, this);
    return window_;
}

void ProgressBar::setText(const std::wstring& text) {
    // Kept as the window text so accessibility tools and tests can read it.
    SetWindowTextW(window_, text.c_str());
    InvalidateRect(window_, nullptr, FALSE);
}

void ProgressBar::setValue(double percent) {
    percent_ = std::clamp(percent, 0.0, 100.0);
    InvalidateRect(window_, nullptr, FALSE);
}

void ProgressBar::setFont(HFONT font) {
    font_ = font;
    InvalidateRect(window_, nullptr, FALSE);
}

void ProgressBar::setColours(const Colours& colours) {
    colours_ = colours;
    InvalidateRect(window_, nullptr, FALSE);
}

void ProgressBar::paint(HDC dc, const RECT& client) const {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;

    // Drawn off-screen first so the bar never flickers while a run updates it.
    HDC memory = CreateCompatibleDC(dc);
    ScopedBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap.get());
    HGDIOBJ oldFont = SelectObject(memory, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));

    const RECT whole{0, 0, width, height};
    const auto fillWith = [&](const RECT& area, std::optional<COLORREF> colour, int system) {
        if (!colour) {
            FillRect(memory, &area, GetSysColorBrush(system));
            return;
        }
        ScopedBrush brush(CreateSolidBrush(*colour));
        FillRect(memory, &area, brush.get());
    };
    fillWith(whole, colours_.background, COLOR_WINDOW);
    const int filled = static_cast<int>(std::lround((width - 2) * percent_ / 100.0));
    const RECT bar{1, 1, 1 + filled, height - 1};
    fillWith(bar, colours_.fill, COLOR_HIGHLIGHT);
    FrameRect(memory, &whole, GetSysColorBrush(COLOR_BTNSHADOW));

    wchar_t text[1024];
    const int length = GetWindowTextW(window_, text, static_cast<int>(std::size(text)));
    SetBkMode(memory, TRANSPARENT);
    RECT textArea = whole;
    constexpr UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    // The text changes colour where the fill runs under it, so it stays
    // legible at every value.
    SetTextColor(memory, colours_.text.value_or(GetSysColor(COLOR_WINDOWTEXT)));
    HRGN emptyPart = CreateRectRgn(1 + filled, 0, width, height);
    SelectClipRgn(memory, emptyPart);
    DrawTextW(memory, text, length, &textArea, format);
    HRGN filledPart = CreateRectRgn(0, 0, 1 + filled, height);
    SelectClipRgn(memory, filledPart);
    SetTextColor(memory, colours_.fillText.value_or(GetSysColor(COLOR_HIGHLIGHTTEXT)));
    DrawTextW(memory, text, length, &textArea, format);
    SelectClipRgn(memory, nullptr);
    DeleteObject(emptyPart);
    DeleteObject(filledPart);

    BitBlt(dc, client.left, client.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

LRESULT CALLBACK ProgressBar::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressBar*>(GetWindowLongPtrW(window, 0));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        if (self)
            self->paint(dc, client);
        EndPaint(window, &ps);
        return 0;
    }
    case ProgressGetValue:
        return self ? static_cast<LRESULT>(std::lround(self->percent_ * 100)) : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace quorvane::win32

#include "platform/win32/progress_bar.h"

#include "platform/win32/automation_messages.h"
#include "platform/win32/scoped_handles.h"

#include <algorithm>
#include <cmath>

namespace quorvane::win32 {

HWND ProgressBar::create(HWND parent, int id, HINSTANCE instance) {
    // The class has no pointer of its own: the main window decides it.
    if (!registerWindowClass(windowClass(instance, ProgressBarClassName)))
        return nullptr;
    return createWindow({.className = ProgressBarClassName,
                         .title = L"Progress Bar",
                         .style = WS_CHILD | WS_VISIBLE,
                         .parent = parent,
                         .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         .instance = instance});
}

void ProgressBar::setText(const std::wstring& text) {
    // Kept as the window text so accessibility tools and tests can read it.
    SetWindowTextW(handle(), text.c_str());
    invalidate();
}

void ProgressBar::setValue(double percent) {
    percent_ = std::clamp(percent, 0.0, 100.0);
    invalidate();
}

// Invalid already, the whole bar stays so until it paints.
void ProgressBar::invalidate() {
    if (paintDue_)
        return;
    paintDue_ = true;
    InvalidateRect(handle(), nullptr, FALSE);
}

void ProgressBar::setFont(HFONT font) {
    font_ = font;
    invalidate();
}

void ProgressBar::setColours(const Colours& colours) {
    colours_ = colours;
    invalidate();
}

void ProgressBar::paint(HDC dc, const RECT& client) const {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;

    // Drawn off-screen first so the bar never flickers while a run updates it.
    const ScopedMemoryDc memoryDc(CreateCompatibleDC(dc));
    const HDC memory = memoryDc.get();
    const ScopedBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    const ScopedSelection selectedBitmap(memory, bitmap.get());
    const ScopedSelection selectedFont(memory, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));

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
    const int length = GetWindowTextW(handle(), text, static_cast<int>(std::size(text)));
    SetBkMode(memory, TRANSPARENT);
    RECT textArea = whole;
    constexpr UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    // The text changes colour where the fill runs under it, so it stays
    // legible at every value.
    SetTextColor(memory, colours_.text.value_or(GetSysColor(COLOR_WINDOWTEXT)));
    // SelectClipRgn copies the region, so each may go once selected.
    const ScopedRegion emptyPart(CreateRectRgn(1 + filled, 0, width, height));
    SelectClipRgn(memory, emptyPart.get());
    DrawTextW(memory, text, length, &textArea, format);
    const ScopedRegion filledPart(CreateRectRgn(0, 0, 1 + filled, height));
    SelectClipRgn(memory, filledPart.get());
    SetTextColor(memory, colours_.fillText.value_or(GetSysColor(COLOR_HIGHLIGHTTEXT)));
    DrawTextW(memory, text, length, &textArea, format);
    SelectClipRgn(memory, nullptr);

    BitBlt(dc, client.left, client.top, width, height, memory, 0, 0, SRCCOPY);
}

LRESULT ProgressBar::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        onPaint();
        return 0;
    case ProgressGetValue:
        return static_cast<LRESULT>(std::lround(percent_ * 100));
    }
    return defaultHandling(message, wParam, lParam);
}

void ProgressBar::onPaint() {
    paintDue_ = false;
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(handle(), &ps);
    RECT client;
    GetClientRect(handle(), &client);
    paint(dc, client);
    EndPaint(handle(), &ps);
}

} // namespace quorvane::win32

#pragma once
// A progress bar that shows a text over its value. The common-controls bar
// draws no text, so this one paints both itself.

#include "platform/win32/window_base.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quorvane::win32 {

class ProgressBar final : public WindowBase {
public:
    ProgressBar() = default;

    // The control is a child window of `parent`.
    HWND create(HWND parent, int id, HINSTANCE instance);

    void setText(const std::wstring& text);
    void setValue(double percent);
    void setFont(HFONT font);

    // A skin's colours; those left unset keep the system's.
    struct Colours {
        std::optional<COLORREF> background;
        std::optional<COLORREF> fill;
        std::optional<COLORREF> text;
        std::optional<COLORREF> fillText; // text over the filled part
    };
    void setColours(const Colours& colours);

    // Changed since it last painted: the paint to come shows any further
    // change as well, at no cost.
    bool paintDue() const { return paintDue_; }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void invalidate();
    void onPaint();
    void paint(HDC dc, const RECT& client) const;

    HFONT font_ = nullptr;
    double percent_ = 0;
    Colours colours_;
    bool paintDue_ = false;
};

} // namespace quorvane::win32

// The main window's side of the optional skin: ApplySkin (app/skin.cpp)
// decides, these members repaint.

#include "app/skin.h"
#include "shell/main_window.h"

namespace quorvane::win32 {

void MainWindow::applySkin() {
    ApplySkin(*this, skinFiles_);
}

void MainWindow::setBackgroundColour(Colour colour) {
    background_ = makeBrush(colour);
    // The class brush erases the client area; the class has this one window.
    SetClassLongPtrW(handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background_.brush));
    InvalidateRect(handle(), nullptr, TRUE);
}

void MainWindow::applySkinStyle(const SkinStyle& style) {
    skin_ = style;
    if (style.window.background)
        setBackgroundColour(*style.window.background);

    if (style.list.background) {
        ListView_SetBkColor(list_, toColorRef(*style.list.background));
        ListView_SetTextBkColor(list_, toColorRef(*style.list.background));
    }
    if (style.list.text)
        ListView_SetTextColor(list_, toColorRef(*style.list.text));

    const auto colour = [](const std::optional<Colour>& value) -> std::optional<COLORREF> {
        if (!value)
            return std::nullopt;
        return toColorRef(*value);
    };
    progressBar_.setColours({colour(style.progress.background), colour(style.progress.fill),
                             colour(style.progress.text), colour(style.progress.fillText)});
    // The bar may not exist yet (the skin comes first at start-up); it keeps
    // the style for when it is built.
    commandBar_.setStyle(style.toolbar);
    applySkinFonts();
    InvalidateRect(handle(), nullptr, TRUE);
}

void MainWindow::applySkinFonts() {
    if (skin_->list.font) {
        skinListFont_ = makeFont(*skin_->list.font, dpi());
        SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(skinListFont_.get()), TRUE);
    }
    if (skin_->progress.font) {
        skinProgressFont_ = makeFont(*skin_->progress.font, dpi());
        progressBar_.setFont(skinProgressFont_.get());
    }
}

} // namespace quorvane::win32

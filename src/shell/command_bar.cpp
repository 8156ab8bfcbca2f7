#include "shell/command_bar.h"

#include "platform/win32/wide_text.h"

#include <algorithm>
#include <array>
#include <string>

namespace quorvane::win32 {

namespace {

// One subclass ID for the toolbar and one for its parent; comctl32 keys
// subclasses by procedure and ID, so these only need to differ from each other.
constexpr UINT_PTR ToolbarSubclass = 1;
constexpr UINT_PTR ParentSubclass = 2;

// The bar's own font: captions in Calibri at 11 points.
const SkinFont CaptionFont{"Calibri", 11, false, false};

int scaled(int pixelsAt96, unsigned dpi) {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}

} // namespace

CommandBar::~CommandBar() {
    if (parent_)
        RemoveWindowSubclass(parent_, parentProc, ParentSubclass);
    if (toolbar_) {
        RemoveWindowSubclass(toolbar_, toolbarProc, ToolbarSubclass);
        // The toolbar draws from images_, which goes with this object.
        DestroyWindow(toolbar_);
    }
}

HWND CommandBar::create(HWND parent, int id, HINSTANCE resources, unsigned dpi) {
    resources_ = resources;
    dpi_ = dpi;
    // Captions below the pictures (no TBSTYLE_LIST), and no BTNS_AUTOSIZE so
    // all five buttons share the widest caption's width.
    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | CCS_TOP | CCS_NODIVIDER | TBSTYLE_FLAT, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!toolbar_)
        return nullptr;
    parent_ = parent;
    SetWindowSubclass(toolbar_, toolbarProc, ToolbarSubclass, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(parent_, parentProc, ParentSubclass, reinterpret_cast<DWORD_PTR>(this));

    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The arrow of a split button is a part of its own, so pressing the
    // button itself still gives the button's command.
    SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0,
                 TBSTYLE_EX_DOUBLEBUFFER | TBSTYLE_EX_DRAWDDARROWS);
    createMenus();
    // Pictures and font before the buttons, so the first layout is the real one.
    applyDpi();

    std::array<std::wstring, CommandBarButtons.size()> captions;
    std::array<TBBUTTON, CommandBarButtons.size()> buttons{};
    for (std::size_t i = 0; i < CommandBarButtons.size(); ++i) {
        const CommandButton& button = CommandBarButtons[i];
        captions[i] = toWide(button.caption);
        buttons[i].iBitmap = images_ ? PictureIndex(button.id).value_or(I_IMAGENONE) : I_IMAGENONE;
        buttons[i].idCommand = static_cast<int>(button.id);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = static_cast<BYTE>(BTNS_BUTTON | BTNS_SHOWTEXT |
                                               (button.menu.empty() ? 0 : BTNS_DROPDOWN));
        buttons[i].iString = reinterpret_cast<INT_PTR>(captions[i].c_str());
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    return toolbar_;
}

HMENU CommandBar::menu(int commandId) const {
    for (std::size_t i = 0; i < CommandBarButtons.size(); ++i)
        if (static_cast<int>(CommandBarButtons[i].id) == commandId)
            return menus_[i].get();
    return nullptr;
}

void CommandBar::createMenus() {
    for (std::size_t i = 0; i < CommandBarButtons.size(); ++i) {
        const CommandButton& button = CommandBarButtons[i];
        if (button.menu.empty())
            continue;
        ScopedMenu menu(CreatePopupMenu());
        if (!menu)
            continue; // the button still gives its own command
        for (const CommandMenuItem& item : button.menu) {
            if (item.separatorBefore)
                AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.id),
                        toWide(item.text).c_str());
        }
        // Shown bold: what pressing the button itself does.
        SetMenuDefaultItem(menu.get(), static_cast<UINT>(button.id), FALSE);
        menus_[i] = std::move(menu);
    }
}

void CommandBar::setDpi(unsigned dpi) {
    if (!toolbar_ || dpi == dpi_)
        return;
    dpi_ = dpi;
    applyDpi();
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    InvalidateRect(toolbar_, nullptr, TRUE);
}

void CommandBar::setStyle(const SkinPartStyle& style) {
    style_ = style;
    background_ = style_.background ? makeBrush(*style_.background) : ColourBrush{};
    if (!toolbar_)
        return;
    applyDpi();
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    InvalidateRect(toolbar_, nullptr, TRUE);
}

void CommandBar::applyDpi() {
    font_ = makeFont(style_.font.value_or(CaptionFont), dpi_);

    PictureList pictures = loadToolbarPictures(resources_, dpi_);
    pictureFailure_ = pictures.failure;
    if (pictures.images) {
        // The toolbar takes its picture size from the list; the old list may
        // only go once the toolbar has let go of it.
        SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures.images.get()));
        images_ = std::move(pictures.images);
    }
    // Every button as wide as the widest caption plus some air, so captions
    // never touch and never clip. Set explicitly: the toolbar's own padding
    // is capped at two pixels by some comctl32 versions (Wine's among them).
    const int width = buttonWidth();
    SendMessageW(toolbar_, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    // Last, because a new font makes the toolbar measure everything again.
    SendMessageW(toolbar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

int CommandBar::buttonWidth() const {
    const ScopedWindowDc dc(toolbar_);
    const ScopedSelection font(dc.get(), font_.get());
    int widest = 0;
    for (const CommandButton& button : CommandBarButtons) {
        const std::wstring caption = toWide(button.caption);
        SIZE text{};
        GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
        widest = std::max(widest, static_cast<int>(text.cx));
    }
    const int picture = images_ ? PictureSizes[PictureSizeStep(dpi_)] : 0;
    return std::max(widest, picture) + scaled(16, dpi_);
}

LRESULT CommandBar::onCustomDraw(NMTBCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (style_.text) {
            draw.clrText = toColorRef(*style_.text);
            draw.clrTextHighlight = draw.clrText;
        }
        if (style_.background)
            draw.clrBtnFace = toColorRef(*style_.background);
        return CDRF_DODEFAULT | TBCDRF_USECDCOLORS;
    }
    return CDRF_DODEFAULT;
}

LRESULT CALLBACK CommandBar::toolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CommandBar*>(data);
    switch (message) {
    case WM_ERASEBKGND:
        if (self->background_.brush) {
            RECT client;
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, self->background_.brush);
            return 1;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, toolbarProc, ToolbarSubclass);
        self->toolbar_ = nullptr;
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The menu drops below the button and keeps clear of it. The chosen item
// reaches the parent as WM_COMMAND, as a button's click does, so nothing
// downstream tells a menu command from a button.
LRESULT CommandBar::onDropDown(const NMTOOLBARW& button) const {
    HMENU shown = menu(button.iItem);
    if (!shown)
        return TBDDRET_NODEFAULT;
    RECT bounds = button.rcButton;
    MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    TPMPARAMS keepClear{sizeof keepClear, bounds};
    TrackPopupMenuEx(shown, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL,
                     bounds.left, bounds.bottom, parent_, &keepClear);
    return TBDDRET_DEFAULT;
}

// The toolbar asks its parent how to draw (only a skin changes the answer)
// and what to do when a split button's arrow is pressed.
LRESULT CALLBACK CommandBar::parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CommandBar*>(data);
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom != self->toolbar_)
            break;
        const bool styled = self->style_.text || self->style_.background;
        if (styled && header->code == NM_CUSTOMDRAW)
            return self->onCustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
        if (header->code == TBN_DROPDOWN)
            return self->onDropDown(*reinterpret_cast<const NMTOOLBARW*>(lParam));
        break;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, parentProc, ParentSubclass);
        self->parent_ = nullptr;
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace quorvane::win32

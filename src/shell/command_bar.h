#pragma once
// The one toolbar at the top of the main window: five push buttons with a
// picture and a caption each, built once and never changed. A click reaches
// the parent as WM_COMMAND with the button's command ID (notification code 0).
// A button with a menu in the command table is a split button: its arrow
// opens the menu, and the item chosen reaches the parent the same way.

#include "app/command_table.h"
#include "platform/skin_style.h"
#include "platform/win32/gdi_style.h"
#include "platform/win32/scoped_handles.h"
#include "shell/toolbar_pictures.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <optional>

namespace quorvane::win32 {

class CommandBar {
public:
    CommandBar() = default;
    ~CommandBar();
    CommandBar(const CommandBar&) = delete;
    CommandBar& operator=(const CommandBar&) = delete;

    // Builds the bar docked at the top of `parent`, with pictures for `dpi`
    // read from `resources` (the module holding res/toolbar.rc). COM must be
    // initialised on this thread. Null when the toolbar cannot be created;
    // when only the pictures fail, the bar works with captions alone and
    // pictureFailure() says why.
    HWND create(HWND parent, int id, HINSTANCE resources, unsigned dpi);
    HWND handle() const { return toolbar_; }
    HIMAGELIST images() const { return images_.get(); }
    const std::optional<PictureFailure>& pictureFailure() const { return pictureFailure_; }
    // The menu under the button's arrow; null for a button without one.
    HMENU menu(int commandId) const;

    // Pictures of the size nearest the new DPI and the caption font at it.
    // The caller lays the window out afterwards (the bar's height changes).
    void setDpi(unsigned dpi);

    // A skin's look for the bar: background, caption colour and font. Kept
    // and applied again by setDpi.
    void setStyle(const SkinPartStyle& style);

private:
    static LRESULT CALLBACK toolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
    LRESULT onCustomDraw(NMTBCUSTOMDRAW& draw) const;
    LRESULT onDropDown(const NMTOOLBARW& button) const;
    void createMenus();
    void applyDpi();
    int buttonWidth() const; // in pixels at the current DPI

    HWND parent_ = nullptr;
    HWND toolbar_ = nullptr;
    HINSTANCE resources_ = nullptr;
    unsigned dpi_ = 96;
    ScopedImageList images_;
    std::optional<PictureFailure> pictureFailure_;
    ScopedFont font_;
    SkinPartStyle style_;
    ColourBrush background_;
    // By the buttons' bar positions; made with the bar, so that opening one
    // cannot fail halfway through a click.
    std::array<ScopedMenu, CommandBarButtons.size()> menus_;
};

} // namespace quorvane::win32

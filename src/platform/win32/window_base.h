#pragma once
// The window procedure, written once. A window of ours derives from
// WindowBase, registers its class with windowClass() and writes only
// handleMessage. The object is bound to its window at WM_NCCREATE (the first
// message a window gets) and unbound at WM_NCDESTROY (the last), so no
// message reaches an object that is not there; a handler that throws is
// caught here, since nothing may unwind through the system's window code.

#include <windows.h>

#include <exception>

namespace quorvane::win32 {

class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The window, or null before creation and after destruction.
    HWND handle() const { return window_; }

protected:
    WindowBase() = default;
    // Destroys the window if it still exists. A derived class that must see
    // its own WM_DESTROY destroys the window in its own destructor.
    virtual ~WindowBase();

    // A class description with this base's window procedure; the caller fills
    // in the rest and registers it (registerWindowClass).
    static WNDCLASSEXW windowClass(HINSTANCE instance, const wchar_t* className);

    // Creates the window bound to this object; null on failure, with the
    // system's reason in GetLastError.
    struct Creation {
        DWORD exStyle = 0;
        const wchar_t* className = nullptr;
        const wchar_t* title = L"";
        DWORD style = 0;
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr; // HWND_MESSAGE for a message-only window
        HMENU menuOrId = nullptr;
        HINSTANCE instance = nullptr;
    };
    HWND createWindow(const Creation& creation);

    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // What a handler threw; the default swallows it. The main window tells
    // the user.
    virtual void onHandlerFailure(const std::exception& error);

    // Called once the window's last message (WM_NCDESTROY) has been handled
    // and the object unbound from it. A window whose object lives exactly as
    // long as the window itself (the stand-in Outlook's item windows, which
    // whoever closes them ends) deletes itself here: nothing touches the
    // object after this call.
    virtual void onWindowGone() {}

    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) const {
        return DefWindowProcW(window_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    HWND window_ = nullptr;
};

// Registers a class once per process; a second registration of the same name
// (a second object of the kind) is not a failure.
bool registerWindowClass(const WNDCLASSEXW& windowClass);

} // namespace quorvane::win32

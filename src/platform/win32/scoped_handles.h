#pragma once
// Owning wrappers for the GDI and window handles the program creates. Copying
// is deleted; moving hands the handle over.

#include <windows.h>

#include <utility>

namespace quorvane::win32 {

template <typename Handle, typename Deleter>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.handle_, nullptr));
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_)
            Deleter{}(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct WindowDeleter {
    void operator()(HWND window) const { DestroyWindow(window); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

using ScopedFont = Scoped<HFONT, GdiObjectDeleter>;
using ScopedBrush = Scoped<HBRUSH, GdiObjectDeleter>;
using ScopedBitmap = Scoped<HBITMAP, GdiObjectDeleter>;
using ScopedWindow = Scoped<HWND, WindowDeleter>;
using ScopedIcon = Scoped<HICON, IconDeleter>;

} // namespace quorvane::win32

#pragma once
// Owners for every kind of handle the program, the stand-in and the tests
// hold, so that no handle is released by hand on a path that can return
// early. Copying is deleted; moving hands the handle over.

#include <windows.h>

#include <objbase.h>
#include <ole2.h>

#include <cstddef>
#include <memory>
#include <utility>

namespace quorvane::win32 {

// `Traits` names the handle type, its empty value and how to free it.
template <typename Traits> class Scoped {
public:
    using Handle = typename Traits::Handle;

    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::empty(); }
    void reset(Handle handle = Traits::empty()) {
        if (handle_ != Traits::empty())
            Traits::free(handle_);
        handle_ = handle;
    }
    [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::empty()); }
    // For a call that hands a new handle back through a pointer.
    Handle* receive() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::empty();
};

template <typename H, auto Free> struct NullEmptyTraits {
    using Handle = H;
    static constexpr Handle empty() { return nullptr; }
    static void free(Handle handle) { Free(handle); }
};

using ScopedFont = Scoped<NullEmptyTraits<HFONT, DeleteObject>>;
using ScopedBrush = Scoped<NullEmptyTraits<HBRUSH, DeleteObject>>;
using ScopedBitmap = Scoped<NullEmptyTraits<HBITMAP, DeleteObject>>;
using ScopedRegion = Scoped<NullEmptyTraits<HRGN, DeleteObject>>;
using ScopedWindow = Scoped<NullEmptyTraits<HWND, DestroyWindow>>;
using ScopedIcon = Scoped<NullEmptyTraits<HICON, DestroyIcon>>;
using ScopedRegistryKey = Scoped<NullEmptyTraits<HKEY, RegCloseKey>>;
// A menu from CreatePopupMenu that no window owns (a window destroys its own).
using ScopedMenu = Scoped<NullEmptyTraits<HMENU, DestroyMenu>>;
// A device context made with CreateCompatibleDC or CreateDC.
using ScopedMemoryDc = Scoped<NullEmptyTraits<HDC, DeleteDC>>;
// An event, mutex, process or thread handle: null when empty.
using ScopedHandle = Scoped<NullEmptyTraits<HANDLE, CloseHandle>>;
// Memory from GlobalAlloc, as drag and drop and the clipboard hand it over.
using ScopedGlobal = Scoped<NullEmptyTraits<HGLOBAL, GlobalFree>>;
// A block the system allocated with LocalAlloc for the caller to free, typed
// as the call hands it back (a SID's text, a security descriptor).
template <typename T> using ScopedLocal = Scoped<NullEmptyTraits<T, LocalFree>>;

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void free(Handle handle) { CloseHandle(handle); }
};
// A file from CreateFileW: INVALID_HANDLE_VALUE when empty.
using ScopedFile = Scoped<FileHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void free(Handle handle) { FindClose(handle); }
};
// A directory listing from FindFirstFileExW.
using ScopedFind = Scoped<FindHandleTraits>;

struct CoTaskMemFreer {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};
// Memory COM or the shell hands back for the caller to free: a known
// folder's path, an item id list.
template <typename T> using ScopedCoTaskMem = std::unique_ptr<T, CoTaskMemFreer>;

// The bytes of a block of global memory, locked for one scope: empty when
// the block is null or the lock fails, which a block handed over by another
// program can make happen.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL memory)
        : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~LockedGlobal() {
        if (data_)
            GlobalUnlock(memory_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    std::byte* bytes() const { return static_cast<std::byte*>(data_); }
    std::size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

private:
    HGLOBAL memory_;
    void* data_;
};

// A storage medium that IDataObject::GetData filled in for the caller, given
// back with ReleaseStgMedium however the reader leaves.
class ScopedStorageMedium {
public:
    ScopedStorageMedium() = default;
    ~ScopedStorageMedium() { ReleaseStgMedium(&medium_); }
    ScopedStorageMedium(const ScopedStorageMedium&) = delete;
    ScopedStorageMedium& operator=(const ScopedStorageMedium&) = delete;

    const STGMEDIUM& get() const { return medium_; }
    STGMEDIUM* receive() {
        ReleaseStgMedium(&medium_);
        medium_ = STGMEDIUM{};
        return &medium_;
    }

private:
    STGMEDIUM medium_{};
};

// A window's device context from GetDC, given back to the window.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDc() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, with the one it replaced put
// back at the end of the scope (before either may be deleted).
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace quorvane::win32

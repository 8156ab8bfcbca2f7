#include "platform/win32/drop_target.h"

#include "platform/win32/wide_text.h"
#include "queue/drop_list.h"

#include <shlobj.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <utility>

namespace quorvane::win32 {

namespace {

constexpr wchar_t RelayWindowClass[] = L"QuorvaneDropRelay";
constexpr UINT DroppedMessage = WM_APP + 0x51;

FORMATETC fileListFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool offersFileList(IDataObject* data) {
    FORMATETC format = fileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

struct StorageMedium {
    STGMEDIUM medium{};
    StorageMedium() = default;
    ~StorageMedium() { ReleaseStgMedium(&medium); }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
};

class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
    ~LockedGlobal() {
        if (data_)
            GlobalUnlock(memory_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    const std::byte* bytes() const { return static_cast<const std::byte*>(data_); }

private:
    HGLOBAL memory_;
    void* data_;
};

static_assert(sizeof(DROPFILES) == DropListHeader::Size &&
                  offsetof(DROPFILES, pFiles) == DropListHeader::ListOffsetAt &&
                  offsetof(DROPFILES, fWide) == DropListHeader::WideFlagAt,
              "ParseDropList reads the header the way Windows lays it out");

// What DragQueryFileW does with an ANSI list: the system's code page.
std::string ansiToUtf8(std::string_view ansi) {
    const int size = static_cast<int>(ansi.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
    return toUtf8(wide);
}

} // namespace

// The block is read by ParseDropList rather than DragQueryFileW, which trusts
// it: a drag source can hand over anything.
std::optional<std::vector<std::string>> droppedPaths(HGLOBAL dropFiles) {
    if (!dropFiles)
        return std::nullopt;
    const LockedGlobal lock(dropFiles);
    if (!lock.bytes())
        return std::nullopt;
    return ParseDropList(std::span(lock.bytes(), GlobalSize(dropFiles)), ansiToUtf8);
}

// The OLE object behind ScopedDropTarget. It owns the message-only window
// that hands the paths over after Drop has returned.
class FileDropTarget final : public IDropTarget {
public:
    explicit FileDropTarget(DropHandler onDrop) : onDrop_(std::move(onDrop)) { createRelay(); }
    ~FileDropTarget() { shutDown(); }
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

    // Called when the registration ends: no further drop is handed on, even
    // one already posted.
    void shutDown() {
        onDrop_ = nullptr;
        pending_.clear();
        if (relay_)
            DestroyWindow(std::exchange(relay_, nullptr));
    }

    bool canDeliver() const { return relay_ != nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object)
            return E_POINTER;
        if (id == IID_IUnknown || id == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        offersFiles_ = offersFileList(data);
        if (!offersFiles_)
            *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // Only DragEnter sees the data object; what it found holds for the drag.
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        if (!offersFiles_)
            *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        offersFiles_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        offersFiles_ = false;
        const DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        if (!offersFileList(data))
            return S_OK;
        FORMATETC format = fileListFormat();
        StorageMedium storage;
        if (data->GetData(&format, &storage.medium) != S_OK ||
            storage.medium.tymed != TYMED_HGLOBAL)
            return S_OK;
        auto paths = droppedPaths(storage.medium.hGlobal);
        if (!paths || paths->empty() || !relay_)
            return S_OK;
        pending_.push_back(std::move(*paths));
        PostMessageW(relay_, DroppedMessage, 0, 0);
        // We only read the paths. Never report a move: the file manager would
        // then delete files it thinks we moved.
        if (allowed & DROPEFFECT_COPY)
            *effect = DROPEFFECT_COPY;
        else if (allowed & DROPEFFECT_LINK)
            *effect = DROPEFFECT_LINK;
        return S_OK;
    }

private:
    static LRESULT CALLBACK relayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<FileDropTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == DroppedMessage && self) {
            self->deliverOne();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void deliverOne() {
        if (pending_.empty() || !onDrop_)
            return;
        // Kept alive while the handler runs: it pumps messages, and the
        // registration may end meanwhile.
        Microsoft::WRL::ComPtr<FileDropTarget> keepAlive(this);
        std::vector<std::string> paths = std::move(pending_.front());
        pending_.pop_front();
        DropHandler handler = onDrop_;
        handler(std::move(paths));
    }

    void createRelay() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW relayClass{};
        relayClass.cbSize = sizeof relayClass;
        relayClass.lpfnWndProc = relayProc;
        relayClass.hInstance = instance;
        relayClass.lpszClassName = RelayWindowClass;
        // A second registration (a second drop target) fails harmlessly.
        RegisterClassExW(&relayClass);
        relay_ = CreateWindowExW(0, RelayWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, this);
    }

    ULONG references_ = 1;
    DropHandler onDrop_;
    HWND relay_ = nullptr;
    bool offersFiles_ = false;
    std::deque<std::vector<std::string>> pending_;
};

ScopedDropTarget::ScopedDropTarget(HWND window, DropHandler onDrop) : window_(window) {
    target_.Attach(new FileDropTarget(std::move(onDrop)));
    if (!target_->canDeliver()) {
        registration_ = Failure{systemMessage(GetLastError())};
        return;
    }
    const HRESULT result = RegisterDragDrop(window_, target_.Get());
    if (FAILED(result))
        registration_ = Failure{systemMessage(static_cast<unsigned long>(result))};
}

ScopedDropTarget::~ScopedDropTarget() {
    if (registration_)
        RevokeDragDrop(window_);
    target_->shutDown();
}

IDropTarget* ScopedDropTarget::dropTarget() const {
    return target_.Get();
}

} // namespace quorvane::win32

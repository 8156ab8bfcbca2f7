#include "platform/win32/drop_target.h"

#include "platform/win32/wide_text.h"

#include <shellapi.h>
#include <shlobj.h>

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
    const unsigned char* bytes() const { return static_cast<const unsigned char*>(data_); }

private:
    HGLOBAL memory_;
    void* data_;
};

// DragQueryFileW trusts the block; a drag source can hand over anything, so
// the list must lie inside the block and end there with a double NUL.
bool wellFormed(HGLOBAL dropFiles) {
    const SIZE_T size = GlobalSize(dropFiles);
    const LockedGlobal lock(dropFiles);
    if (!lock.bytes() || size < sizeof(DROPFILES))
        return false;
    const auto* header = reinterpret_cast<const DROPFILES*>(lock.bytes());
    if (header->pFiles < sizeof(DROPFILES) || header->pFiles >= size)
        return false;
    const unsigned char* list = lock.bytes() + header->pFiles;
    const SIZE_T listSize = size - header->pFiles;
    const SIZE_T unit = header->fWide ? sizeof(wchar_t) : 1;
    SIZE_T zeroesInARow = 0;
    for (SIZE_T at = 0; at + unit <= listSize; at += unit) {
        const bool zero = unit == 1 ? list[at] == 0 : (list[at] | list[at + 1]) == 0;
        zeroesInARow = zero ? zeroesInARow + 1 : 0;
        if (zeroesInARow == 2 || (zero && at == 0))
            return true;
    }
    return false;
}

} // namespace

std::optional<std::vector<std::string>> droppedPaths(HGLOBAL dropFiles) {
    if (!dropFiles || !wellFormed(dropFiles))
        return std::nullopt;
    const auto drop = static_cast<HDROP>(dropFiles);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(copied < length ? copied : length);
        paths.push_back(toUtf8(path));
    }
    return paths;
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

#include "platform/win32/drop_target.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_base.h"
#include "queue/drop_list.h"

#include <shlobj.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
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

namespace {

// A message-only window that calls `onPosted` for each DroppedMessage posted
// to it, from the thread's ordinary message loop.
class DropRelay final : public WindowBase {
public:
    explicit DropRelay(std::function<void()> onPosted) : onPosted_(std::move(onPosted)) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        if (registerWindowClass(windowClass(instance, RelayWindowClass)))
            createWindow(
                {.className = RelayWindowClass, .parent = HWND_MESSAGE, .instance = instance});
    }
    void post() const { PostMessageW(handle(), DroppedMessage, 0, 0); }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != DroppedMessage)
            return defaultHandling(message, wParam, lParam);
        onPosted_();
        return 0;
    }

    std::function<void()> onPosted_;
};

} // namespace

// The OLE object behind ScopedDropTarget. It owns the message-only window
// that hands the paths over after Drop has returned.
class FileDropTarget final : public ComObject<IDropTarget> {
public:
    explicit FileDropTarget(DropHandler onDrop)
        : onDrop_(std::move(onDrop)),
          relay_(std::make_unique<DropRelay>([this] { deliverOne(); })) {}
    ~FileDropTarget() override { shutDown(); }

    // Called when the registration ends: no further drop is handed on, even
    // one already posted.
    void shutDown() {
        onDrop_ = nullptr;
        pending_.clear();
        relay_.reset();
    }

    bool canDeliver() const { return relay_ && relay_->handle(); }

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
        if (!paths || paths->empty() || !canDeliver())
            return S_OK;
        pending_.push_back(std::move(*paths));
        relay_->post();
        // We only read the paths. Never report a move: the file manager would
        // then delete files it thinks we moved.
        if (allowed & DROPEFFECT_COPY)
            *effect = DROPEFFECT_COPY;
        else if (allowed & DROPEFFECT_LINK)
            *effect = DROPEFFECT_LINK;
        return S_OK;
    }

private:
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

    DropHandler onDrop_;
    std::unique_ptr<DropRelay> relay_;
    bool offersFiles_ = false;
    std::deque<std::vector<std::string>> pending_;
};

ScopedDropTarget::ScopedDropTarget(HWND window, DropHandler onDrop) : window_(window) {
    target_ = makeComObject<FileDropTarget>(std::move(onDrop));
    if (!target_->canDeliver()) {
        registration_ = Failure{"Windows refused the window that receives them."};
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

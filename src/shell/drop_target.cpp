#include "shell/drop_target.h"

#include "platform/win32/com_object.h"
#include "platform/win32/scoped_handles.h"
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
    if (!lock)
        return std::nullopt;
    return ParseDropList(std::span<const std::byte>(lock.bytes(), lock.size()), ansiToUtf8);
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
        return guardedComCall([&] {
            if (!takeFileList(data))
                return S_OK;
            // We only read the paths. Never report a move: the file manager
            // would then delete files it thinks we moved.
            if (allowed & DROPEFFECT_COPY)
                *effect = DROPEFFECT_COPY;
            else if (allowed & DROPEFFECT_LINK)
                *effect = DROPEFFECT_LINK;
            return S_OK;
        });
    }

private:
    // Queues the paths `data` offers for the relay to hand on once Drop has
    // returned; false when it offers none this window can take.
    bool takeFileList(IDataObject* data) {
        if (!offersFileList(data))
            return false;
        FORMATETC format = fileListFormat();
        ScopedStorageMedium storage;
        if (data->GetData(&format, storage.receive()) != S_OK ||
            storage.get().tymed != TYMED_HGLOBAL)
            return false;
        auto paths = droppedPaths(storage.get().hGlobal);
        if (!paths || paths->empty() || !canDeliver())
            return false;
        pending_.push_back(std::move(*paths));
        relay_->post();
        return true;
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

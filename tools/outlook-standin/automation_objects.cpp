#include "automation_objects.h"

#include "config.h"
#include "contact_item.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "mailbox.h"
#include "session_objects.h"

#include "platform/win32/wide_text.h"

#include <oleauto.h>

#include <memory>
#include <string>

namespace quorvane::standin {
namespace {

using win32::makeComObject;

class Inspector final : public DispatchObject {
public:
    Inspector(ServerState& state, std::shared_ptr<ItemWindow> window)
        : DispatchObject(state, "Inspector", Members), window_(std::move(window)) {}

private:
    enum : DISPID { CurrentItemId = 1, CloseId = 2 };
    static constexpr DispatchMember Members[] = {{L"CurrentItem", CurrentItemId},
                                                 {L"Close", CloseId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        if (id == CurrentItemId)
            return currentItem(call);
        return close(call);
    }

    HRESULT currentItem(const DispatchCall& call) {
        logEvent("get CurrentItem", window_->path);
        // The item outlives its window: Outlook lets a caller save after Close.
        if (!window_->item)
            window_->item = std::make_shared<StoredContact>(
                unsavedContact(window_->path, window_->contactName));
        return returnObject(
            call, makeContactItem(state_, window_->item, {.failSave = window_->failSave}));
    }

    HRESULT close(const DispatchCall& call) {
        IntegerArgument mode;
        if (const HRESULT hr = integerArgument(call, 0, mode); FAILED(hr))
            return hr;
        if (!window_->window)
            return raiseOutlookError(call, L"The item window is already closed.", E_FAIL);
        if (window_->failClose || readConfig().failClose) {
            logEvent("fail Close", window_->path);
            return raiseOutlookError(call, L"The item window could not be closed.", E_FAIL);
        }
        logEvent("Close(" + std::to_string(mode.value) + ")", window_->path);
        DestroyWindow(window_->window);
        return S_OK;
    }

    std::shared_ptr<ItemWindow> window_;
};

class Inspectors final : public DispatchObject {
public:
    explicit Inspectors(ServerState& state) : DispatchObject(state, "Inspectors", Members) {}

private:
    enum : DISPID { ItemId = DISPID_VALUE, CountId = 1 };
    static constexpr DispatchMember Members[] = {{L"Item", ItemId}, {L"Count", CountId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        if (id == CountId)
            return count(call);
        return item(call);
    }

    // Counted at each call, never remembered: windows come and go between calls.
    HRESULT count(const DispatchCall& call) {
        const auto windows = static_cast<long>(state_.itemWindows().size());
        logEvent("get Count = " + std::to_string(windows));
        if (call.result) {
            call.result->vt = VT_I4;
            call.result->lVal = windows;
        }
        return S_OK;
    }

    // The log names the argument's VARIANT type ("Item(1) vt=2"): Outlook's
    // Index is an Integer, and a test holds the importer to sending one.
    HRESULT item(const DispatchCall& call) {
        IntegerArgument position;
        if (const HRESULT hr = integerArgument(call, 0, position); FAILED(hr))
            return hr;
        logEvent("Item(" + std::to_string(position.value) +
                 ") vt=" + std::to_string(position.type));
        const auto& windows = state_.itemWindows();
        if (position.value < 1 || static_cast<size_t>(position.value) > windows.size())
            return raiseOutlookError(call, L"Array index out of bounds.", DISP_E_BADINDEX);
        return returnObject(call, makeComObject<Inspector>(
                                      state_, windows[static_cast<size_t>(position.value - 1)]));
    }
};

class Application final : public DispatchObject {
public:
    explicit Application(ServerState& state) : DispatchObject(state, "Application", Members) {
        logEvent("create Application");
        state_.application = this;
        // Weak, so that the running object table alone does not keep the
        // server alive once every client has let go.
        RegisterActiveObject(this, StandInClsid, ACTIVEOBJECT_WEAK, &state_.activeObjectCookie);
    }

    ~Application() override {
        state_.application = nullptr;
        if (state_.activeObjectCookie != 0)
            RevokeActiveObject(state_.activeObjectCookie, nullptr);
        state_.activeObjectCookie = 0;
    }

private:
    enum : DISPID { InspectorsId = 1, SessionId, GetNamespaceId, VersionId };
    static constexpr DispatchMember Members[] = {{L"Inspectors", InspectorsId},
                                                 {L"Session", SessionId},
                                                 {L"GetNamespace", GetNamespaceId},
                                                 {L"Version", VersionId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        switch (id) {
        case InspectorsId:
            logEvent("get Inspectors");
            return returnObject(call, makeComObject<Inspectors>(state_));
        case SessionId:
            logEvent("get Session");
            return returnObject(call, makeNameSpace(state_));
        case VersionId:
            logEvent("get Version");
            return returnText(call, readConfig().version);
        default:
            return getNamespace(call);
        }
    }

    // "MAPI" is the only kind Outlook has ever had.
    HRESULT getNamespace(const DispatchCall& call) {
        std::wstring kind;
        if (const HRESULT hr = textArgument(call, 0, kind); FAILED(hr))
            return hr;
        logEvent("GetNamespace(" + win32::toUtf8(kind) + ")");
        if (CompareStringOrdinal(kind.c_str(), -1, L"MAPI", -1, TRUE) != CSTR_EQUAL)
            return raiseOutlookError(call, L"The operation failed.", E_INVALIDARG);
        return returnObject(call, makeNameSpace(state_));
    }
};

} // namespace

STDMETHODIMP ApplicationFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    state_.touch();
    // Outlook is a single instance: every client reaches the same Application.
    if (state_.application)
        return state_.application->QueryInterface(iid, out);
    return makeComObject<Application>(state_)->QueryInterface(iid, out);
}

STDMETHODIMP ApplicationFactory::LockServer(BOOL lock) {
    state_.lockServer(lock != FALSE);
    return S_OK;
}

} // namespace quorvane::standin

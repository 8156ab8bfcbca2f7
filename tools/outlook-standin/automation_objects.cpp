#include "automation_objects.h"

#include "config.h"
#include "dispatch_object.h"
#include "event_log.h"

#include <oleauto.h>

#include <memory>
#include <string>

namespace quorvane::standin {
namespace {

class ContactItem final : public DispatchObject {
public:
    ContactItem(ServerState& state, std::wstring path, bool failSave)
        : DispatchObject(state, "ContactItem", kMembers), path_(std::move(path)),
          failSave_(failSave) {}

private:
    enum : DISPID { kSave = 1 };
    static constexpr DispatchMember kMembers[] = {{L"Save", kSave}};

    HRESULT invokeMember(DISPID, const DispatchCall& call) override {
        if (failSave_ || readConfig().failSave) {
            logEvent("fail Save", path_);
            return raiseOutlookError(call, L"The contact could not be saved.", E_FAIL);
        }
        logEvent("Save", path_);
        recordSaved(path_);
        return S_OK;
    }

    // The item outlives its window: Outlook lets a caller save after Close.
    std::wstring path_;
    bool failSave_;
};

class Inspector final : public DispatchObject {
public:
    Inspector(ServerState& state, std::shared_ptr<ItemWindow> window)
        : DispatchObject(state, "Inspector", kMembers), window_(std::move(window)) {}

private:
    enum : DISPID { kCurrentItem = 1, kClose = 2 };
    static constexpr DispatchMember kMembers[] = {{L"CurrentItem", kCurrentItem},
                                                  {L"Close", kClose}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        if (id == kCurrentItem)
            return currentItem(call);
        return close(call);
    }

    HRESULT currentItem(const DispatchCall& call) {
        logEvent("get CurrentItem", window_->path);
        return returnObject(call, new ContactItem(state_, window_->path, window_->failSave));
    }

    HRESULT close(const DispatchCall& call) {
        long mode = 0;
        if (const HRESULT hr = integerArgument(call, 0, mode); FAILED(hr))
            return hr;
        if (!window_->hwnd)
            return raiseOutlookError(call, L"The item window is already closed.", E_FAIL);
        if (window_->failClose || readConfig().failClose) {
            logEvent("fail Close", window_->path);
            return raiseOutlookError(call, L"The item window could not be closed.", E_FAIL);
        }
        logEvent("Close(" + std::to_string(mode) + ")", window_->path);
        DestroyWindow(window_->hwnd);
        return S_OK;
    }

    std::shared_ptr<ItemWindow> window_;
};

class Inspectors final : public DispatchObject {
public:
    explicit Inspectors(ServerState& state) : DispatchObject(state, "Inspectors", kMembers) {}

private:
    enum : DISPID { kItem = DISPID_VALUE, kCount = 1 };
    static constexpr DispatchMember kMembers[] = {{L"Item", kItem}, {L"Count", kCount}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        if (id == kCount)
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

    HRESULT item(const DispatchCall& call) {
        long position = 0;
        if (const HRESULT hr = integerArgument(call, 0, position); FAILED(hr))
            return hr;
        logEvent("Item(" + std::to_string(position) + ")");
        const auto& windows = state_.itemWindows();
        if (position < 1 || static_cast<size_t>(position) > windows.size())
            return raiseOutlookError(call, L"Array index out of bounds.", DISP_E_BADINDEX);
        return returnObject(call,
                            new Inspector(state_, windows[static_cast<size_t>(position - 1)]));
    }
};

class Application final : public DispatchObject {
public:
    explicit Application(ServerState& state) : DispatchObject(state, "Application", kMembers) {
        logEvent("create Application");
        state_.application = this;
        // Weak, so that the running object table alone does not keep the
        // server alive once every client has let go.
        RegisterActiveObject(this, kStandInClsid, ACTIVEOBJECT_WEAK, &state_.activeObjectCookie);
    }

    ~Application() override {
        state_.application = nullptr;
        if (state_.activeObjectCookie != 0)
            RevokeActiveObject(state_.activeObjectCookie, nullptr);
        state_.activeObjectCookie = 0;
    }

private:
    enum : DISPID { kInspectors = 1 };
    static constexpr DispatchMember kMembers[] = {{L"Inspectors", kInspectors}};

    HRESULT invokeMember(DISPID, const DispatchCall& call) override {
        logEvent("get Inspectors");
        return returnObject(call, new Inspectors(state_));
    }
};

} // namespace

STDMETHODIMP ApplicationFactory::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
}

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
    auto* application = new Application(state_);
    const HRESULT hr = application->QueryInterface(iid, out);
    application->Release();
    return hr;
}

STDMETHODIMP ApplicationFactory::LockServer(BOOL lock) {
    state_.lockServer(lock != FALSE);
    return S_OK;
}

} // namespace quorvane::standin

#pragma once
// Stands in for a COM class within this process while it lives: COM looks at
// the classes a process registered before it looks at the registry, so the
// program's own CoCreateInstance reaches what the test decides, a recording
// object or a refusal.

#include "platform/win32/com_object.h"

#include <windows.h>

#include <functional>
#include <utility>

namespace quorvane::win32 {

class ScopedClassOverride {
public:
    // `create` answers every CoCreateInstance of the class: an object for the
    // interface asked for, or a failure.
    using Creator = std::function<HRESULT(REFIID iid, void** out)>;

    ScopedClassOverride(REFCLSID classId, Creator create)
        : factory_(makeComObject<Factory>(std::move(create))) {
        if (FAILED(CoRegisterClassObject(classId, factory_.Get(), CLSCTX_INPROC_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie_)))
            cookie_ = 0;
    }
    ~ScopedClassOverride() {
        if (cookie_)
            CoRevokeClassObject(cookie_);
    }
    ScopedClassOverride(const ScopedClassOverride&) = delete;
    ScopedClassOverride& operator=(const ScopedClassOverride&) = delete;

    bool registered() const { return cookie_ != 0; }

private:
    class Factory final : public ComObject<IClassFactory> {
    public:
        explicit Factory(Creator create) : create_(std::move(create)) {}
        HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            if (outer)
                return CLASS_E_NOAGGREGATION;
            return create_(iid, out);
        }
        HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    private:
        Creator create_;
    };

    Microsoft::WRL::ComPtr<Factory> factory_;
    DWORD cookie_ = 0;
};

} // namespace quorvane::win32

#pragma once
// IUnknown, written once. A COM object of ours names the interfaces it
// implements and writes their methods; QueryInterface, AddRef and Release come
// from here:
//
//     class DropTarget final : public ComObject<IDropTarget> { ... };
//     ComPtr<DropTarget> target = makeComObject<DropTarget>(handler);
//
// Objects live on the heap and die at their last Release, so their destructor
// is the place for anything that must happen then. The count is atomic: COM
// may call AddRef and Release from another thread (the drag loop, RPC).

#include <windows.h>

#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <utility>

namespace quorvane::win32 {

template <typename... Interfaces> class ComObject : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) final {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        // IUnknown's identity must be the same pointer whichever interface is
        // asked for it, so it is always the first interface's.
        if (iid == __uuidof(IUnknown))
            *out = static_cast<IUnknown*>(static_cast<First*>(this));
        else
            (findInterface<Interfaces>(iid, out) || ...);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() final { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() final {
        const ULONG remaining = --references_;
        if (remaining == 0)
            delete this;
        return remaining;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    template <typename First, typename...> struct FirstOf { using Type = First; };
    using First = typename FirstOf<Interfaces...>::Type;

    template <typename Interface> bool findInterface(REFIID iid, void** out) {
        if (iid != __uuidof(Interface))
            return false;
        *out = static_cast<Interface*>(this);
        return true;
    }

    std::atomic<ULONG> references_{1};
};

// Creates a COM object with its one first reference, owned by the result.
// The reference is handed over through the pointer itself: mingw-w64's
// ComPtr::Attach adds a reference of its own (the Windows SDK's does not),
// which would keep every object alive for good.
template <typename Object, typename... Arguments>
Microsoft::WRL::ComPtr<Object> makeComObject(Arguments&&... arguments) {
    Microsoft::WRL::ComPtr<Object> object;
    *object.ReleaseAndGetAddressOf() = new Object(std::forward<Arguments>(arguments)...);
    return object;
}

// The body of a COM method that allocates. No exception may cross into COM's
// caller: running out of memory answers E_OUTOFMEMORY, any other failure
// E_UNEXPECTED.
template <typename Body> HRESULT guardedComCall(Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace quorvane::win32

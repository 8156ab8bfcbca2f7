#pragma once
// A thread's membership of COM for one scope. OLE (drag and drop, the
// clipboard, the shell's folder browser) needs OleInitialize on top of COM;
// the stand-in Outlook and plain COM clients need only CoInitializeEx. The
// scope leaves only if it joined, so a refused join (a thread already in the
// other kind of apartment) does not unbalance the thread's count.

#include <objbase.h>
#include <ole2.h>

namespace quorvane::win32 {

class ComApartment {
public:
    enum class Kind { SingleThreaded, MultiThreaded, Ole };

    explicit ComApartment(Kind kind = Kind::SingleThreaded) : kind_(kind), result_(join(kind)) {}
    ~ComApartment() {
        if (!joined())
            return;
        if (kind_ == Kind::Ole)
            OleUninitialize();
        else
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool joined() const { return SUCCEEDED(result_); }
    HRESULT result() const { return result_; }

private:
    static HRESULT join(Kind kind) {
        switch (kind) {
        case Kind::Ole:
            return OleInitialize(nullptr);
        case Kind::MultiThreaded:
            return CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        default:
            return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        }
    }

    Kind kind_;
    HRESULT result_;
};

} // namespace quorvane::win32

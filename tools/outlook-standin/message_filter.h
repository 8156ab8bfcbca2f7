#pragma once
// Makes the stand-in turn calls away while it "is busy" after a /v request,
// the way Outlook does while it loads an item. On Windows the caller's COM
// sees SERVERCALL_RETRYLATER and either retries (if the caller's own message
// filter asks) or fails the call with RPC_E_CALL_REJECTED.
//
// Wine 8 does call this filter, but treats SERVERCALL_RETRYLATER as "handled"
// and dispatches the call anyway. So DispatchObject::Invoke checks the same
// busy state and fails with RPC_E_SERVERCALL_RETRYLATER itself: under Wine the
// caller sees that code; on Windows Invoke is never reached while busy. The
// filter alone writes the "reject busy" line, so there is one per call either way.

#include "server_state.h"

#include "platform/win32/com_object.h"

#include <objidl.h>

namespace quorvane::standin {

// Registered with CoRegisterMessageFilter for the server's lifetime.
class BusyMessageFilter final : public win32::ComObject<IMessageFilter> {
public:
    explicit BusyMessageFilter(ServerState& state) : state_(state) {}

    STDMETHODIMP_(DWORD)
    HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                       LPINTERFACEINFO info) override;
    STDMETHODIMP_(DWORD)
    RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
    STDMETHODIMP_(DWORD) MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

private:
    ServerState& state_;
};

} // namespace quorvane::standin

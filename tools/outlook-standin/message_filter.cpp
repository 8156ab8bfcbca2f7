#include "message_filter.h"

#include "event_log.h"

namespace quorvane::standin {

namespace {

// IDispatch::Invoke's place in the interface (after IUnknown's three methods,
// GetTypeInfoCount, GetTypeInfo and GetIDsOfNames).
constexpr WORD InvokeMethod = 6;

bool isInvoke(const INTERFACEINFO* info) {
    return info && info->iid == IID_IDispatch && info->wMethod == InvokeMethod;
}

} // namespace

// Only Invoke is turned away: name lookups and reference counting pass, so
// exactly the calls that do something are rejected, one log line each.
STDMETHODIMP_(DWORD)
BusyMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) {
    if (!state_.isBusy() || !isInvoke(info))
        return SERVERCALL_ISHANDLED;
    logEvent("reject busy");
    return SERVERCALL_RETRYLATER;
}

// The server makes no outgoing calls of its own; these answer the defaults.
STDMETHODIMP_(DWORD) BusyMessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD) {
    return static_cast<DWORD>(-1);
}

STDMETHODIMP_(DWORD) BusyMessageFilter::MessagePending(HTASK, DWORD, DWORD) {
    return PENDINGMSG_WAITDEFPROCESS;
}

} // namespace quorvane::standin

#include "platform/win32/message_filter.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

#include <atomic>
#include <utility>

namespace quorvane::win32 {

using Microsoft::WRL::ComPtr;

namespace {

// COM asks the filter, on the calling thread, what to do with a call the
// server rejected and with messages that arrive while a call is out.
class BusyRetryFilter final : public ComObject<IMessageFilter> {
public:
    explicit BusyRetryFilter(std::chrono::milliseconds retryWindow)
        : retryWindowMs_(static_cast<DWORD>(retryWindow.count())) {}

    // The client hosts no objects Outlook would call, so anything incoming is
    // simply let through.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }

    // elapsedMs counts from the moment the call was first made.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
        const bool busy = rejectType == SERVERCALL_RETRYLATER || rejectType == SERVERCALL_REJECTED;
        if (busy && elapsedMs < retryWindowMs_)
            return static_cast<DWORD>(BusyRetryPause.count());
        return static_cast<DWORD>(-1);
    }

    // Lets paint and window activation through so the window does not look
    // hung while Outlook thinks; input waits until the call is over.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }

private:
    DWORD retryWindowMs_;
};

} // namespace

bool isBusyRejection(HRESULT result) {
    return result == RPC_E_CALL_REJECTED || result == RPC_E_SERVERCALL_RETRYLATER;
}

void waitKeepingWindowsPainted(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            return;
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(remaining.count()),
                                    QS_PAINT | QS_SENDMESSAGE, 0);
        // PeekMessage answers sent messages on its own; only WM_PAINT is taken
        // from the queue, so input and posted messages stay where they are.
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

ComPtr<IMessageFilter> makeBusyRetryFilter(std::chrono::milliseconds retryWindow) {
    return makeComObject<BusyRetryFilter>(retryWindow);
}

Outcome<ScopedMessageFilter> ScopedMessageFilter::install(std::chrono::milliseconds retryWindow) {
    const ComPtr<IMessageFilter> filter = makeBusyRetryFilter(retryWindow);
    ComPtr<IMessageFilter> previous;
    const HRESULT result = CoRegisterMessageFilter(filter.Get(), previous.GetAddressOf());
    if (FAILED(result))
        return Failure{systemMessage(static_cast<unsigned long>(result))};
    return ScopedMessageFilter(std::move(previous));
}

ScopedMessageFilter::ScopedMessageFilter(ComPtr<IMessageFilter> previous)
    : previous_(std::move(previous)) {}

ScopedMessageFilter::ScopedMessageFilter(ScopedMessageFilter&& other) noexcept
    : previous_(std::move(other.previous_)), registered_(std::exchange(other.registered_, false)) {}

ScopedMessageFilter::~ScopedMessageFilter() {
    if (!registered_)
        return;
    // COM hands back our own filter here; the ComPtr releases it.
    ComPtr<IMessageFilter> ours;
    CoRegisterMessageFilter(previous_.Get(), ours.GetAddressOf());
}

} // namespace quorvane::win32

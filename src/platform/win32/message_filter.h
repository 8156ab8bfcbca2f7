#pragma once
// Outlook turns calls away while it is busy (a dialog is up, it is starting,
// it is saving). Rather than fail an import over that, calls are retried
// quietly for a while, and the program's own windows keep painting meanwhile.

#include "base/outcome.h"

#include <windows.h>

#include <objidl.h>
#include <wrl/client.h>

#include <chrono>

namespace quorvane::win32 {

// How long a call a busy server rejects keeps being retried, counted from the
// call's first attempt, and the pause between attempts.
inline constexpr std::chrono::milliseconds BusyRetryWindow{30'000};
inline constexpr std::chrono::milliseconds BusyRetryPause{150};

// True for the answers a busy server gives instead of running a call.
bool isBusyRejection(HRESULT result);

// Sleeps for `duration` while the thread's windows still repaint and messages
// sent to them are answered. User input stays queued until the wait is over,
// so nothing the user does can re-enter the program in the middle of a call.
void waitKeepingWindowsPainted(std::chrono::milliseconds duration);

// The filter itself: retries calls rejected as busy until `retryWindow` has
// passed since the call began, then cancels them (the call then fails with
// RPC_E_CALL_REJECTED).
Microsoft::WRL::ComPtr<IMessageFilter>
makeBusyRetryFilter(std::chrono::milliseconds retryWindow = BusyRetryWindow);

// Registers the busy-retry filter for the calling thread, which must be a
// single-threaded apartment (the UI thread), and puts back whatever filter was
// there before when destroyed.
class ScopedMessageFilter {
public:
    static Outcome<ScopedMessageFilter>
    install(std::chrono::milliseconds retryWindow = BusyRetryWindow);

    ScopedMessageFilter(ScopedMessageFilter&& other) noexcept;
    ScopedMessageFilter& operator=(ScopedMessageFilter&&) = delete;
    ScopedMessageFilter(const ScopedMessageFilter&) = delete;
    ScopedMessageFilter& operator=(const ScopedMessageFilter&) = delete;
    ~ScopedMessageFilter();

private:
    explicit ScopedMessageFilter(Microsoft::WRL::ComPtr<IMessageFilter> previous);

    Microsoft::WRL::ComPtr<IMessageFilter> previous_;
    bool registered_ = true;
};

} // namespace quorvane::win32

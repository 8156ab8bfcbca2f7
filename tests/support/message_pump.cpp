#include "support/message_pump.h"

#include <windows.h>

namespace quorvane::test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void pumpFor(milliseconds duration) {
    const auto until = Clock::now() + duration;
    for (;;) {
        pump();
        const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now());
        if (left <= milliseconds::zero())
            return;
        // Wakes as soon as a message arrives, so nothing waits for the rest
        // of the period.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

bool waitUntil(const std::function<bool()>& condition, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        pumpFor(milliseconds(20));
    }
    return true;
}

} // namespace quorvane::test

#pragma once
// How long the user-interface thread goes without handling its messages while
// a command runs on it. A second thread keeps one message waiting for a
// window of this thread at all times; the times at which the waiting message
// is handled are the times the thread pumped, whoever pumped it (the command's
// own yields included).

#include "platform/win32/window_base.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quorvane::bench {

struct PumpGaps {
    std::chrono::duration<double, std::milli> longest{};
    std::size_t pumps = 0;
};

class PumpGapMeter final : private win32::WindowBase {
public:
    PumpGapMeter();
    ~PumpGapMeter() override;

    // Call on the thread that created the meter; stop() counts the stretch
    // from the last pump to the stop as a gap too.
    void start();
    PumpGaps stop();

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void pumped();
    void ping(HWND window);
    std::atomic<bool> waiting_{false};
    std::atomic<bool> measuring_{false};
    std::atomic<bool> quit_{false};
    std::chrono::steady_clock::time_point last_;
    PumpGaps gaps_;
    std::thread pinger_;
};

} // namespace quorvane::bench

#include "pump_gaps.h"

#include <algorithm>

namespace quorvane::bench {

namespace {

constexpr wchar_t MeterClass[] = L"QuorvaneBenchPumpMeter";
constexpr UINT PingMessage = WM_APP + 0x70;
// The meter's resolution; much finer than the 50 ms a user would notice.
constexpr DWORD PingPeriodMs = 2;

} // namespace

PumpGapMeter::PumpGapMeter() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    win32::registerWindowClass(windowClass(instance, MeterClass));
    HWND window =
        createWindow({.className = MeterClass, .parent = HWND_MESSAGE, .instance = instance});
    pinger_ = std::thread([this, window] { ping(window); });
}

// The pinger goes first: the window it posts to goes with the base.
PumpGapMeter::~PumpGapMeter() {
    quit_ = true;
    pinger_.join();
}

void PumpGapMeter::start() {
    gaps_ = {};
    last_ = std::chrono::steady_clock::now();
    measuring_ = true;
}

PumpGaps PumpGapMeter::stop() {
    pumped();
    measuring_ = false;
    return gaps_;
}

LRESULT PumpGapMeter::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != PingMessage)
        return defaultHandling(message, wParam, lParam);
    pumped();
    waiting_ = false;
    return 0;
}

void PumpGapMeter::pumped() {
    if (!measuring_)
        return;
    const auto now = std::chrono::steady_clock::now();
    gaps_.longest = std::max<std::chrono::duration<double, std::milli>>(gaps_.longest, now - last_);
    ++gaps_.pumps;
    last_ = now;
}

void PumpGapMeter::ping(HWND window) {
    while (!quit_) {
        if (!waiting_.exchange(true))
            PostMessageW(window, PingMessage, 0, 0);
        Sleep(PingPeriodMs);
    }
}

} // namespace quorvane::bench

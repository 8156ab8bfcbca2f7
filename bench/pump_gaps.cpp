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
    WNDCLASSEXW meterClass{};
    meterClass.cbSize = sizeof meterClass;
    meterClass.lpfnWndProc = windowProc;
    meterClass.hInstance = GetModuleHandleW(nullptr);
    meterClass.lpszClassName = MeterClass;
    RegisterClassExW(&meterClass);
    window_ = CreateWindowExW(0, MeterClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              meterClass.hInstance, this);
    pinger_ = std::thread([this] { ping(); });
}

PumpGapMeter::~PumpGapMeter() {
    quit_ = true;
    pinger_.join();
    DestroyWindow(window_);
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

LRESULT CALLBACK PumpGapMeter::windowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<PumpGapMeter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != PingMessage || !self)
        return DefWindowProcW(window, message, wParam, lParam);
    self->pumped();
    self->waiting_ = false;
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

void PumpGapMeter::ping() {
    while (!quit_) {
        if (!waiting_.exchange(true))
            PostMessageW(window_, PingMessage, 0, 0);
        Sleep(PingPeriodMs);
    }
}

} // namespace quorvane::bench

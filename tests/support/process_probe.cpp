#include "support/process_probe.h"

#include "platform/win32/scoped_handles.h"

#include <psapi.h>

namespace quorvane::test {

ResponsivenessProbe::ResponsivenessProbe(HWND window, std::chrono::milliseconds period)
    : thread_([this, window, period] { run(window, period); }) {}

ResponsivenessProbe::~ResponsivenessProbe() {
    stop_ = true;
    thread_.join();
}

void ResponsivenessProbe::run(HWND window, std::chrono::milliseconds period) {
    using Clock = std::chrono::steady_clock;
    // Long enough to measure any real stall, short enough to notice a hang.
    constexpr UINT HangLimitMs = 30000;
    while (!stop_ && IsWindow(window)) {
        const auto sent = Clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, HangLimitMs, &result);
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
        if (waited > longestMs_)
            longestMs_ = waited;
        ++samples_;
        Sleep(static_cast<DWORD>(period.count()));
    }
}

MemorySample memoryOf(DWORD processId) {
    const win32::ScopedHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        return {};
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return {};
    return {static_cast<std::int64_t>(counters.PrivateUsage),
            static_cast<std::int64_t>(counters.WorkingSetSize),
            static_cast<std::int64_t>(counters.PeakWorkingSetSize)};
}

} // namespace quorvane::test

#pragma once
// The process's own memory figures, for before-and-after deltas. Wine 8
// reports no private bytes (always zero); its working set is the Unix
// process's resident pages, which is the figure to read there. Both include
// whatever the C runtime's heap keeps for reuse.

#include <windows.h>

#include <psapi.h>

#include <cstdint>

namespace quorvane::bench {

struct MemoryFigures {
    std::int64_t privateBytes = 0;
    std::int64_t workingSet = 0;
    std::int64_t peakWorkingSet = 0;
};

inline MemoryFigures currentMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return {static_cast<std::int64_t>(counters.PrivateUsage),
            static_cast<std::int64_t>(counters.WorkingSetSize),
            static_cast<std::int64_t>(counters.PeakWorkingSetSize)};
}

} // namespace quorvane::bench

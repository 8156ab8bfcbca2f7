#pragma once
// Watches another process from outside: how long its window keeps messages
// waiting, and how much private memory it holds.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace quorvane::test {

// Sends WM_NULL to the window every period from a thread of its own and keeps
// the longest time one went unanswered: what a person would feel as "not
// responding", from the inside of a long run.
class ResponsivenessProbe {
public:
    explicit ResponsivenessProbe(HWND window,
                                 std::chrono::milliseconds period = std::chrono::milliseconds(100));
    ~ResponsivenessProbe();
    ResponsivenessProbe(const ResponsivenessProbe&) = delete;
    ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

    std::chrono::milliseconds longestWait() const {
        return std::chrono::milliseconds(longestMs_.load());
    }
    long samples() const { return samples_.load(); }

private:
    void run(HWND window, std::chrono::milliseconds period);

    std::atomic<bool> stop_{false};
    std::atomic<std::int64_t> longestMs_{0};
    std::atomic<long> samples_{0};
    std::thread thread_;
};

struct MemorySample {
    std::int64_t privateBytes = 0;   // commit charge; Wine reports 0 for other processes
    std::int64_t workingSet = 0;     // resident pages
    std::int64_t peakWorkingSet = 0; // the most resident pages the process has had
    // What to compare over time: private bytes where the system gives them.
    std::int64_t measure() const { return privateBytes > 0 ? privateBytes : workingSet; }
};

// Zero figures if the process cannot be read. Under Wine a process's working
// set is the Unix process's resident pages, the figure to read there; both
// figures include whatever the C runtime's heap keeps for reuse.
MemorySample memoryOf(DWORD processId);
inline MemorySample ownMemory() {
    return memoryOf(GetCurrentProcessId());
}

} // namespace quorvane::test

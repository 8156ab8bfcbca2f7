#include "random_faults.h"

#include "event_log.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace quorvane::standin {
namespace {

constexpr DWORD SlowOpenMinMs = 2000;
constexpr DWORD SlowOpenSpanMs = 2000; // slow opens take 2 to 4 seconds
constexpr DWORD BusySpellMs = 500;
constexpr DWORD VanishShare = 10; // one vanish in ten draws of the chance

// SplitMix64: small, well mixed, and the same on every compiler, which a
// replayable seed needs (std::uniform_int_distribution is not).
class FaultDice {
public:
    FaultDice(DWORD seed, DWORD requestNumber)
        : state_((std::uint64_t{seed} << 32) | requestNumber) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    bool chance(DWORD percent) { return next() % 100 < percent; }
    DWORD below(DWORD bound) { return static_cast<DWORD>(next() % bound); }

private:
    std::uint64_t state_;
};

DWORD takeRequestNumber() {
    DWORD number = 0;
    DWORD size = sizeof number;
    RegGetValueW(HKEY_CURRENT_USER, ConfigKey, L"FaultRequests", RRF_RT_REG_DWORD, nullptr, &number,
                 &size);
    const DWORD next = number + 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, ConfigKey, L"FaultRequests", REG_DWORD, &next, sizeof next);
    return number;
}

} // namespace

DrawnFaults drawFaults(DWORD seed, DWORD percent, DWORD requestNumber) {
    FaultDice dice(seed, requestNumber);
    DrawnFaults faults;
    // Every kind is always drawn, in a fixed order, so the chance of one kind
    // never shifts the draws of the others.
    const bool slow = dice.chance(percent);
    const DWORD slowBy = SlowOpenMinMs + dice.below(SlowOpenSpanMs + 1);
    faults.openDelayMs = slow ? slowBy : 0;
    faults.neverOpen = dice.chance(percent);
    faults.twoWindows = dice.chance(percent);
    faults.failSave = dice.chance(percent);
    faults.failClose = dice.chance(percent);
    faults.busyMs = dice.chance(percent) ? BusySpellMs : 0;
    faults.failOpen = dice.chance(percent);
    faults.failMove = dice.chance(percent);
    // A crash costs a restart of Outlook (a second under Wine) and is rare
    // in life too.
    const bool vanishChance = dice.chance(percent);
    const bool vanishShare = dice.below(VanishShare) == 0;
    faults.vanish = vanishChance && vanishShare;
    faults.failTable = dice.chance(percent);
    faults.failFind = dice.chance(percent);
    faults.failDelete = dice.chance(percent);
    return faults;
}

std::optional<DrawnFaults> drawFaultsForNextRequest(const StandInConfig& config) {
    if (!config.faultSeed || config.faultPercent == 0)
        return std::nullopt;
    return drawFaults(*config.faultSeed, config.faultPercent, takeRequestNumber());
}

Request takeRequest() {
    const StandInConfig config = readConfig();
    return {config, drawFaultsForNextRequest(config).value_or(DrawnFaults{})};
}

Request takeFileRequest(ServerState& state, FileRequest kind, std::wstring_view path) {
    logEvent(kind == FileRequest::Launch ? "launch" : "OpenSharedItem", path);
    const Request request = takeRequest();
    const DrawnFaults& f = request.drawn;
    if (kind == FileRequest::Launch)
        logDrawn({{"slow", f.openDelayMs > 0},
                  {"never", f.neverOpen},
                  {"two", f.twoWindows},
                  {"save", f.failSave},
                  {"close", f.failClose},
                  {"busy", f.busyMs > 0}},
                 path);
    else
        logDrawn({{"open", f.failOpen},
                  {"save", f.failSave},
                  {"move", f.failMove},
                  {"busy", f.busyMs > 0},
                  {"vanish", f.vanish}},
                 path);
    if (request.config.busyMs > 0 || f.busyMs > 0)
        state.startBusy(std::max(request.config.busyMs, f.busyMs));
    return request;
}

void logDrawn(std::initializer_list<std::pair<const char*, bool>> faults,
              std::wstring_view subject) {
    for (const auto& [name, drawn] : faults)
        if (drawn)
            logEvent(std::string("fault ") + name, subject);
}

} // namespace quorvane::standin

#pragma once
// Random misbehaviour for long unattended runs: with FaultSeed and
// FaultPercent set, every request (a /v launch, or an OpenSharedItem of the
// import without windows) draws its own faults from the seed and its request
// number, so a run that found a fault can be replayed exactly. GetTable and
// GetItemFromID are requests too. A launch acts
// on the window faults, an OpenSharedItem on the session faults; Save and
// busy serve both.
// The request number lives in the registry (FaultRequests) rather than in the
// process: the server may exit when idle and a fresh one must go on counting.

#include "config.h"
#include "server_state.h"

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

namespace quorvane::standin {

// What one request does wrong; all false/zero is a well-behaved request.
struct DrawnFaults {
    DWORD openDelayMs = 0; // slow: the window opens this late
    bool neverOpen = false;
    bool twoWindows = false;
    bool failSave = false;
    bool failClose = false;
    DWORD busyMs = 0; // calls are rejected this long after the request
    // The session's own, drawn after the others so that adding them left
    // every earlier seed's window faults as they were.
    bool failOpen = false;
    bool failMove = false;
    bool vanish = false; // the process ends at the contact's Save (a tenth of the chance)
    // Those of reading a folder and taking items back, drawn last for the
    // same reason; each GetTable or GetItemFromID is a request of its own,
    // and a found item's Delete fails by its request's draw.
    bool failTable = false;
    bool failFind = false;
    bool failDelete = false;
};

// Pure: the same seed, percent and request number give the same faults.
// Each kind is drawn on its own with the given chance, in percent.
DrawnFaults drawFaults(DWORD seed, DWORD percent, DWORD requestNumber);

// Counts this request in the registry and draws its faults; nothing when the
// random mode is off (no FaultSeed or a FaultPercent of 0).
std::optional<DrawnFaults> drawFaultsForNextRequest(const StandInConfig& config);

// One request as it arrives: the switches read afresh and its own faults
// drawn (none when the random mode is off).
struct Request {
    StandInConfig config;
    DrawnFaults drawn;
};
Request takeRequest();

// A launch acts on the window faults, an OpenSharedItem on the session ones.
enum class FileRequest { Launch, OpenSharedItem };

// The same for a request that names a file: logged as "launch <path>" or
// "OpenSharedItem <path>", then a "fault <kind> <path>" line for each drawn
// fault that can act on it, and the server busy for as long as the switches
// or the draw ask.
Request takeFileRequest(ServerState& state, FileRequest kind, std::wstring_view path);

// Writes "fault <name> <subject>" for each fault that was drawn, in order.
void logDrawn(std::initializer_list<std::pair<const char*, bool>> faults,
              std::wstring_view subject);

} // namespace quorvane::standin

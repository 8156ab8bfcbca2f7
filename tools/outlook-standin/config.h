#pragma once
// How a test asks the stand-in to misbehave. The values live in the registry,
// not the environment: on Windows a server that COM starts does not inherit
// its client's environment. They are read afresh at every operation so a test
// can change them while one server process serves many cases.

#include "standin_names.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quorvane::standin {

struct StandInConfig {
    DWORD openDelayMs = 0;    // OpenDelayMs: time from a /v request to its window
    bool neverOpen = false;   // NeverOpen: /v requests are logged and then ignored
    DWORD windowsPerOpen = 1; // WindowsPerOpen: item windows opened per request
    bool failSave = false;    // FailSave
    bool failClose = false;   // FailClose
    DWORD busyMs = 0;         // BusyMs: calls are rejected this long after each request
    DWORD idleExitMs = 5000;  // IdleExitMs: how long an unused server lingers
    std::wstring logFile;     // LogFile: event log, empty for none
    std::wstring savedFile;   // SavedFile: one line per saved item, empty for none
    // FaultSeed and FaultPercent: random faults per /v request (random_faults.h).
    std::optional<DWORD> faultSeed;
    DWORD faultPercent = 0;
};

StandInConfig readConfig();

} // namespace quorvane::standin

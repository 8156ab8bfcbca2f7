#pragma once
// What the runs ask of the machine besides Outlook and the disk, as the unit
// tests give it: a Windows that stays the same.

#include "platform/import_lock.h"
#include "platform/regional_settings.h"
#include "platform/system_facts.h"

#include <string>

namespace quorvane::testing {

// Taken by another Quorvane while `heldElsewhere`.
class FakeImportLock final : public ImportLock {
public:
    bool heldElsewhere = false;
    bool held = false;
    bool tryTake() override { return held = !heldElsewhere; }
    void release() override { held = false; }
};

// A machine that stays the same, at a time that does.
class FakeSystemFacts final : public SystemFacts {
public:
    std::string windowsVersion() const override { return "Windows 10.0.19045"; }
    std::string outlookBitness() const override { return "64-bit"; }
    std::string localTimeStamp() const override { return "2026-12-08 14.03.27"; }
};

// A Windows set to English (United States): lists joined with ",".
class FakeRegionalSettings final : public RegionalSettings {
public:
    std::string separator = ",";
    std::string listSeparator() const override { return separator; }
};

} // namespace quorvane::testing

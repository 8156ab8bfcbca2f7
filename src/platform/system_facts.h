#pragma once
// What a report for support says of the machine it was made on, and the time
// a person reads on it.

#include <string>

namespace quorvane {

class SystemFacts {
public:
    virtual ~SystemFacts() = default;
    // "Windows 10.0.19045", as the system reports its own version.
    virtual std::string windowsVersion() const = 0;
    // "64-bit" or "32-bit": the installed Outlook's, when the system says;
    // empty when it does not.
    virtual std::string outlookBitness() const = 0;
    // Now in the user's local time, as a name may hold it: "2026-12-08 14.03.27".
    virtual std::string localTimeStamp() const = 0;
};

} // namespace quorvane

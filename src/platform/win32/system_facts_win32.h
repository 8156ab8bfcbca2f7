#pragma once
// The machine as Windows describes it.

#include "platform/system_facts.h"

namespace quorvane::win32 {

class Win32SystemFacts final : public SystemFacts {
public:
    std::string windowsVersion() const override;
    std::string outlookBitness() const override;
    std::string localTimeStamp() const override;
};

} // namespace quorvane::win32

#pragma once
// The user's regional settings as Windows keeps them (Control Panel, Region).

#include "platform/regional_settings.h"

namespace quorvane::win32 {

class Win32RegionalSettings final : public RegionalSettings {
public:
    std::string listSeparator() const override;
};

} // namespace quorvane::win32

#pragma once
// The per-user store of text values addressed by application, section and
// key. A value is written at once; nothing in the program reads one back.

#include "base/outcome.h"

#include <string_view>

namespace quorvane {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual Outcome<void> saveSetting(std::string_view application, std::string_view section,
                                      std::string_view key, std::string_view text) = 0;
};

} // namespace quorvane

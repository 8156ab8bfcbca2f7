#pragma once
// The per-user store of text values addressed by application, section and
// key. A value is written at once.

#include "base/outcome.h"

#include <map>
#include <string>
#include <string_view>

namespace quorvane {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual Outcome<void> saveSetting(std::string_view application, std::string_view section,
                                      std::string_view key, std::string_view text) = 0;
    // Every value of the section, by key; none when there is no section.
    virtual std::map<std::string, std::string> readSection(std::string_view application,
                                                           std::string_view section) = 0;
};

} // namespace quorvane

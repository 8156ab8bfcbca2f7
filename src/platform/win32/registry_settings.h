#pragma once
// Settings kept per user in the registry, one text value per key under
// <root>\<base path>\<application>\<section>.

#include "platform/settings_store.h"

#include <windows.h>

#include <string>
#include <utility>

namespace quorvane::win32 {

class RegistrySettingsStore final : public SettingsStore {
public:
    explicit RegistrySettingsStore(HKEY root = HKEY_CURRENT_USER, std::string basePath = "Software")
        : root_(root), basePath_(std::move(basePath)) {}

    Outcome<void> saveSetting(std::string_view application, std::string_view section,
                              std::string_view key, std::string_view text) override;
    std::map<std::string, std::string> readSection(std::string_view application,
                                                   std::string_view section) override;

private:
    HKEY root_;
    std::string basePath_;
};

} // namespace quorvane::win32

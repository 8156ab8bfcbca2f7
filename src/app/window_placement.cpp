#include "app/window_placement.h"

#include <array>
#include <charconv>
#include <cmath>
#include <functional>

namespace quorvane {

void CenterForm(MainWindowServices& window) {
    const TwipSize screen = window.screenSize();
    const TwipRect bounds = window.outerBounds();
    window.moveLeft((screen.width - bounds.width) / 2.0f);
    window.moveTop((screen.height - bounds.height) / 2.0f);
}

std::string TwipsAsText(float twips) {
    if (std::nearbyint(twips) == twips && std::fabs(twips) < 1e9f)
        return std::to_string(static_cast<long long>(twips));
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), twips);
    return std::string(buffer.data(), written.ptr);
}

Outcome<void> SaveWindowPlacement(MainWindowServices& window, SettingsStore& settings) {
    struct Key {
        std::string_view name;
        float TwipRect::*value;
    };
    constexpr std::array<Key, 4> keys{{{"Left", &TwipRect::left},
                                       {"Top", &TwipRect::top},
                                       {"Width", &TwipRect::width},
                                       {"Height", &TwipRect::height}}};
    for (const Key& key : keys) {
        if (window.state() != WindowState::Normal)
            continue;
        const float value = window.outerBounds().*key.value;
        auto written = settings.saveSetting(SettingsApplication, SettingsSection, key.name,
                                            TwipsAsText(value));
        if (!written)
            return written;
    }
    return Success();
}

} // namespace quorvane

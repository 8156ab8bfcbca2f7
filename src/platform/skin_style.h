#pragma once
// What a skin asks of the main window: colours and fonts for the window, the
// queue list, the toolbar and the progress bar. Every value is optional; what
// a skin leaves out keeps the window's own look.

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

// 0x00BBGGRR, or 0x800000nn for the system colour with index nn.
using Colour = std::uint32_t;
inline constexpr Colour ButtonFaceColour = 0x8000000F;
// The window's look without a skin.
inline constexpr Colour DesignBackgroundColour = 0x00FFFFFF;

constexpr bool IsSystemColour(Colour colour) {
    return (colour & 0x80000000u) != 0;
}

struct SkinFont {
    std::string face;
    double points = 0;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const SkinFont&, const SkinFont&) = default;
};

struct SkinPartStyle {
    std::optional<Colour> background;
    std::optional<Colour> text;
    std::optional<Colour> fill;     // the progress bar's done part
    std::optional<Colour> fillText; // text over the done part
    std::optional<SkinFont> font;
    friend bool operator==(const SkinPartStyle&, const SkinPartStyle&) = default;
};

struct SkinStyle {
    SkinPartStyle window; // background only
    SkinPartStyle list;
    SkinPartStyle toolbar;
    SkinPartStyle progress;
    friend bool operator==(const SkinStyle&, const SkinStyle&) = default;
};

} // namespace quorvane

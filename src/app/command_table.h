#pragma once
// The toolbar's five buttons, their pictures and the one button's menu, as
// data the Win32 bar is built from. Portable so the order rules are stated
// once, next to the IDs.

#include "app/commands.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace quorvane {

struct CommandMenuItem {
    CommandId id;
    std::string_view text;
    bool separatorBefore = false;
};

// The menu under Start Importing's arrow: the three ways to import the queue,
// then, set apart, taking the last import back and checking Outlook. The button's own command
// comes first and is the menu's default, so the menu reads as "this, or one
// of these".
inline constexpr std::array<CommandMenuItem, 5> StartImportingMenu{{
    {CommandId::Start, "Start Importing"},
    {CommandId::ImportWithoutWindows, "Import Without Windows"},
    {CommandId::ImportWithoutWindowsIntoFolder, "Import Without Windows Into Folder\u2026"},
    {CommandId::UndoLastImport, "Undo Last Import\u2026", true},
    {CommandId::CheckOutlook, "Check Outlook\u2026"},
}};

struct CommandButton {
    CommandId id;
    std::string_view caption;
    // A button with a menu is a split button: pressing it gives its own
    // command, its arrow opens the menu.
    std::span<const CommandMenuItem> menu = {};
};

// Bar order, left to right; the IDs do not follow it (Clear before Start).
inline constexpr std::array<CommandButton, 5> CommandBarButtons{{
    {CommandId::AddFiles, "Add VCF Files"},
    {CommandId::AddFolder, "Add Folder"},
    {CommandId::ClearList, "Clear File List"},
    {CommandId::Start, "Start Importing", StartImportingMenu},
    {CommandId::Help, "Help"},
}};

// The order the pictures are stored in the image list. A button finds its
// picture by its own ID through PictureIndex, never by its position.
inline constexpr std::array<CommandId, 5> PictureOrder{CommandId::ClearList, CommandId::Start,
                                                       CommandId::AddFolder, CommandId::AddFiles,
                                                       CommandId::Help};

constexpr std::optional<int> PictureIndex(CommandId id) {
    for (std::size_t i = 0; i < PictureOrder.size(); ++i)
        if (PictureOrder[i] == id)
            return static_cast<int>(i);
    return std::nullopt;
}

// The pictures are drawn for 48 px at 96 DPI and rendered at three sizes; a
// DPI gets the rendering nearest to 48 x DPI / 96 (ties take the larger), so
// nothing is scaled at 100, 150 and 200 percent.
inline constexpr std::array<int, 3> PictureSizes{48, 72, 96};

constexpr std::size_t PictureSizeStep(unsigned dpi) {
    const int wanted = static_cast<int>(48 * dpi / 96);
    std::size_t best = 0;
    for (std::size_t i = 1; i < PictureSizes.size(); ++i) {
        const int distance =
            PictureSizes[i] > wanted ? PictureSizes[i] - wanted : wanted - PictureSizes[i];
        const int bestDistance =
            PictureSizes[best] > wanted ? PictureSizes[best] - wanted : wanted - PictureSizes[best];
        if (distance <= bestDistance)
            best = i;
    }
    return best;
}

} // namespace quorvane

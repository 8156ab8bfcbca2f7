#pragma once
// Everything the program's logic needs of its one main window beyond what the
// long operations use.

#include "base/outcome.h"
#include "platform/run_window.h"
#include "platform/skin_style.h"

#include <optional>
#include <string_view>

namespace quorvane {

enum class WindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };

// Sizes and positions in twips (1/1440 inch), single precision.
struct TwipSize {
    float width = 0;
    float height = 0;
};

struct TwipRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

// A command bar that came up. Without its pictures it still works, with
// captions alone, and this says why they are missing.
struct CommandBarMade {
    std::optional<Failure> missingPictures;
};

class MainWindowServices : public RunWindow {
public:
    // Start-up steps, in the order the window loads.
    virtual void applySkin() = 0;
    // What a skin changes (see app/skin.h): the window's background, then the
    // look of the window and its controls. Called before the window is shown.
    virtual void setBackgroundColour(Colour colour) = 0;
    virtual void applySkinStyle(const SkinStyle& style) = 0;
    virtual TwipSize screenSize() const = 0;  // the whole primary screen
    virtual TwipRect outerBounds() const = 0; // frame included
    virtual void moveLeft(float leftTwips) = 0;
    virtual void moveTop(float topTwips) = 0;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void showApplicationIcon() = 0;
    virtual void addQueueColumn(std::string_view header) = 0;
    // Fails when there is no bar at all: the window then has no commands.
    virtual Outcome<CommandBarMade> createCommandBar() = 0;
    // Lets files be dropped on the queue list; fails with the system's reason.
    virtual Outcome<void> acceptDroppedFiles() = 0;

    // Read afresh at every call: the placement is written in normal state only.
    virtual WindowState state() const = 0;
};

} // namespace quorvane

#pragma once
// The shell's "open this program with these parameters" operation.

#include "base/outcome.h"
#include "platform/native_window.h"

#include <string>

namespace quorvane {

enum class ShowCommand : int { Normal = 1, Maximized = 3 };

struct ShellLaunch {
    NativeWindow owner = NativeWindow::None;
    std::string program;    // resolved by the shell, e.g. "outlook"
    std::string parameters; // passed unchanged
    std::string directory;  // working directory of the started program
    ShowCommand show = ShowCommand::Normal;
};

class ShellLauncher {
public:
    virtual ~ShellLauncher() = default;
    // Fails with the system's text when the shell could not start the program.
    virtual Outcome<void> launch(const ShellLaunch& request) = 0;
};

} // namespace quorvane

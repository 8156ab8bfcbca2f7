#pragma once
// Starts a program the way the Run box does, so "outlook" is found through
// App Paths like a user would find it.

#include "platform/shell_launcher.h"

namespace quorvane::win32 {

class Win32ShellLauncher final : public ShellLauncher {
public:
    Outcome<void> launch(const ShellLaunch& request) override;
};

} // namespace quorvane::win32

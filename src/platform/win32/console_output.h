#pragma once
// A script's output for a program built for the window: the file or pipe its
// standard output was sent to (a batch file's "> log.txt", PowerShell's pipe),
// else the console it was started from. Windows gives a program built for the
// window neither by itself.

#include "platform/script_output.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

namespace quorvane::win32 {

class ConsoleOutput final : public ScriptOutput {
public:
    ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Whether anything reads what is written: when not, a box says it instead.
    bool present() const { return target_ != nullptr; }
    void writeLine(std::string_view text) override;

private:
    HANDLE target_ = nullptr;  // the redirected output, or the console's screen
    ScopedFile consoleScreen_; // owned when it is the console's
    bool console_ = false;     // written as UTF-16 text rather than UTF-8 bytes
};

} // namespace quorvane::win32

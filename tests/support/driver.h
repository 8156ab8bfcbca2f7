#pragma once
// Drives a running quorvane.exe from outside, as a person (or a script) would:
// start it, hand it files, press its commands, read and answer its boxes.

#include "support/box_watch.h"

#include "app/commands.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quorvane::test {

// The variable's value, or empty when it is not set.
std::wstring environment(const wchar_t* name);

class Quorvane {
public:
    // Starts QUORVANE_EXE (with `arguments`, a command line after its name)
    // and waits for its main window; throws when none shows.
    explicit Quorvane(const std::wstring& arguments = {});
    ~Quorvane();
    Quorvane(const Quorvane&) = delete;
    Quorvane& operator=(const Quorvane&) = delete;

    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }

    void appendRows(const std::vector<std::wstring>& paths);
    // As the toolbar sends it; returns at once.
    void command(CommandId id);
    int rowCount() const;
    std::wstring progressText() const;
    double progressValue() const;

    // Answers every box the program shows until one whose text matches
    // `last` has been answered; returns all of them in order. Gives up after
    // the timeout, returning what it saw.
    std::vector<Box> answerBoxesUntil(const std::wstring& last, std::chrono::milliseconds timeout);
    // The same, up to the first box `isLast` holds for; with one that holds
    // for none, every box the program shows within the timeout.
    std::vector<Box> answerBoxesUntil(const std::function<bool(const Box&)>& isLast,
                                      std::chrono::milliseconds timeout);
    // Waits for the process to end; false on timeout.
    bool waitForExit(std::chrono::milliseconds timeout);
    void close();

private:
    win32::ScopedHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

} // namespace quorvane::test

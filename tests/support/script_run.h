#pragma once
// quorvane.exe started as a script starts it: with arguments, its output sent
// to a file, waited for, and its exit code read.

#include <chrono>
#include <string>

namespace quorvane::test {

struct ScriptRun {
    bool ended = false; // false: still running at the timeout, and ended by the test
    int exitCode = -1;
    std::string output;        // what it wrote, UTF-8
    bool showedWindow = false; // a window of its own was visible while it ran
};

// QUORVANE_EXE with `arguments` (a command line after the program's name),
// in the current folder, up to `timeout`.
ScriptRun runQuorvaneScript(const std::wstring& arguments, std::chrono::milliseconds timeout);

} // namespace quorvane::test

#pragma once
// A helper program the tests start and own: it is ended if the test leaves
// before it has finished.

#include <windows.h>

#include <chrono>
#include <string>

namespace quorvane::e2e {

class ChildProcess {
public:
    // `program` is looked for beside the running test program.
    ChildProcess(const std::wstring& program, const std::wstring& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD processId() const { return processId_; }
    bool waitForExit(std::chrono::milliseconds timeout);

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// "text" in double quotes, for a command line (the tests' paths hold no quotes).
std::wstring quoted(const std::wstring& text);

} // namespace quorvane::e2e

#pragma once
// A helper program the tests start and own: it is ended if the test leaves
// before it has finished.

#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <chrono>
#include <string>

namespace quorvane::test {

class ChildProcess {
public:
    // `program` is a full path; throws when it cannot be started.
    ChildProcess(const std::wstring& program, const std::wstring& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD processId() const { return processId_; }
    bool waitForExit(std::chrono::milliseconds timeout);

private:
    win32::ScopedHandle process_;
    DWORD processId_ = 0;
};

// The full path of `program` in the running test program's own folder.
std::wstring besideThisProgram(const std::wstring& program);

// "text" in double quotes, for a command line (the tests' paths hold no quotes).
std::wstring quoted(const std::wstring& text);

} // namespace quorvane::test

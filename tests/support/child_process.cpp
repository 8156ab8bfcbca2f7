#include "support/child_process.h"

#include "platform/win32/wide_text.h"

#include <stdexcept>

namespace quorvane::test {

std::wstring besideThisProgram(const std::wstring& program) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + program;
}

std::wstring quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = quoted(program) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        throw std::runtime_error("cannot start " + win32::toUtf8(program) + ": " +
                                 win32::systemMessage(GetLastError()));
    const win32::ScopedHandle thread(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() {
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.get(), 1);
}

bool ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

} // namespace quorvane::test

#include "support/script_run.h"

#include "support/desktop_input.h"
#include "support/driver.h"
#include "support/test_files.h"

#include "platform/win32/automation_messages.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace quorvane::test {

namespace {

std::string fileText(const std::wstring& path) {
    std::string text;
    for (const std::string& line : readUtf8Lines(path))
        text += line + "\n";
    return text;
}

} // namespace

ScriptRun runQuorvaneScript(const std::wstring& arguments, std::chrono::milliseconds timeout) {
    const std::wstring exe = environment(L"QUORVANE_EXE");
    if (exe.empty())
        throw std::runtime_error("QUORVANE_EXE does not name quorvane.exe");
    const std::wstring outputPath = tempFolder(L"script-output") + L"\\output.txt";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    ScriptRun run;
    {
        const win32::ScopedFile output(CreateFileW(outputPath.c_str(), GENERIC_WRITE,
                                                   FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output)
            throw std::runtime_error("cannot make the script's output file");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process))
            throw std::runtime_error("cannot start quorvane.exe");
        const win32::ScopedHandle owned(process.hProcess);
        const win32::ScopedHandle thread(process.hThread);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            run.showedWindow = run.showedWindow ||
                               findProcessWindow(process.dwProcessId, win32::MainWindowClassName);
            if (WaitForSingleObject(owned.get(), 50) == WAIT_OBJECT_0) {
                run.ended = true;
                break;
            }
        }
        if (!run.ended)
            TerminateProcess(owned.get(), 99);
        DWORD code = 0;
        GetExitCodeProcess(owned.get(), &code);
        run.exitCode = static_cast<int>(code);
    }
    run.output = fileText(outputPath);
    return run;
}

} // namespace quorvane::test

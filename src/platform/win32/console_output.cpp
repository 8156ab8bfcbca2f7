#include "platform/win32/console_output.h"

#include "platform/win32/wide_text.h"

#include <string>

namespace quorvane::win32 {

ConsoleOutput::ConsoleOutput() {
    const HANDLE redirected = GetStdHandle(STD_OUTPUT_HANDLE);
    if (redirected != nullptr && redirected != INVALID_HANDLE_VALUE &&
        GetFileType(redirected) != FILE_TYPE_CHAR && GetFileType(redirected) != FILE_TYPE_UNKNOWN) {
        target_ = redirected;
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    consoleScreen_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (!consoleScreen_)
        return;
    target_ = consoleScreen_.get();
    console_ = true;
    // The prompt the console showed when the program started stays above
    // the program's first line rather than in front of it.
    writeLine("");
}

void ConsoleOutput::writeLine(std::string_view text) {
    if (target_ == nullptr)
        return;
    std::string line(text);
    if (!line.ends_with("\r\n"))
        line += "\r\n";
    if (console_) {
        const std::wstring wide = toWide(line);
        DWORD written = 0;
        WriteConsoleW(target_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // A file or a pipe gets UTF-8, as PowerShell and a log reader expect.
    DWORD written = 0;
    WriteFile(target_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace quorvane::win32

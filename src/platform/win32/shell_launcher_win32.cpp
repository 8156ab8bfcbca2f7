#include "platform/win32/shell_launcher_win32.h"

#include "platform/win32/message_filter.h"
#include "platform/win32/wide_text.h"

// windows.h first: shellapi.h relies on what it declares.
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace quorvane::win32 {

namespace {

// ShellExecute's own failure codes below 32 as system error codes. The low
// ones (file or path not found, access denied, out of memory, bad format)
// already are.
DWORD shellErrorToSystemError(INT_PTR code) {
    switch (code) {
    case 0:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE:
        return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
        return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
        return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND:
        return ERROR_DLL_NOT_FOUND;
    default:
        return static_cast<DWORD>(code);
    }
}

int showWindowCommand(ShowCommand show) {
    switch (show) {
    case ShowCommand::Normal:
        return SW_SHOWNORMAL;
    case ShowCommand::Maximized:
        return SW_SHOWMAXIMIZED;
    }
    return SW_SHOWNORMAL; // no other value exists; the switch names every one
}

// Empty means "not given" to ShellExecute, not an empty string.
const wchar_t* optional(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

// Failures that say nothing about the program or the file, only that the
// system could not start a process just then (seen about once in ten
// thousand launches on a loaded machine): worth another try.
bool isPassing(DWORD error) {
    return error == ERROR_INTERNAL_ERROR || error == ERROR_NOT_ENOUGH_MEMORY ||
           error == ERROR_OUTOFMEMORY;
}

constexpr int LaunchAttempts = 3;
constexpr std::chrono::milliseconds PauseBetweenAttempts{250};

} // namespace

Outcome<void> Win32ShellLauncher::launch(const ShellLaunch& request) {
    const std::wstring program = toWide(request.program);
    const std::wstring parameters = toWide(request.parameters);
    const std::wstring directory = toWide(request.directory);
    const HWND owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(request.owner));

    DWORD error = ERROR_SUCCESS;
    for (int attempt = 1; attempt <= LaunchAttempts; ++attempt) {
        if (attempt > 1)
            waitKeepingWindowsPainted(PauseBetweenAttempts);
        SetLastError(ERROR_SUCCESS);
        const HINSTANCE started =
            ShellExecuteW(owner, nullptr, program.c_str(), optional(parameters),
                          optional(directory), showWindowCommand(request.show));
        const INT_PTR code = reinterpret_cast<INT_PTR>(started);
        if (code > 32)
            return Success();
        // The thread's last error is more precise where the shell sets it (a
        // cancelled elevation, for one); the returned code always says something.
        const DWORD lastError = GetLastError();
        error = lastError != ERROR_SUCCESS ? lastError : shellErrorToSystemError(code);
        if (!isPassing(error))
            break;
    }
    return Failure{systemMessage(error)};
}

} // namespace quorvane::win32

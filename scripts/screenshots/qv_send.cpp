// A small helper for scripts/screenshots.sh: finds the running Quorvane
// window and queues files, presses a command or reports where the window is,
// the way the end-to-end driver does. Built by the script itself.
//   qv_send wait | rows PATH... | command ID | rect | boxrect | progress

#include "platform/win32/automation_messages.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using quorvane::win32::CopyDataAppendRows;
using quorvane::win32::MainWindowClassName;
using quorvane::win32::ProgressBarClassName;

HWND mainWindow() {
    HWND window = FindWindowW(MainWindowClassName, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

// X geometry for ImageMagick's -crop: WxH+X+Y.
void printRect(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    std::printf("%ldx%ld+%ld+%ld\n", bounds.right - bounds.left, bounds.bottom - bounds.top,
                bounds.left, bounds.top);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const std::wstring verb = argv[1];
    if (verb == L"wait" || verb == L"boxrect") {
        for (int tries = 0; tries < 300; ++tries) {
            HWND found = verb == L"wait" ? mainWindow() : FindWindowW(L"#32770", L"Quorvane");
            if (found) {
                printRect(found);
                return 0;
            }
            Sleep(100);
        }
        return 1;
    }
    HWND window = mainWindow();
    if (!window)
        return 1;
    if (verb == L"rows") {
        std::wstring block;
        for (int i = 2; i < argc; ++i)
            block.append(argv[i]).push_back(L'\0');
        COPYDATASTRUCT data{CopyDataAppendRows, static_cast<DWORD>(block.size() * sizeof(wchar_t)),
                            block.data()};
        return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) ? 0 : 1;
    }
    if (verb == L"command" && argc == 3) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(std::wcstol(argv[2], nullptr, 10), 0), 0);
        return 0;
    }
    if (verb == L"rect") {
        printRect(window);
        return 0;
    }
    if (verb == L"progress") {
        wchar_t text[512]{};
        GetWindowTextW(FindWindowExW(window, nullptr, ProgressBarClassName, nullptr), text, 512);
        std::printf("%ls\n", text);
        return 0;
    }
    return 2;
}

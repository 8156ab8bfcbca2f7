// A small helper for scripts/screenshots.sh: finds the running Quorvane
// window and queues files, presses a command or reports where the window is,
// the way the end-to-end driver does. Built by the script itself.
//   qv_send wait | rows PATH... | command ID | rect | boxrect | progress
//         | arrow ID | answer ok|yes|no
// arrow prints where the drop-down arrow of toolbar button ID is on the
// screen ("X Y", for xdotool); answer presses a button of the program's box.

#include "platform/win32/automation_messages.h"

#include <windows.h>

#include <commctrl.h>

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

HWND findToolbar(HWND window) {
    HWND found = nullptr;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM result) -> BOOL {
            wchar_t name[64]{};
            GetClassNameW(child, name, 64);
            if (std::wcscmp(name, TOOLBARCLASSNAMEW) != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// TB_GETRECT writes into the toolbar's own process, so the RECT lives there.
int printArrow(HWND window, int command) {
    HWND toolbar = findToolbar(window);
    DWORD processId = 0;
    GetWindowThreadProcessId(toolbar, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, processId);
    if (!toolbar || !process)
        return 1;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT bounds{};
    SIZE_T read = 0;
    const bool found =
        remote && SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote, &bounds, sizeof bounds, &read);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!found)
        return 1;
    // The arrow is the button's right end.
    POINT arrow{bounds.right - 5, (bounds.top + bounds.bottom) / 2};
    ClientToScreen(toolbar, &arrow);
    std::printf("%ld %ld\n", arrow.x, arrow.y);
    return 0;
}

int answerBox(const std::wstring& button) {
    HWND box = FindWindowW(L"#32770", L"Quorvane");
    const int id = button == L"yes" ? IDYES : button == L"no" ? IDNO : IDOK;
    if (!box || !GetDlgItem(box, id))
        return 1;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    return 0;
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
    if (verb == L"answer" && argc == 3)
        return answerBox(argv[2]);
    HWND window = mainWindow();
    if (!window)
        return 1;
    if (verb == L"arrow" && argc == 3)
        return printArrow(window, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
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

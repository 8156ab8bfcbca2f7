// Quorvane's entry point: the COM apartment, the common controls, the
// platform services, the main window and its message loop.

#include "platform/clock.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/file_dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/message_filter.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/run_storage_win32.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/text_folding_win32.h"
#include "shell/main_window.h"

#include <windows.h>

#include <commctrl.h>

#include <cwchar>

namespace {

// The end-to-end tests shorten the wait for Outlook's window so that a file
// Outlook never opens costs seconds, not a minute. Nothing else is read from
// the environment.
quorvane::ItemWindowOptions runOptionsFromTestEnvironment() {
    quorvane::ItemWindowOptions options;
    wchar_t value[16];
    const DWORD length = GetEnvironmentVariableW(L"QUORVANE_TEST_OPEN_WAIT_MS", value, 16);
    if (length == 0 || length >= 16)
        return options;
    const long milliseconds = std::wcstol(value, nullptr, 10);
    if (milliseconds > 0)
        options.openWaitBound = std::chrono::milliseconds(milliseconds);
    return options;
}

void reportStartupFailure(const wchar_t* what) {
    MessageBoxW(nullptr, what, L"Quorvane", MB_OK | MB_ICONERROR);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace quorvane;
    using namespace quorvane::win32;

    // OLE for the drop target and the shell dialogs; one apartment for the
    // program's life.
    const ComApartment ole(ComApartment::Kind::Ole);
    if (!ole.joined()) {
        reportStartupFailure(L"Quorvane could not start COM.");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // Outlook rejects calls while it is busy; the filter retries them quietly.
    // Without it the program still works, it only reports such calls sooner.
    auto messageFilter = ScopedMessageFilter::install();

    RegistrySettingsStore settings;
    ComOutlookAutomation outlook;
    Win32ShellLauncher shell;
    Win32FileDialogs dialogs;
    Win32FileSystem fileSystem;
    Win32RunStorage storage;
    Win32CodePages codePages;
    SteadyClock clock;

    Win32TextFolding textFolding;

    MainWindow window(instance,
                      PlatformServices{settings, outlook, shell, dialogs, clock, fileSystem,
                                       storage, codePages, textFolding},
                      runOptionsFromTestEnvironment());
    // Whatever kept the window from coming up has been told already.
    if (!window.create(showCommand))
        return 1;
    // Contacts a crashed run split out of a file are still in its folder.
    removeAbandonedCardFolders();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// Quorvane's entry point: the command line, the COM apartment, the common
// controls, the platform services, the main window and its message loop, or
// the run a script asked for.

#include "app/command_line.h"
#include "platform/clock.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/console_output.h"
#include "platform/win32/file_dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/import_lock_win32.h"
#include "platform/win32/message_filter.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/regional_settings_win32.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/run_storage_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/system_facts_win32.h"
#include "platform/win32/text_folding_win32.h"
#include "platform/win32/wide_text.h"
#include "shell/main_window.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

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

// The arguments after the program's name, split as every Windows program
// splits them, in UTF-8.
std::vector<std::string> commandLineArguments() {
    int count = 0;
    const quorvane::win32::ScopedLocal<LPWSTR*> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> list;
    for (int at = 1; arguments && at < count; ++at)
        list.push_back(quorvane::win32::toUtf8(arguments.get()[at]));
    return list;
}

// A path as given, made whole against the current folder; as given when
// Windows cannot (the run then reports it as a file it cannot read).
std::string wholePath(const std::string& path) {
    const std::wstring given = quorvane::win32::toWide(path);
    std::wstring whole(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(whole.size()),
                                              whole.data(), nullptr);
        if (length == 0)
            return path;
        if (length < whole.size()) {
            whole.resize(length);
            return quorvane::win32::toUtf8(whole);
        }
        whole.resize(length);
    }
}

// Said where the script reads it; in a box when nothing reads it, unless
// the command line asked for none.
void tell(quorvane::win32::ConsoleOutput& output, const std::string& text, bool quiet, UINT icon) {
    if (output.present()) {
        output.writeLine(text);
    } else if (!quiet) {
        MessageBoxW(nullptr, quorvane::win32::toWide(text).c_str(), L"Quorvane", MB_OK | icon);
    }
}

bool asksForQuiet(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments)
        if (argument.size() == 6 && (argument[0] == '/' || argument[0] == '-') &&
            CompareStringOrdinal(quorvane::win32::toWide(argument.substr(1)).c_str(), -1, L"quiet",
                                 -1, TRUE) == CSTR_EQUAL)
            return true;
    return false;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace quorvane;
    using namespace quorvane::win32;

    const std::vector<std::string> arguments = commandLineArguments();
    Outcome<Launch> launch = ParseCommandLine(arguments);
    ConsoleOutput output;
    if (!launch) {
        tell(output, launch.failure().description + "\r\n\r\n" + CommandLineUsage(),
             asksForQuiet(arguments), MB_ICONERROR);
        return static_cast<int>(ExitCode::NothingImported);
    }
    if (launch->mode == LaunchMode::Usage) {
        tell(output, CommandLineUsage(), false, MB_ICONINFORMATION);
        return static_cast<int>(ExitCode::AllStored);
    }
    for (std::string& path : launch->paths)
        path = wholePath(path);

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
    Win32RegionalSettings regional;
    Win32ImportLock importLock;
    Win32SystemFacts systemFacts;

    MainWindow window(instance,
                      PlatformServices{settings, outlook, shell, dialogs, clock, fileSystem,
                                       storage, codePages, textFolding, regional, importLock,
                                       systemFacts},
                      runOptionsFromTestEnvironment());
    if (launch->mode != LaunchMode::Window)
        window.form().tellScript(output);
    // Whatever kept the window from coming up has been told already.
    if (!window.create(launch->quiet ? SW_HIDE : showCommand))
        return static_cast<int>(ExitCode::NothingImported);
    // Contacts a crashed run split out of a file are still in its folder.
    removeAbandonedCardFolders();

    if (launch->mode != LaunchMode::Window)
        return static_cast<int>(window.form().RunFromCommandLine(*launch, output));
    // "Open with" and "Send to" hand their files over so.
    if (!launch->paths.empty())
        window.form().ListView1_OLEDragDrop(launch->paths);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

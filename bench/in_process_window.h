#pragma once
// The real main window, created inside the benchmark's own process with the
// real services, except that the folder browser answers with a set folder
// instead of showing itself: Add Folder then runs exactly as it does for a
// user, search, queue, list view and all, and the benchmark can time it
// without crossing a process boundary.

#include "app/commands.h"
#include "platform/clock.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/import_lock_win32.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/regional_settings_win32.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/run_storage_win32.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/system_facts_win32.h"
#include "platform/win32/text_folding_win32.h"
#include "shell/main_window.h"
#include "support/chosen_folder_dialogs.h"

#include <windows.h>

#include <string>

namespace quorvane::bench {

// OleInitialize and the common controls must come before the window; the
// thread must then pump messages (the commands yield by themselves). Neither
// copied nor moved, as the window it holds.
class InProcessQuorvane {
public:
    InProcessQuorvane();

    bool ready() const { return ready_; }
    HWND list() const;
    ImportQueue& queue() { return window_.form().queue(); }
    win32::MainWindow& window() { return window_; }

    void chooseFolder(std::string folder) { dialogs_.folder = std::move(folder); }
    // As a toolbar button sends it; returns when the command has finished.
    void command(CommandId id);

private:
    // Joined before the common controls are set up and the window made.
    struct Ole {
        Ole();
        win32::ComApartment apartment{win32::ComApartment::Kind::Ole};
    } ole_;
    win32::RegistrySettingsStore settings_;
    win32::ComOutlookAutomation outlook_;
    win32::Win32ShellLauncher shell_;
    test::ChosenFolderDialogs dialogs_;
    SteadyClock clock_;
    win32::Win32FileSystem files_;
    win32::Win32RunStorage storage_;
    win32::Win32CodePages codePages_;
    win32::Win32TextFolding textFolding_;
    win32::Win32RegionalSettings regional_;
    win32::Win32ImportLock importLock_;
    win32::Win32SystemFacts systemFacts_;
    win32::MainWindow window_;
    bool ready_ = false;
};

} // namespace quorvane::bench

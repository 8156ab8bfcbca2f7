#pragma once
// The main window's logic: start-up, the five commands, the queue gestures,
// the pointer rule and shutdown. The Win32 window forwards its events here and
// implements the services it is given.

#include "app/command_line.h"
#include "app/scripted_run_window.h"
#include "import/import_session.h"
#include "import/item_window_target.h"
#include "import/run_end.h"
#include "platform/clock.h"
#include "platform/code_pages.h"
#include "platform/file_dialogs.h"
#include "platform/file_system.h"
#include "platform/import_lock.h"
#include "platform/main_window_services.h"
#include "platform/outlook_automation.h"
#include "platform/regional_settings.h"
#include "platform/run_storage.h"
#include "platform/script_output.h"
#include "platform/settings_store.h"
#include "platform/shell_launcher.h"
#include "platform/system_facts.h"
#include "platform/text_folding.h"
#include "queue/import_queue.h"
#include "queue/search_worker.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class FolderSearch;

inline constexpr std::string_view ApplicationTitle = "Quorvane";
inline constexpr std::string_view QueueColumnHeader = " VCF Files";
inline constexpr std::string_view HelpText =
    "This software requires Microsoft Outlook (that comes with MS Office) not Outlook Express "
    "(that comes preloaded with MS Windows).";

// What the program's logic works with besides its window, made at start-up.
struct PlatformServices {
    SettingsStore& settings;
    OutlookAutomation& outlook;
    ShellLauncher& shell;
    FileDialogs& dialogs;
    const Clock& clock;
    FileSystem& files;
    RunStorage& storage;
    CodePages& codePages;
    const TextFolding& textFolding;
    const RegionalSettings& regional;
    ImportLock& importLock;
    const SystemFacts& system;
};

class MainForm {
public:
    MainForm(MainWindowServices& window, PlatformServices services,
             ItemWindowOptions itemWindowOptions = {});

    ImportQueue& queue() { return queue_; }
    const ImportQueue& queue() const { return queue_; }

    // Start-up, before the window is first shown. A part that fails is told
    // to the user once: without its command bar the window is no use, so
    // Form_Load says so and returns false, and the program ends; without its
    // pictures or dropped files it says what will not work and goes on.
    [[nodiscard]] bool Form_Load();
    // Shutdown: stores the placement. A failing write is shown, then the
    // program ends all the same.
    void Form_Unload();

    // A toolbar click. Unknown IDs do nothing. A failure escaping a command is
    // shown in a box and the program goes on with its queue intact.
    void CommandBars_Execute(int commandId);

    void AddFiles();
    void AddFolder();
    RunEnd Start();
    // The same queue through Outlook's session, with no item window: into
    // the default Contacts folder, or into a contacts folder the user picks.
    RunEnd ImportWithoutWindows();
    RunEnd ImportWithoutWindowsIntoFolder();
    // Deletes the contacts the last import without windows stored, once the
    // user has said yes.
    RunEnd UndoLastImport();
    // Checks what Quorvane assumes about this Outlook, once the user has
    // said yes; a box and a report say what passed.
    RunEnd CheckOutlook();
    void ClearList();
    void Help();

    // The Delete key (whatever the modifiers) and a double-click both remove
    // the selected row; with no selection nothing happens.
    void removeSelectedRow(std::optional<std::size_t> selectedPosition);

    void Form_MouseMove();

    // Files and folders dropped on the list, in the data object's order. Runs
    // a folder search that yields, so the window calls it after the drag
    // source has been released, never from inside the drop itself.
    void ListView1_OLEDragDrop(const std::vector<std::string>& droppedPaths);

    // What the command line asked for besides the window: /import, /undo or
    // /check, each run without a person (boxes to `output`, questions
    // answered as the command line says). The program's exit code.
    ExitCode RunFromCommandLine(const Launch& launch, ScriptOutput& output);
    // From now on, start-up included, nothing waits for a person: boxes go
    // to `output` (a script's run, before Form_Load).
    void tellScript(ScriptOutput& output) { runWindow_.script(output, false); }

    bool importRunning() const { return session_.running(); }

    // Ends every folder search and waits for their thread, before the window
    // that the thread wakes goes away.
    void endFolderSearches() { searches_.stop(); }

private:
    void showCommandFailure(std::string_view description);
    void reportUnreadableFolders(const FolderSearch& search);

    MainWindowServices& window_;
    PlatformServices services_;
    ItemWindowOptions itemWindowOptions_;
    ImportQueue queue_;
    ScriptedRunWindow runWindow_; // what the session shows its runs in
    ImportSession session_;       // after the queue it walks and the window

    SearchWorker searches_; // after the queue: its thread appends to it
};

} // namespace quorvane

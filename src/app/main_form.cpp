#include "app/main_form.h"

#include "import/outlook_check_target.h"

#include "app/commands.h"
#include "app/window_placement.h"
#include "import/undo_target.h"
#include "import/windowless_target.h"
#include "queue/dialog_result.h"
#include "queue/folder_commands.h"
#include "queue/folder_search.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>

namespace quorvane {

namespace {

constexpr std::string_view OpenDialogTitle = "Add File(s) - Hold Ctrl to select multiple files";

// The system's reason as a sentence of its own, so the words after it do not
// run on: some reasons come without a full stop ("Error 0x800401F0").
std::string sentence(std::string text) {
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

} // namespace

MainForm::MainForm(MainWindowServices& window, PlatformServices services,
                   ItemWindowOptions itemWindowOptions)
    : window_(window), services_(services), itemWindowOptions_(itemWindowOptions),
      runWindow_(window, services.clock),
      session_(queue_, runWindow_,
               {services.storage, services.settings, services.codePages, services.regional,
                services.importLock}),
      searches_(services.files, services.clock, window, queue_) {}

bool MainForm::Form_Load() {
    MainWindowServices& window = window_;
    window.applySkin();
    CenterForm(window);
    window.setCaption(ApplicationTitle);
    window.showApplicationIcon();
    window.addQueueColumn(QueueColumnHeader);
    const Outcome<CommandBarMade> bar = window.createCommandBar();
    if (!bar) {
        showCommandFailure(
            "The toolbar could not be created: " + sentence(bar.failure().description) +
            " Without it none of Quorvane's commands can be given, so Quorvane closes.");
        return false;
    }
    if (const auto& pictures = bar.value().missingPictures)
        showCommandFailure(
            "The toolbar pictures could not be loaded: " + sentence(pictures->description) +
            " The buttons show their captions only.");
    if (const Outcome<void> drops = window.acceptDroppedFiles(); !drops)
        showCommandFailure(
            "Files dropped on the list cannot be taken: " + sentence(drops.failure().description) +
            " Add them with Add VCF Files or Add Folder instead.");
    return true;
}

void MainForm::Form_Unload() {
    auto saved = SaveWindowPlacement(window_, services_.settings);
    if (!saved)
        showCommandFailure("The window placement could not be saved: " +
                           saved.failure().description);
}

namespace {

// What each toolbar and menu command does, by ID; IDs not listed do nothing.
struct CommandHandler {
    CommandId id;
    void (*run)(MainForm& form);
};

constexpr std::array<CommandHandler, 9> CommandHandlers{{
    {CommandId::AddFiles, [](MainForm& form) { form.AddFiles(); }},
    {CommandId::AddFolder, [](MainForm& form) { form.AddFolder(); }},
    {CommandId::Start, [](MainForm& form) { (void)form.Start(); }},
    {CommandId::ClearList, [](MainForm& form) { form.ClearList(); }},
    {CommandId::Help, [](MainForm& form) { form.Help(); }},
    {CommandId::ImportWithoutWindows, [](MainForm& form) { (void)form.ImportWithoutWindows(); }},
    {CommandId::ImportWithoutWindowsIntoFolder,
     [](MainForm& form) { (void)form.ImportWithoutWindowsIntoFolder(); }},
    {CommandId::UndoLastImport, [](MainForm& form) { (void)form.UndoLastImport(); }},
    {CommandId::CheckOutlook, [](MainForm& form) { (void)form.CheckOutlook(); }},
}};

} // namespace

void MainForm::CommandBars_Execute(int commandId) {
    const auto handler = std::find_if(
        CommandHandlers.begin(), CommandHandlers.end(),
        [commandId](const CommandHandler& h) { return static_cast<int>(h.id) == commandId; });
    if (handler == CommandHandlers.end())
        return;
    try {
        handler->run(*this);
    } catch (const std::exception& error) {
        showCommandFailure(error.what());
    }
}

void MainForm::AddFiles() {
    OpenFileDialogSettings settings;
    settings.fileName.clear(); // a cancelled dialog must come back empty
    settings.multipleSelection = true;
    settings.readOnlyTicked = true;
    settings.title = OpenDialogTitle;
    settings.filterDescription = "VCF Files (*.vcf)";
    settings.filterPattern = "*.vcf";
    auto fileName = services_.dialogs.showOpenDialog(window_.nativeHandle(), settings);
    if (!fileName) {
        showCommandFailure(fileName.failure().description);
        return;
    }
    if (fileName.value().empty())
        return;
    queue_.addMany(SplitDialogResult(fileName.value()));
}

void MainForm::AddFolder() {
    auto stored =
        services_.settings.saveSetting(SettingsApplication, SettingsSection, "Extension", "vcf");
    // The value is only a record; the command goes on without it.
    if (!stored)
        showCommandFailure("The setting \"Extension\" could not be saved: " +
                           stored.failure().description);
    const std::string folder =
        services_.dialogs.BrowseForFolder(window_.nativeHandle(), "Please select folder:");
    if (folder.empty())
        return;

    MainWindowServices& window = window_;
    window.setPointer(PointerKind::Hourglass);
    FolderSearch search(searches_);
    search.holdHourglass();
    if (QueueFolderFiles(search, folder) == YieldResult::WindowClosing)
        return;
    window.setPointer(PointerKind::Arrow);
    reportUnreadableFolders(search);
}

void MainForm::ListView1_OLEDragDrop(const std::vector<std::string>& droppedPaths) {
    // A window event, not a command: nothing may escape into the window procedure.
    try {
        FolderSearch search(searches_);
        if (QueueDroppedPaths(search, droppedPaths) == YieldResult::WindowClosing)
            return;
        reportUnreadableFolders(search);
    } catch (const std::exception& error) {
        showCommandFailure(error.what());
    }
}

// Each way to run is a target of the one session, which refuses a second
// run while one yields.
RunEnd MainForm::Start() {
    ItemWindowTarget target(services_.outlook, services_.shell, services_.clock,
                            itemWindowOptions_);
    return session_.run(target);
}

RunEnd MainForm::ImportWithoutWindows() {
    WindowlessTarget target(services_.outlook, WindowlessDestination::DefaultContacts,
                            services_.textFolding);
    return session_.run(target);
}

RunEnd MainForm::ImportWithoutWindowsIntoFolder() {
    WindowlessTarget target(services_.outlook, WindowlessDestination::ChosenFolder,
                            services_.textFolding);
    return session_.run(target);
}

RunEnd MainForm::CheckOutlook() {
    OutlookCheckTarget target(services_.outlook,
                              {services_.storage, services_.settings, services_.codePages,
                               services_.regional, services_.textFolding, services_.system},
                              BuiltInOutlookKeeps());
    return session_.run(target);
}

RunEnd MainForm::UndoLastImport() {
    UndoTarget target(services_.outlook, services_.storage, services_.clock);
    return session_.run(target);
}

void MainForm::ClearList() {
    queue_.clear();
}

void MainForm::Help() {
    window_.showMessage(HelpText, MessageStyle::Plain);
}

void MainForm::removeSelectedRow(std::optional<std::size_t> selectedPosition) {
    if (selectedPosition)
        (void)queue_.remove(*selectedPosition);
}

void MainForm::Form_MouseMove() {
    if (window_.pointer() != PointerKind::Hourglass)
        window_.setPointer(PointerKind::Arrow);
}

// One box for the whole search, after the last row: folders that could not be
// read were skipped and everything else was queued.
void MainForm::reportUnreadableFolders(const FolderSearch& search) {
    if (auto message = UnreadableFoldersMessage(search))
        runWindow_.showMessage(*message, MessageStyle::Exclamation);
}

ExitCode MainForm::RunFromCommandLine(const Launch& launch, ScriptOutput& output) {
    switch (launch.mode) {
    case LaunchMode::Import: {
        // The duplicate check refused is the one question an import asks.
        runWindow_.script(output, launch.noDuplicateCheck);
        ListView1_OLEDragDrop(launch.paths);
        const WindowlessDestination destination = launch.folder
                                                      ? WindowlessDestination::NamedFolder
                                                      : WindowlessDestination::DefaultContacts;
        WindowlessTarget target(services_.outlook, destination, services_.textFolding,
                                launch.folder.value_or(std::string()));
        const RunEnd end = session_.run(target);
        return ExitCodeOf(end, session_.lastRun());
    }
    case LaunchMode::Undo: {
        runWindow_.script(output, true);
        const RunEnd end = UndoLastImport();
        return ExitCodeOf(end, session_.lastRun());
    }
    case LaunchMode::Check: {
        runWindow_.script(output, true);
        const RunEnd end = CheckOutlook();
        return ExitCodeOf(end, session_.lastRun());
    }
    case LaunchMode::Usage:
        output.writeLine(CommandLineUsage());
        return ExitCode::AllStored;
    case LaunchMode::Window:
        break;
    }
    return ExitCode::AllStored;
}

// Through the run window: a program started by a script says it there
// rather than wait in a box for a person who is not there.
void MainForm::showCommandFailure(std::string_view description) {
    runWindow_.showMessage(description, MessageStyle::Exclamation);
}

} // namespace quorvane

#include "app/main_form.h"

#include "app/commands.h"
#include "app/window_placement.h"
#include "queue/dialog_result.h"
#include "queue/folder_commands.h"
#include "queue/folder_search.h"

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

// Clears a flag on every way out, including when the window closes mid-run.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
};

} // namespace

MainForm::MainForm(FormServices services, ImportRunOptions runOptions)
    : services_(services), runOptions_(runOptions),
      searches_(services.files, services.clock, services.window, queue_) {}

bool MainForm::Form_Load() {
    MainWindowServices& window = services_.window;
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
    auto saved = SaveWindowPlacement(services_.window, services_.settings);
    if (!saved)
        showCommandFailure("The window placement could not be saved: " +
                           saved.failure().description);
}

void MainForm::CommandBars_Execute(int commandId) {
    try {
        switch (static_cast<CommandId>(commandId)) {
        case CommandId::AddFiles:
            AddFiles();
            return;
        case CommandId::AddFolder:
            AddFolder();
            return;
        case CommandId::Start:
            (void)Start();
            return;
        case CommandId::ClearList:
            ClearList();
            return;
        case CommandId::Help:
            Help();
            return;
        case CommandId::ImportWithoutWindows:
            (void)ImportWithoutWindows();
            return;
        case CommandId::ImportWithoutWindowsIntoFolder:
            (void)ImportWithoutWindowsIntoFolder();
            return;
        case CommandId::UndoLastImport:
            (void)UndoLastImport();
            return;
        }
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
    auto fileName = services_.dialogs.showOpenDialog(services_.window.nativeHandle(), settings);
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
        services_.dialogs.BrowseForFolder(services_.window.nativeHandle(), "Please select folder:");
    if (folder.empty())
        return;

    MainWindowServices& window = services_.window;
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

RunEnd MainForm::Start() {
    // A nested second run would wait on the first run's item windows and the
    // first on the second's; one run at a time, of either kind.
    if (importRunning_)
        return RunEnd::Finished;
    ScopedFlag running(importRunning_);
    ItemWindowRun run(queue_,
                      {services_.window, services_.outlook, services_.shell, services_.clock,
                       services_.storage, services_.codePages},
                      runOptions_);
    return run.run();
}

RunEnd MainForm::ImportWithoutWindows() {
    return runWithoutWindows(WindowlessTarget::DefaultContacts);
}

RunEnd MainForm::ImportWithoutWindowsIntoFolder() {
    return runWithoutWindows(WindowlessTarget::ChosenFolder);
}

// Refused while any run yields, as Start is: two runs storing the same queue
// at once would store every contact twice.
RunEnd MainForm::runWithoutWindows(WindowlessTarget target) {
    if (importRunning_)
        return RunEnd::Finished;
    ScopedFlag running(importRunning_);
    WindowlessRun run(queue_,
                      {services_.window, services_.outlook, services_.storage, services_.codePages},
                      target);
    return run.run();
}

// Refused while a run yields, as the imports are: it would take back a run
// that is still storing.
RunEnd MainForm::UndoLastImport() {
    if (importRunning_)
        return RunEnd::Finished;
    ScopedFlag running(importRunning_);
    UndoRun run({services_.window, services_.outlook, services_.storage});
    return run.run();
}

void MainForm::ClearList() {
    queue_.clear();
}

void MainForm::Help() {
    services_.window.showMessage(HelpText, MessageStyle::Plain);
}

void MainForm::removeSelectedRow(std::optional<std::size_t> selectedPosition) {
    if (selectedPosition)
        (void)queue_.remove(*selectedPosition);
}

void MainForm::Form_MouseMove() {
    if (services_.window.pointer() != PointerKind::Hourglass)
        services_.window.setPointer(PointerKind::Arrow);
}

// One box for the whole search, after the last row: folders that could not be
// read were skipped and everything else was queued.
void MainForm::reportUnreadableFolders(const FolderSearch& search) {
    if (auto message = UnreadableFoldersMessage(search))
        services_.window.showMessage(*message, MessageStyle::Exclamation);
}

void MainForm::showCommandFailure(std::string_view description) {
    services_.window.showMessage(description, MessageStyle::Exclamation);
}

} // namespace quorvane

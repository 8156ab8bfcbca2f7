#include "import/import_run.h"

#include "import/run_progress.h"

namespace quorvane {

namespace {

// Step numbers as the error report shows them. There is no step 122.
enum Step : int {
    CheckQueue = 100,
    ShowHourglass = 102,
    FixLastIndex = 104,
    YieldToWindow = 106,
    ReadPath = 108,
    // Not a step of its own in any report: a file that cannot be split is
    // reported where its launch would have been (120).
    SplitIntoContacts = 109,
    ShowProgressText = 110,
    ShowProgressValue = 112,
    ReachOutlook = 114,
    HoldItemWindows = 116,
    CheckNoItemWindow = 118,
    Launch = 120,
    PollItemWindow = 124,
    WaitForOutlook = 126,
    Save = 128,
    Close = 130,
    ReleaseItemWindows = 132,
    ReleaseApplication = 134,
    // Records the contact and moves to the file's next contact, if any; never
    // fails, so no report names it.
    FinishContact = 135,
    AdvanceIndex = 136,
    RestorePointer = 138,
    ResetProgressValue = 140,
    ResetProgressText = 142,
    ShowDone = 144,
    ShowNoFiles = 146,
};

constexpr std::string_view OutlookProgram = "outlook";
constexpr std::string_view OpenSwitch = "/v ";
constexpr std::string_view LaunchDirectory = "C:\\";
constexpr std::int16_t FirstItemWindow = 1;
constexpr std::int16_t CloseWithoutSaving = 1;

const Failure NoApplication{"Outlook's application object is not available."};
const Failure NoItemWindows{"Outlook's item window collection is not available."};

std::string describeDuration(std::chrono::milliseconds duration) {
    const auto ms = duration.count();
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
    return std::to_string(ms) + " milliseconds";
}

} // namespace

ImportRun::ImportRun(const ImportQueue& queue, ImportRunServices services, ImportRunOptions options)
    : SteppedRun(queue, services.window, services.storage, services.codePages),
      outlook_(services.outlook), shell_(services.shell), clock_(services.clock),
      options_(options) {}

RunEnd ImportRun::run() {
    return runFrom(CheckQueue);
}

void ImportRun::releaseOutlook() {
    itemWindows_.reset();
    application_.reset();
}

ImportRun::StepResult ImportRun::execute(int step) {
    switch (step) {
    case CheckQueue:
        return go(queue_.count() > 0 ? ShowHourglass : ShowNoFiles);
    case ShowHourglass:
        window_.setPointer(PointerKind::Hourglass);
        recorder_.begin();
        return go(FixLastIndex);
    case FixLastIndex:
        // The first cycle begins without comparing the index with the last.
        return proceed(beginWalk(), YieldToWindow, YieldToWindow);
    case YieldToWindow:
        yieldToWindow();
        return go(ReadPath);
    case ReadPath:
        return proceed(readCurrentRow(), SplitIntoContacts, ReleaseItemWindows);
    case SplitIntoContacts:
        splitIntoContacts();
        return go(ShowProgressText);
    case ShowProgressText:
        window_.setProgressText(progressText());
        return go(ShowProgressValue);
    case ShowProgressValue:
        return showProgressValue();
    case ReachOutlook:
        return reachOutlook();
    case HoldItemWindows:
        return holdInspectors();
    case CheckNoItemWindow:
        return checkNoItemWindowOpen();
    case Launch:
        return launchOutlook();
    case PollItemWindow:
        return pollForItemWindow();
    case WaitForOutlook:
        windowClosing_ = window_.waitForEvents(options_.pollInterval) == YieldResult::WindowClosing;
        return go(PollItemWindow);
    case Save:
        return saveCurrentItem();
    case Close:
        return closeItemWindow();
    case ReleaseItemWindows:
        itemWindows_.reset();
        return go(ReleaseApplication);
    case ReleaseApplication:
        application_.reset();
        return go(FinishContact);
    case FinishContact:
        return finishContact();
    case AdvanceIndex:
        return advanceIndex();
    case RestorePointer:
        window_.setPointer(PointerKind::Arrow);
        return go(ResetProgressValue);
    case ResetProgressValue:
        window_.setProgressValue(0);
        return go(ResetProgressText);
    case ResetProgressText:
        window_.setProgressText(ProgressAtRest);
        return go(ShowDone);
    case ShowDone:
        announceEnd();
        window_.showMessage("Done.", MessageStyle::Plain);
        return go(End);
    case ShowNoFiles:
        announceEnd();
        window_.showMessage("No files added.", MessageStyle::Plain);
        return go(End);
    }
    assert(false && "the import run reached a step number it does not have");
    return go(End);
}

ImportRun::StepResult ImportRun::showProgressValue() {
    auto percent = progressValue();
    if (!percent)
        return fail(percent.failure(), ReachOutlook);
    window_.setProgressValue(percent.value());
    // A file with no contact to open needs nothing of Outlook: it is reported
    // at once where its launch would have been.
    return go(fileFailure_ ? Launch : ReachOutlook);
}

ImportRun::StepResult ImportRun::reachOutlook() {
    auto application = outlook_.createApplication();
    if (!application)
        return fail(application.failure(), HoldItemWindows);
    application_ = std::move(application.value());
    return go(HoldItemWindows);
}

ImportRun::StepResult ImportRun::holdInspectors() {
    if (!application_)
        return fail(NoApplication, CheckNoItemWindow);
    auto itemWindows = application_->inspectors();
    if (!itemWindows)
        return fail(itemWindows.failure(), CheckNoItemWindow);
    itemWindows_ = std::move(itemWindows.value());
    return go(CheckNoItemWindow);
}

ImportRun::StepResult ImportRun::checkNoItemWindowOpen() {
    // When Outlook cannot be asked, the launch still happens, as if no
    // window were open.
    if (!itemWindows_)
        return fail(NoItemWindows, Launch);
    auto count = itemWindows_->count();
    if (!count)
        return fail(count.failure(), Launch);
    if (count.value() == 0)
        return go(Launch);
    // Skipping silently would let "Done." hide a file that was never imported.
    return fail("An Outlook item window is already open, so this file was not imported: " +
                    subject(),
                ReleaseItemWindows);
}

ImportRun::StepResult ImportRun::launchOutlook() {
    if (fileFailure_)
        return fail(*fileFailure_, ReleaseItemWindows);
    // Windows forbids the double quote in file names; inside the quoted
    // argument it would end the quoting and hand Outlook extra switches.
    if (launchPath().find('"') != std::string::npos)
        return fail("This path cannot name a file (it holds a double quote) and was not "
                    "opened: " +
                        launchPath(),
                    ReleaseItemWindows);

    ShellLaunch request;
    request.owner = window_.nativeHandle();
    request.program = OutlookProgram;
    request.parameters = std::string(OpenSwitch) + quotedPath();
    request.directory = LaunchDirectory;
    request.show = ShowCommand::Maximized;
    auto launched = shell_.launch(request);
    // A launch that failed cannot bring a window; waiting for one would only
    // cost the whole bound.
    if (!launched)
        return fail(launched.failure(), ReleaseItemWindows);
    launchedAt_ = clock_.now();
    return go(PollItemWindow);
}

ImportRun::StepResult ImportRun::pollForItemWindow() {
    if (!itemWindows_)
        return fail("Outlook could not be asked whether it opened " + subject() + ": " +
                        NoItemWindows.description,
                    ReleaseItemWindows);
    auto count = itemWindows_->count();
    if (!count)
        return fail("Outlook could not be asked whether it opened " + subject() + ": " +
                        count.failure().description,
                    ReleaseItemWindows);
    if (count.value() == 1)
        return go(Save);
    if (clock_.now() - launchedAt_ >= options_.openWaitBound)
        return fail("Outlook did not open an item window for " + subject() + " within " +
                        describeDuration(options_.openWaitBound) + ".",
                    ReleaseItemWindows);
    return go(WaitForOutlook);
}

ImportRun::StepResult ImportRun::saveCurrentItem() {
    if (!itemWindows_)
        return fail(NoItemWindows, Close);
    auto itemWindow = itemWindows_->item(FirstItemWindow);
    if (!itemWindow)
        return fail(itemWindow.failure(), Close);
    auto item = itemWindow.value()->currentItem();
    if (!item)
        return fail(item.failure(), Close);
    auto saved = item.value()->save();
    if (!saved)
        return fail(saved.failure(), Close);
    recorder_.noteSaved();
    return go(Close);
}

ImportRun::StepResult ImportRun::closeItemWindow() {
    if (!itemWindows_)
        return fail(NoItemWindows, ReleaseItemWindows);
    auto itemWindow = itemWindows_->item(FirstItemWindow);
    if (!itemWindow)
        return fail(itemWindow.failure(), ReleaseItemWindows);
    auto closed = itemWindow.value()->close(CloseWithoutSaving);
    if (!closed)
        return fail(closed.failure(), ReleaseItemWindows);
    return go(ReleaseItemWindows);
}

// The file's next contact is a cycle of its own from the progress on, with a
// yield in front as every cycle has.
ImportRun::StepResult ImportRun::finishContact() {
    return go(nextContactOfFile() ? ShowProgressText : AdvanceIndex);
}

ImportRun::StepResult ImportRun::advanceIndex() {
    auto more = advanceRow();
    if (!more)
        return fail(more.failure(), RestorePointer);
    return go(more.value() ? YieldToWindow : RestorePointer);
}

std::string ImportRun::quotedPath() const {
    return '"' + launchPath() + '"';
}

const std::string& ImportRun::launchPath() const {
    return splitsIntoSeveral() ? contacts_[contactAt_].path : currentPath_;
}

std::string ImportRun::subject() const {
    if (!splitsIntoSeveral())
        return currentPath_;
    const FileContact& contact = contacts_[contactAt_];
    return "contact " + std::to_string(contact.number) + " of " + std::to_string(contacts_.size()) +
           " (" + contact.name + ") in " + currentPath_;
}

} // namespace quorvane

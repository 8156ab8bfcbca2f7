#include "import/item_window_run.h"

#include "import/run_progress.h"

#include <cassert>
#include <exception>

namespace quorvane {

namespace {

// Step numbers as the error report shows them. There is no step 122.
constexpr StepNumber CheckQueue{100};
constexpr StepNumber ShowHourglass{102};
constexpr StepNumber FixLastIndex{104};
constexpr StepNumber YieldToWindow{106};
constexpr StepNumber ReadPath{108};
// Not a step of its own in any report: a file that cannot be read, or a
// contact that cannot go to Outlook, is reported where its launch would have
// been (120).
constexpr StepNumber OpenFile{109};
constexpr StepNumber ShowProgressText{110};
constexpr StepNumber ShowProgressValue{112};
constexpr StepNumber ReachOutlook{114};
constexpr StepNumber HoldItemWindows{116};
constexpr StepNumber CheckNoItemWindow{118};
constexpr StepNumber Launch{120};
constexpr StepNumber PollItemWindow{124};
constexpr StepNumber WaitForOutlook{126};
constexpr StepNumber Save{128};
constexpr StepNumber Close{130};
constexpr StepNumber ReleaseItemWindows{132};
constexpr StepNumber ReleaseApplication{134};
// Records the contact and moves to the file's next contact, if any; never
// fails, so no report names it.
constexpr StepNumber FinishContact{135};
constexpr StepNumber AdvanceIndex{136};
constexpr StepNumber RestorePointer{138};
constexpr StepNumber ResetProgressValue{140};
constexpr StepNumber ResetProgressText{142};
constexpr StepNumber ShowDone{144};
constexpr StepNumber ShowNoFiles{146};

constexpr std::string_view OutlookProgram = "outlook";
constexpr std::string_view OpenSwitch = "/v ";
constexpr std::string_view LaunchDirectory = "C:\\";
constexpr std::int16_t FirstItemWindow = 1;

const Failure NoApplication{"Outlook's application object is not available."};
const Failure NoItemWindows{"Outlook's item window collection is not available."};

std::string describeDuration(std::chrono::milliseconds duration) {
    const auto ms = duration.count();
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
    return std::to_string(ms) + " milliseconds";
}

} // namespace

ItemWindowRun::ItemWindowRun(const ImportQueue& queue, ImportRunServices services,
                             ImportRunOptions options)
    : shell_(services.shell), outlook_(services.outlook), clock_(services.clock), options_(options),
      screen_(services.window), recorder_(services.storage, services.window),
      walk_(queue, services.storage, services.codePages, recorder_) {}

RunEnd ItemWindowRun::run() {
    std::optional<StepNumber> step = CheckQueue;
    try {
        while (step) {
            StepResult result = execute(*step);
            if (result.failure) {
                recorder_.noteReport(*step, *result.failure);
                screen_.report(*step, *result.failure);
            }
            if (screen_.closing())
                break;
            step = result.next;
        }
    } catch (const std::exception& fault) {
        // Nothing the run does is meant to throw; should it all the same (the
        // memory ran out), the fault is said and the run ends as any other.
        screen_.report(step.value_or(CheckQueue), Failure{fault.what()});
        screen_.restoreAtRest();
    }
    itemWindows_.reset();
    application_.reset();
    walk_.recordUnfinished();
    screen_.announceEnd();
    return screen_.closing() ? RunEnd::WindowClosed : RunEnd::Finished;
}

ItemWindowRun::StepResult ItemWindowRun::execute(StepNumber step) {
    const auto go = [](StepNumber next) { return StepResult{next, std::nullopt}; };
    RunWindow& window = screen_.window();
    switch (NumberOf(step)) {
    case NumberOf(CheckQueue):
        return go(walk_.queueEmpty() ? ShowNoFiles : ShowHourglass);
    case NumberOf(ShowHourglass):
        window.setPointer(PointerKind::Hourglass);
        recorder_.begin();
        return go(FixLastIndex);
    case NumberOf(FixLastIndex):
        // The first cycle begins without comparing the index with the last.
        if (auto begun = walk_.begin(); !begun)
            return {YieldToWindow, begun.failure()};
        return go(YieldToWindow);
    case NumberOf(YieldToWindow):
        screen_.yield();
        return go(ReadPath);
    case NumberOf(ReadPath):
        if (auto read = walk_.readRow(); !read)
            return {ReleaseItemWindows, read.failure()};
        return go(OpenFile);
    case NumberOf(OpenFile):
        // A file of gigabytes takes a while to read: the bar names it first.
        screen_.showProgressText(walk_.progressText());
        walk_.openFile([this] { return keepReading(); });
        return go(ShowProgressText);
    case NumberOf(ShowProgressText):
        screen_.showProgressText(walk_.progressText());
        return go(ShowProgressValue);
    case NumberOf(ShowProgressValue):
        return showProgressValue();
    case NumberOf(ReachOutlook):
        return reachOutlook();
    case NumberOf(HoldItemWindows):
        return holdInspectors();
    case NumberOf(CheckNoItemWindow):
        return checkNoItemWindowOpen();
    case NumberOf(Launch):
        return launchOutlook();
    case NumberOf(PollItemWindow):
        return pollForItemWindow();
    case NumberOf(WaitForOutlook):
        screen_.waitForEvents(options_.pollInterval);
        return go(PollItemWindow);
    case NumberOf(Save):
        return saveCurrentItem();
    case NumberOf(Close):
        return closeItemWindow();
    case NumberOf(ReleaseItemWindows):
        itemWindows_.reset();
        return go(ReleaseApplication);
    case NumberOf(ReleaseApplication):
        application_.reset();
        return go(FinishContact);
    case NumberOf(FinishContact):
        return finishContact();
    case NumberOf(AdvanceIndex):
        return advanceIndex();
    case NumberOf(RestorePointer):
        screen_.restorePointer();
        return go(ResetProgressValue);
    case NumberOf(ResetProgressValue):
        screen_.resetProgressValue();
        return go(ResetProgressText);
    case NumberOf(ResetProgressText):
        screen_.resetProgressText();
        return go(ShowDone);
    case NumberOf(ShowDone):
        screen_.announceEnd();
        screen_.show("Done.", MessageStyle::Plain);
        return {};
    case NumberOf(ShowNoFiles):
        screen_.announceEnd();
        screen_.show("No files added.", MessageStyle::Plain);
        return {};
    }
    assert(false && "the run through item windows reached a step number it does not have");
    return {};
}

// Reading a long file gives the window its turn now and then; a close stops
// the reading.
bool ItemWindowRun::keepReading() {
    return screen_.yield();
}

ItemWindowRun::StepResult ItemWindowRun::showProgressValue() {
    auto percent = walk_.progressValue();
    if (!percent)
        return {ReachOutlook, percent.failure()};
    screen_.window().setProgressValue(percent.value());
    // A contact that cannot be opened needs nothing of Outlook: it is
    // reported at once where its launch would have been.
    const FileContact* contact = walk_.contact();
    return {contact && contact->failure ? Launch : ReachOutlook, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::reachOutlook() {
    auto application = outlook_.createApplication();
    if (!application)
        return {HoldItemWindows, application.failure()};
    application_ = std::move(application.value());
    return {HoldItemWindows, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::holdInspectors() {
    if (!application_)
        return {CheckNoItemWindow, NoApplication};
    auto itemWindows = application_->inspectors();
    if (!itemWindows)
        return {CheckNoItemWindow, itemWindows.failure()};
    itemWindows_ = std::move(itemWindows.value());
    return {CheckNoItemWindow, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::checkNoItemWindowOpen() {
    // When Outlook cannot be asked, the launch still happens, as if no
    // window were open.
    if (!itemWindows_)
        return {Launch, NoItemWindows};
    auto count = itemWindows_->count();
    if (!count)
        return {Launch, count.failure()};
    if (count.value() == 0)
        return {Launch, std::nullopt};
    // Skipping silently would let "Done." hide a file that was never imported.
    return {ReleaseItemWindows,
            Failure{"An Outlook item window is already open, so this file was not imported: " +
                    subject()}};
}

ItemWindowRun::StepResult ItemWindowRun::launchOutlook() {
    const FileContact* contact = walk_.contact();
    if (contact && contact->failure)
        return {ReleaseItemWindows, *contact->failure};
    // Windows forbids the double quote in file names; inside the quoted
    // argument it would end the quoting and hand Outlook extra switches.
    if (launchPath().find('"') != std::string::npos)
        return {ReleaseItemWindows,
                Failure{"This path cannot name a file (it holds a double quote) and was not "
                        "opened: " +
                        launchPath()}};

    ShellLaunch request;
    request.owner = screen_.window().nativeHandle();
    request.program = OutlookProgram;
    request.parameters = std::string(OpenSwitch) + '"' + launchPath() + '"';
    request.directory = LaunchDirectory;
    request.show = ShowCommand::Maximized;
    auto launched = shell_.launch(request);
    // A launch that failed cannot bring a window; waiting for one would only
    // cost the whole bound.
    if (!launched)
        return {ReleaseItemWindows, launched.failure()};
    launchedAt_ = clock_.now();
    return {PollItemWindow, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::pollForItemWindow() {
    const std::string couldNotAsk = "Outlook could not be asked whether it opened " + subject();
    if (!itemWindows_)
        return {ReleaseItemWindows, Failure{couldNotAsk + ": " + NoItemWindows.description}};
    auto count = itemWindows_->count();
    if (!count)
        return {ReleaseItemWindows, Failure{couldNotAsk + ": " + count.failure().description}};
    if (count.value() == 1)
        return {Save, std::nullopt};
    if (clock_.now() - launchedAt_ >= options_.openWaitBound)
        return {ReleaseItemWindows,
                Failure{"Outlook did not open an item window for " + subject() + " within " +
                        describeDuration(options_.openWaitBound) + "."}};
    return {WaitForOutlook, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::saveCurrentItem() {
    if (!itemWindows_)
        return {Close, NoItemWindows};
    auto itemWindow = itemWindows_->item(FirstItemWindow);
    if (!itemWindow)
        return {Close, itemWindow.failure()};
    auto item = itemWindow.value()->currentItem();
    if (!item)
        return {Close, item.failure()};
    auto saved = item.value()->save();
    if (!saved)
        return {Close, saved.failure()};
    recorder_.noteSaved();
    return {Close, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::closeItemWindow() {
    if (!itemWindows_)
        return {ReleaseItemWindows, NoItemWindows};
    auto itemWindow = itemWindows_->item(FirstItemWindow);
    if (!itemWindow)
        return {ReleaseItemWindows, itemWindow.failure()};
    // The item was saved a step before; a failed save is not to be kept
    // behind the user's back either.
    auto closed = itemWindow.value()->close(CloseMode::Discard);
    if (!closed)
        return {ReleaseItemWindows, closed.failure()};
    return {ReleaseItemWindows, std::nullopt};
}

// The file's next contact is a cycle of its own from the progress on, with a
// yield in front as every cycle has.
ItemWindowRun::StepResult ItemWindowRun::finishContact() {
    if (!walk_.nextContact([this] { return keepReading(); }))
        return {AdvanceIndex, std::nullopt};
    screen_.yield();
    return {ShowProgressText, std::nullopt};
}

ItemWindowRun::StepResult ItemWindowRun::advanceIndex() {
    auto more = walk_.advance();
    if (!more)
        return {RestorePointer, more.failure()};
    return {more.value() ? YieldToWindow : RestorePointer, std::nullopt};
}

const std::string& ItemWindowRun::launchPath() const {
    const FileContact* contact = walk_.contact();
    return contact && !contact->path.empty() ? contact->path : walk_.path();
}

std::string ItemWindowRun::subject() const {
    const FileContact* contact = walk_.contact();
    if (!walk_.split() || !contact)
        return walk_.path();
    return "contact " + std::to_string(contact->number) + " (" + contact->name + ") in " +
           walk_.path();
}

} // namespace quorvane

#include "import/item_window_target.h"

namespace quorvane {

namespace {

// Step numbers as the error report shows them; the session's own steps are
// 104 to 112 and 136. There is no step 122.
constexpr SessionSteps ItemWindowSteps{
    .fixLastIndex = StepNumber{104},
    .readPath = StepNumber{108},
    .progressValue = StepNumber{112},
    // A file that cannot be read, or a contact that cannot go to Outlook, is
    // reported where its launch would have been.
    .openContact = StepNumber{120},
    .advance = StepNumber{136},
};
constexpr StepNumber ReachOutlook{114};
constexpr StepNumber HoldItemWindows{116};
constexpr StepNumber CheckNoItemWindow{118};
constexpr StepNumber Launch{120};
constexpr StepNumber PollItemWindow{124};
constexpr StepNumber Save{128};
constexpr StepNumber Close{130};

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

const SessionSteps& ItemWindowTarget::steps() const {
    return ItemWindowSteps;
}

// 114 to 134. Whatever stops the contact early (a step that fails without a
// step to go on to, or the window closing) goes straight to the release.
ContactOutcome ItemWindowTarget::store(const ContactAtHand& contact, RunContext& run) {
    ContactOutcome outcome;
    if (reachItemWindows(run) && mayLaunch(contact, run) && openItemWindow(contact, run))
        saveAndClose(contact.card, run, outcome);
    release(); // 132, 134
    return outcome;
}

// 114 and 116: when Outlook cannot be reached, each step says so and the
// launch still happens.
bool ItemWindowTarget::reachItemWindows(RunContext& run) {
    auto application = outlook_.createApplication();
    if (!application) {
        if (!run.report(ReachOutlook, application.failure()))
            return false;
    } else {
        application_ = std::move(application.value());
    }
    if (!application_)
        return run.report(HoldItemWindows, NoApplication);
    auto itemWindows = application_->inspectors();
    if (!itemWindows)
        return run.report(HoldItemWindows, itemWindows.failure());
    itemWindows_ = std::move(itemWindows.value());
    return true;
}

// 118: when Outlook cannot be asked, the launch still happens, as if no
// window were open.
bool ItemWindowTarget::mayLaunch(const ContactAtHand& contact, RunContext& run) {
    if (!itemWindows_)
        return run.report(CheckNoItemWindow, NoItemWindows);
    auto count = itemWindows_->count();
    if (!count)
        return run.report(CheckNoItemWindow, count.failure());
    if (count.value() == 0)
        return true;
    // Skipping silently would let "Done." hide a file that was never imported.
    run.report(CheckNoItemWindow,
               Failure{"An Outlook item window is already open, so this file was not imported: " +
                       contact.subject()});
    return false;
}

// 120 to 126.
bool ItemWindowTarget::openItemWindow(const ContactAtHand& contact, RunContext& run) {
    const std::string& path = contact.openPath();
    // Windows forbids the double quote in file names; inside the quoted
    // argument it would end the quoting and hand Outlook extra switches.
    if (path.find('"') != std::string::npos) {
        run.report(Launch, Failure{"This path cannot name a file (it holds a double quote) and "
                                   "was not opened: " +
                                   path});
        return false;
    }
    ShellLaunch request;
    request.owner = run.screen().nativeHandle();
    request.program = OutlookProgram;
    request.parameters = std::string(OpenSwitch) + '"' + path + '"';
    request.directory = LaunchDirectory;
    request.show = ShowCommand::Maximized;
    // A launch that failed cannot bring a window; waiting for one would only
    // cost the whole bound.
    if (auto launched = shell_.launch(request); !launched) {
        run.report(Launch, launched.failure());
        return false;
    }
    const Clock::TimePoint launchedAt = clock_.now();
    const std::string couldNotAsk =
        "Outlook could not be asked whether it opened " + contact.subject() + ": ";
    for (;;) {
        if (!itemWindows_) {
            run.report(PollItemWindow, Failure{couldNotAsk + NoItemWindows.description});
            return false;
        }
        auto count = itemWindows_->count();
        if (!count) {
            run.report(PollItemWindow, Failure{couldNotAsk + count.failure().description});
            return false;
        }
        if (count.value() == 1)
            return true;
        if (clock_.now() - launchedAt >= options_.openWaitBound) {
            run.report(PollItemWindow,
                       Failure{"Outlook did not open an item window for " + contact.subject() +
                               " within " + describeDuration(options_.openWaitBound) + "."});
            return false;
        }
        // 126
        if (!run.screen().waitForEvents(options_.pollInterval))
            return false;
    }
}

// 128 and 130: the window is closed without saving again even when the save
// failed, so a failed save is not kept behind the user's back either.
void ItemWindowTarget::saveAndClose(const FileContact& contact, RunContext& run,
                                    ContactOutcome& outcome) {
    if (auto saved = saveCurrentItem(contact, run, outcome.carried); saved)
        outcome.result = ContactResult::Saved;
    else if (!run.report(Save, saved.failure()))
        return;
    auto itemWindow = itemWindows_->item(FirstItemWindow);
    if (!itemWindow) {
        run.report(Close, itemWindow.failure());
        return;
    }
    if (auto closed = itemWindow.value()->close(CloseMode::Discard); !closed)
        run.report(Close, closed.failure());
}

Outcome<void> ItemWindowTarget::saveCurrentItem(const FileContact& contact, RunContext& run,
                                                std::string& carried) {
    auto itemWindow = itemWindows_->item(FirstItemWindow);
    if (!itemWindow)
        return itemWindow.failure();
    auto item = itemWindow.value()->currentItem();
    if (!item)
        return item.failure();
    carried = run.carryRest(contact, *item.value());
    return item.value()->save();
}

void ItemWindowTarget::release() {
    itemWindows_.reset();
    application_.reset();
}

} // namespace quorvane

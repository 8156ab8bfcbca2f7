#pragma once
// The run through item windows (Start Importing): for every contact of every
// queued file, have Outlook open it in an item window, save the item the
// window shows and close the window. Every step has a fixed number that the
// error report shows; after a failure has been reported the run goes on at
// the step the table names, so one bad file never stops the files after it.
// Each contact's result goes to the run's record as the run reaches it.

#include "import/contact_recorder.h"
#include "import/queue_walk.h"
#include "import/run_end.h"
#include "import/run_screen.h"
#include "import/step_number.h"
#include "platform/clock.h"
#include "platform/code_pages.h"
#include "platform/outlook_automation.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "platform/shell_launcher.h"
#include "queue/import_queue.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace quorvane {

struct ImportRunOptions {
    // How long to wait for Outlook's item window after the launch before the
    // file is reported and the run moves on.
    std::chrono::milliseconds openWaitBound = std::chrono::seconds(60);
    // The longest sleep between two polls of the window count; any window
    // event ends the sleep early.
    std::chrono::milliseconds pollInterval = std::chrono::milliseconds(15);
};

// What a run works with besides the queue.
struct ImportRunServices {
    RunWindow& window;
    OutlookAutomation& outlook;
    ShellLauncher& shell;
    const Clock& clock;
    RunStorage& storage;
    CodePages& codePages;
};

class ItemWindowRun {
public:
    ItemWindowRun(const ImportQueue& queue, ImportRunServices services,
                  ImportRunOptions options = {});

    // Returns when the last box has been closed, or at once when the window
    // is closed meanwhile (the Outlook references are released on the way).
    // Either way the window hears once that the run has ended.
    RunEnd run();

private:
    // Where the run goes next, and the failure to report first, if any; no
    // next step means the run is over.
    struct StepResult {
        std::optional<StepNumber> next;
        std::optional<Failure> failure;
    };

    StepResult execute(StepNumber step);

    StepResult showProgressValue();
    StepResult reachOutlook();
    StepResult holdInspectors();
    StepResult checkNoItemWindowOpen();
    StepResult launchOutlook();
    StepResult pollForItemWindow();
    StepResult saveCurrentItem();
    StepResult closeItemWindow();
    StepResult finishContact();
    StepResult advanceIndex();

    bool keepReading();
    // The file Outlook opens for the contact at hand.
    const std::string& launchPath() const;
    // How reports name the contact at hand.
    std::string subject() const;

    ShellLauncher& shell_;
    OutlookAutomation& outlook_;
    const Clock& clock_;
    ImportRunOptions options_;

    // Declared in this order so that the walk records what it left before
    // the screen tells the window the run is over.
    RunScreen screen_;
    ContactRecorder recorder_;
    QueueWalk walk_;

    std::unique_ptr<OutlookApplication> application_;
    std::unique_ptr<OutlookInspectors> itemWindows_;
    Clock::TimePoint launchedAt_{};
};

} // namespace quorvane

#pragma once
// The import run: for every contact of every queued file, have Outlook open
// it in an item window, save the item the window shows and close the window.
// Every step has a fixed number that the error report shows; after a failure
// has been reported the run goes on at the step the table names, so one bad
// file never stops the files after it. Each contact's result goes to the
// run's record as the run reaches it.

#include "import/run_end.h"
#include "import/stepped_run.h"
#include "platform/clock.h"
#include "platform/code_pages.h"
#include "platform/outlook_automation.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "platform/shell_launcher.h"
#include "queue/import_queue.h"

#include <chrono>
#include <cstdint>
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

class ImportRun final : private SteppedRun {
public:
    ImportRun(const ImportQueue& queue, ImportRunServices services, ImportRunOptions options = {});

    // Returns when the last box has been closed, or at once when the window
    // is closed meanwhile (the Outlook references are released on the way).
    // Either way the window hears once that the run has ended.
    RunEnd run();

private:
    StepResult execute(int step) override;
    void releaseOutlook() override;

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

    // The file Outlook opens for the contact at hand.
    const std::string& launchPath() const;
    // How reports name the contact at hand.
    std::string subject() const;
    std::string quotedPath() const;

    OutlookAutomation& outlook_;
    ShellLauncher& shell_;
    const Clock& clock_;
    ImportRunOptions options_;

    std::unique_ptr<OutlookApplication> application_;
    std::unique_ptr<OutlookInspectors> itemWindows_;
    Clock::TimePoint launchedAt_{};
};

} // namespace quorvane

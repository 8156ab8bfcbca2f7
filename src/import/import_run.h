#pragma once
// The import run: for every queued file, have Outlook open it in an item
// window, save the item the window shows and close the window. Every step has
// a fixed number that the error report shows; after a failure has been
// reported the run goes on at the step the table names, so one bad file never
// stops the files after it.

#include "platform/clock.h"
#include "platform/outlook_automation.h"
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

enum class RunEnd { Finished, WindowClosed };

class ImportRun {
public:
    ImportRun(const ImportQueue& queue, RunWindow& window, OutlookAutomation& outlook,
              ShellLauncher& shell, const Clock& clock, ImportRunOptions options = {});

    // Returns when the last box has been closed, or at once when the window
    // is closed meanwhile (the Outlook references are released on the way).
    // Either way the window hears once that the run has ended.
    RunEnd run();

private:
    struct StepResult {
        int next;
        std::optional<Failure> failure;
    };
    static StepResult go(int next) { return {next, std::nullopt}; }
    static StepResult fail(std::string description, int resumeAt) {
        return {resumeAt, Failure{std::move(description)}};
    }
    static StepResult fail(const Failure& failure, int resumeAt) { return {resumeAt, failure}; }

    RunEnd runSteps();
    void announceEnd();
    StepResult execute(int step);

    StepResult checkQueueNotEmpty();
    StepResult showHourglass();
    StepResult fixLastIndex();
    StepResult readCurrentPath();
    StepResult showProgressText();
    StepResult showProgressValue();
    StepResult reachOutlook();
    StepResult holdInspectors();
    StepResult checkNoItemWindowOpen();
    StepResult launchOutlook();
    StepResult pollForItemWindow();
    StepResult saveCurrentItem();
    StepResult closeItemWindow();
    StepResult releaseInspectors();
    StepResult releaseApplication();
    StepResult advanceIndex();

    std::string quotedPath() const;

    const ImportQueue& queue_;
    RunWindow& window_;
    OutlookAutomation& outlook_;
    ShellLauncher& shell_;
    const Clock& clock_;
    ImportRunOptions options_;

    std::int32_t index_ = 0;
    std::int32_t lastIndex_ = 0;
    std::string currentPath_;
    std::unique_ptr<OutlookApplication> application_;
    std::unique_ptr<OutlookInspectors> itemWindows_;
    Clock::TimePoint launchedAt_{};
    bool windowClosing_ = false;
    bool endAnnounced_ = false;
};

} // namespace quorvane

#pragma once
// The import run: for every contact of every queued file, have Outlook open
// it in an item window, save the item the window shows and close the window.
// Every step has a fixed number that the error report shows; after a failure
// has been reported the run goes on at the step the table names, so one bad
// file never stops the files after it. Each contact's result goes to the
// run's record as the run reaches it.

#include "import/contact_recorder.h"
#include "import/file_contacts.h"
#include "import/run_end.h"
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

class ImportRun {
public:
    ImportRun(const ImportQueue& queue, ImportRunServices services, ImportRunOptions options = {});

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
    StepResult splitIntoContacts();
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
    StepResult finishContact();
    StepResult advanceIndex();

    bool splitsIntoSeveral() const { return contacts_.size() > 1; }
    const FileContact* currentContact() const;
    // The file Outlook opens for the contact at hand.
    const std::string& launchPath() const;
    // How reports name the contact at hand.
    std::string subject() const;
    std::string quotedPath() const;

    void recordUnfinishedContacts();

    const ImportQueue& queue_;
    RunWindow& window_;
    OutlookAutomation& outlook_;
    ShellLauncher& shell_;
    const Clock& clock_;
    RunStorage& storage_;
    ImportRunOptions options_;
    FileContactSplitter splitter_;
    ContactRecorder recorder_;

    std::int32_t index_ = 0;
    std::int32_t lastIndex_ = 0;
    std::string currentPath_;
    std::unique_ptr<OutlookApplication> application_;
    std::unique_ptr<OutlookInspectors> itemWindows_;
    Clock::TimePoint launchedAt_{};
    bool windowClosing_ = false;
    bool endAnnounced_ = false;

    // The contacts of the file at hand, and where the run is among them.
    std::vector<FileContact> contacts_;
    std::size_t contactAt_ = 0;
    std::optional<Failure> fileFailure_; // unreadable, or no card at all
};

} // namespace quorvane

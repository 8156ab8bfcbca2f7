#pragma once
// What both import runs share: the loop that runs numbered steps and reports
// a failed step by its number before going on where the run's table says;
// the walk over the queue's rows and the contacts of each row; the record of
// every contact; and telling the window, once, that the run has ended. Each
// run adds its own steps and numbers (the run through item windows from 100,
// the one without windows from 200).

#include "import/contact_recorder.h"
#include "import/file_contacts.h"
#include "import/run_end.h"
#include "platform/code_pages.h"
#include "platform/outcome.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "queue/import_queue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class SteppedRun {
protected:
    // No step bears it: the run is over.
    static constexpr int End = -1;

    struct StepResult {
        int next;
        std::optional<Failure> failure;
    };
    static StepResult go(int next) { return {next, std::nullopt}; }
    static StepResult fail(Failure failure, int resumeAt) { return {resumeAt, std::move(failure)}; }
    static StepResult fail(std::string description, int resumeAt) {
        return {resumeAt, Failure{std::move(description)}};
    }
    // On to `next`, or the failure and on to `resumeAt`.
    static StepResult proceed(const Outcome<void>& done, int next, int resumeAt) {
        return done ? go(next) : fail(done.failure(), resumeAt);
    }

    SteppedRun(const ImportQueue& queue, RunWindow& window, RunStorage& storage,
               CodePages& codePages);
    virtual ~SteppedRun() = default;

    // Runs execute() from `firstStep` until a step leads to End. A failure is
    // shown in the error report and the run goes on at the step it names.
    // Returns at once when the window is closed meanwhile, with the contacts
    // not reached recorded as skipped; either way the window hears of the
    // end once.
    RunEnd runFrom(int firstStep);
    virtual StepResult execute(int step) = 0;
    // Lets go of whatever the run holds of Outlook, when it ends early.
    virtual void releaseOutlook() {}
    // A failure on its way to the report, for a run that words some itself.
    virtual void beforeReport(Failure&) {}

    // Before the closing box, so the taskbar rests together with the bar.
    void announceEnd();
    // Lets the window handle its events; a close ends the run after the step.
    void yieldToWindow();

    // --- the walk over the queue ------------------------------------------
    // The row count is read once: rows added meanwhile are not imported.
    Outcome<void> beginWalk();
    // The row at the index; rows removed while the run yielded are a
    // failure, never the previous path again.
    Outcome<void> readCurrentRow();
    // Splits the row's file into contacts, yielding while it works; a file
    // that has none is kept as `fileFailure_` for the run to report where
    // the contact would have gone to Outlook.
    void splitIntoContacts();
    // Records the contact at hand. True when the file has another contact,
    // which is then at hand (after a yield, as every cycle begins).
    bool nextContactOfFile();
    // True when another row follows; a failure when the index cannot grow.
    Outcome<bool> advanceRow();
    Outcome<double> progressValue() const;
    std::string progressText() const;

    bool splitsIntoSeveral() const { return contacts_.size() > 1; }
    const FileContact* currentContact() const;

    const ImportQueue& queue_;
    RunWindow& window_;
    FileContactSplitter splitter_;
    ContactRecorder recorder_;

    std::int32_t index_ = 0;
    std::int32_t lastIndex_ = 0;
    // Set from the row and by nothing else.
    std::string currentPath_;
    std::vector<FileContact> contacts_;
    std::size_t contactAt_ = 0;
    std::optional<Failure> fileFailure_; // unreadable, or no card at all
    bool windowClosing_ = false;

private:
    bool endAnnounced_ = false;
};

} // namespace quorvane

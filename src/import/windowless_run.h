#pragma once
// The import without windows: Outlook is reached once for the whole run and
// every contact of every queued file is opened straight from its card file,
// stored, and let go of, with no item window on the screen. Steps are
// numbered from 200 (docs/windowless-steps.md); a failure is reported with
// its step and the run goes on with the next contact. An Outlook that goes
// away mid-run (a crash) is said once and reached afresh for the next
// contact. Only a run that cannot reach Outlook at all, or has nowhere to
// store contacts, ends early.

#include "import/stepped_run.h"
#include "platform/code_pages.h"
#include "platform/outlook_session.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "queue/import_queue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Where the contacts go: Outlook's default Contacts folder, or a contacts
// folder the user picks in Outlook's chooser once the run has reached Outlook.
enum class WindowlessTarget { DefaultContacts, ChosenFolder };

struct WindowlessRunServices {
    RunWindow& window;
    OutlookSessions& outlook;
    RunStorage& storage;
    CodePages& codePages;
};

// The one message a run shows when this machine has no Outlook it can drive;
// `systemWords` is what Windows said, for whoever reads it to support.
std::string NoDesktopOutlookMessage(std::string_view systemWords);

// The chooser's answer was a folder for something else than contacts.
std::string NotAContactsFolderMessage(std::string_view folderName);

// Outlook went away while it was asked about a contact; `systemWords` is
// what Windows said of the broken connection.
std::string OutlookWentAwayMessage(std::string_view systemWords);

class WindowlessRun final : private SteppedRun {
public:
    WindowlessRun(const ImportQueue& queue, WindowlessRunServices services,
                  WindowlessTarget target);

    // Returns after the last box, or at once when the window is closed
    // meanwhile; every Outlook reference is released on the way out.
    RunEnd run();

private:
    StepResult execute(int step) override;
    void releaseOutlook() override;
    void beforeReport(Failure& failure) override;

    StepResult reachOutlook();
    StepResult resolveFolder();
    StepResult chooseFolder();
    StepResult readFolderPath();
    StepResult fixLastIndex();
    StepResult showProgressValue();
    StepResult openContact();
    StepResult storeContact();
    StepResult saveMovedContact();
    StepResult readEntryId();
    StepResult advanceIndex();
    StepResult showClosingMessage();
    StepResult finishContact();
    StepResult reachOutlookAgain();
    StepResult findFolderAgain();
    void readFolderIds();

    void releaseContact();
    // A file's only contact is its own path; the contacts of a split file
    // are their card files.
    const std::string& contactPath() const { return contacts_.at(contactAt_).path; }

    OutlookSessions& outlook_;
    WindowlessTarget target_;

    // Held for the whole run, released at its end. Declared before the
    // items, so the items are released first however the run ends.
    std::unique_ptr<OutlookSession> session_;
    std::unique_ptr<OutlookFolder> folder_; // null: Save's own default folder
    std::string folderPath_;
    // The chosen folder's identity, to find it again in a new session after
    // Outlook went away; or why it could not be read.
    std::string folderEntryId_;
    std::string folderStoreId_;
    std::optional<Failure> folderIdFailure_;
    bool outlookLost_ = false; // the session is dead; reach Outlook before the next call
    bool abandoned_ = false;   // Outlook could not be reached again: no further contact

    // The contact at hand; both are let go of before the next one.
    std::unique_ptr<OutlookContactItem> item_;
    std::unique_ptr<OutlookContactItem> movedItem_;

    // The run's last box: "Done." once the queue has been walked, the plain
    // words when Outlook is missing, none when the run ended otherwise.
    struct ClosingMessage {
        std::string text;
        MessageStyle style;
    };
    std::optional<ClosingMessage> closingMessage_;
};

} // namespace quorvane

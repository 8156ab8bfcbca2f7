#pragma once
// The import without windows: Outlook is reached once for the whole run and
// every contact of every queued file is opened straight from its card file,
// stored, and let go of, with no item window on the screen. Steps are
// numbered from 200 (docs/windowless-steps.md); a failure is reported with
// its step and the run goes on with the next contact. An Outlook that goes
// away mid-run (a crash) is said once and reached afresh for the next
// contact. Only a run that cannot reach Outlook at all, or has nowhere to
// store contacts, ends early.

#include "import/contact_recorder.h"
#include "import/known_contacts.h"
#include "import/queue_walk.h"
#include "import/run_end.h"
#include "import/run_screen.h"
#include "import/step_number.h"
#include "platform/code_pages.h"
#include "platform/outlook_session.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "queue/import_queue.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// Outlook would not let the run read what `folderName` holds; asks whether
// to import without the duplicate check.
std::string DuplicateCheckRefusedQuestion(std::string_view folderName,
                                          std::string_view outlookWords);

class WindowlessRun {
public:
    WindowlessRun(const ImportQueue& queue, WindowlessRunServices services,
                  WindowlessTarget target);

    // Returns after the last box, or at once when the window is closed
    // meanwhile; every Outlook reference is released on the way out.
    RunEnd run();

private:
    void importQueue();
    // Outlook, the folder and the record, for the whole run; false when
    // nothing can be imported.
    bool prepare();
    bool resolveFolder();
    bool chooseFolder();
    void readFolderPath();
    // What the folder holds, once, for the duplicate check; false when the
    // user chose to stop rather than import without it.
    bool readKnownContacts();
    // Whether the contact at hand is one the folder holds already (then it
    // is recorded so and not stored).
    bool isDuplicate(const FileContact& contact);
    void rememberStored(const FileContact& contact, const std::string& entryId);
    std::string closingSummary() const;
    void readFolderIds();
    // False when the run must stop walking.
    bool walkQueue();
    bool importFile();
    void importContact();
    void storeContact(const FileContact& contact);
    bool reachOutlookAgain();
    bool findFolderAgain();
    void finish();

    // Reports a failed step (an Outlook that went away is said in words of
    // its own, once); false when the run must return.
    bool report(StepNumber step, Failure failure);
    void releaseContact();
    void releaseOutlook();

    OutlookSessions& outlook_;
    WindowlessTarget target_;

    // Declared in this order so that the walk records what it left before
    // the screen tells the window the run is over.
    RunScreen screen_;
    ContactRecorder recorder_;
    QueueWalk walk_;

    // Held for the whole run, released at its end. Declared before the
    // items, so the items are released first however the run ends.
    std::unique_ptr<OutlookSession> session_;
    std::unique_ptr<OutlookFolder> folder_; // null: Save's own default folder
    std::string folderPath_;
    std::string folderName_;
    std::string storeId_;
    KnownContacts known_;
    bool checkDuplicates_ = true;
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
        bool summarised = false; // "Done." followed by what became of the contacts
    };
    std::optional<ClosingMessage> closingMessage_;
};

} // namespace quorvane

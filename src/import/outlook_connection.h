#pragma once
// Outlook's session and the folder the contacts go to, held for a whole run
// without windows: a session held for every contact costs Outlook far less
// than reaching it anew per file. When Outlook goes away mid-run (a crash),
// that is said once, and the next contact reaches a fresh Outlook and finds
// the same folder again by its IDs.

#include "base/outcome.h"
#include "import/run_context.h"
#include "import/step_number.h"
#include "platform/outlook_session.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Where the contacts go: Outlook's default Contacts folder, a contacts folder
// the user picks in Outlook's chooser once the run has reached Outlook, or
// one a script named by its path.
enum class WindowlessDestination { DefaultContacts, ChosenFolder, NamedFolder };

// The chooser's answer was a folder for something else than contacts.
std::string NotAContactsFolderMessage(std::string_view folderName);

// Outlook went away while it was asked about a contact; `systemWords` is
// what Windows said of the broken connection.
std::string OutlookWentAwayMessage(std::string_view systemWords);

class OutlookConnection {
public:
    // `folderPath` names the folder of a NamedFolder destination, as
    // OutlookSession::folderByPath reads it.
    OutlookConnection(OutlookSessions& outlook, WindowlessDestination destination,
                      std::string folderPath = {})
        : outlook_(outlook), destination_(destination), folderPath_(std::move(folderPath)) {}

    // Reaches Outlook and the folder; false when nothing can be imported
    // (said, or the user cancelled the chooser).
    bool open(RunContext& run);

    OutlookSession& session() { return *session_; }
    // Null only for the default Contacts folder Outlook could not name:
    // Save stores there without being told.
    OutlookFolder* folder() { return folder_.get(); }

    // Outlook's words for a failed step; when they say Outlook went away,
    // they are put in words of that (once), and the next contact reaches
    // Outlook afresh.
    Failure explained(Failure failure);
    // Before a contact after Outlook went away: a fresh Outlook and the same
    // folder. False when the contact cannot be stored; abandoned() then says
    // whether any later one could.
    bool reachAgainIfLost(RunContext& run);
    bool abandoned() const { return abandoned_; }

    void release();

private:
    bool resolveFolder(RunContext& run);
    bool chooseFolder(RunContext& run);
    bool findNamedFolder(RunContext& run);
    bool findFolderAgain(RunContext& run);
    // Wanted only if Outlook goes away mid-run, so a failure here is said
    // only then, when the folder cannot be found again without them.
    void rememberFolderIds();

    OutlookSessions& outlook_;
    WindowlessDestination destination_;
    std::string folderPath_;
    // Declared before the folder, so the folder is released first.
    std::unique_ptr<OutlookSession> session_;
    std::unique_ptr<OutlookFolder> folder_;
    std::string folderEntryId_;
    std::string folderStoreId_;
    std::optional<Failure> folderIdFailure_;
    bool lost_ = false;      // the session is dead; reach Outlook before the next call
    bool abandoned_ = false; // Outlook could not be reached again: no further contact
};

} // namespace quorvane

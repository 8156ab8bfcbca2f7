#pragma once
// Undo Last Import: the contacts the newest run without windows stored are
// found again in Outlook by the IDs its record keeps and moved to Deleted
// Items, once the user has said yes. A contact changed since that run
// stored it is kept, and named; so is one the user moved out of the folder
// it was stored in (to Deleted Items too: deleting there would be for
// good), and one whose time of storing was not recorded. One that is gone
// already is recorded as such. Everything goes to a record of its own, which also marks the run as
// taken back; a run taken back in part goes on where it stopped. Steps are
// numbered from 300 (docs/windowless-steps.md).

#include "import/import_target.h"
#include "platform/clock.h"
#include "platform/outlook_session.h"
#include "platform/run_storage.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvane {

class UndoTarget final : public TakeBackTarget {
public:
    UndoTarget(OutlookSessions& outlook, RunStorage& storage, const Clock& clock)
        : outlook_(outlook), storage_(storage), clock_(clock) {}

    std::optional<RecordedRun> prepare(RunContext& run) override;
    ContactOutcome takeBack(const RecordedContact& contact, RunContext& run) override;
    void release() override;
    std::string closingSummary(const ResultCount& count,
                               const std::optional<std::string>& recordPath) const override;

private:
    std::optional<RunRecordText> readLastImport(RunContext& run);
    // Whether the contact is still in the folder its import stored it in.
    Outcome<bool> inRecordedFolder(const RecordedContact& contact, OutlookStoredItem& item);
    const std::string& recordedFolder(const RecordedContact& contact);
    void readFolderTable();
    ContactOutcome keep(const RecordedContact& contact, ContactResult why);

    OutlookSessions& outlook_;
    RunStorage& storage_;
    const Clock& clock_;
    std::unique_ptr<OutlookSession> session_;
    std::vector<std::string> keptChanged_;
    std::vector<std::string> keptMoved_;
    std::optional<std::string> defaultFolderPath_;
    // The folder the import stored into, once a contact was found there,
    // and what its table lists: the contacts in it now, by entry ID, and
    // when each last changed. Empty while not read or refused.
    std::unique_ptr<OutlookFolder> folder_;
    bool folderFound_ = false;
    std::unordered_map<std::string, double> changeTimes_;
    bool tableRead_ = false;
    Clock::TimePoint tableReadAt_{};
};

// The contacts of `record` that its run stored and that are not taken back
// yet.
std::vector<RecordedContact> ContactsToTakeBack(const RunRecordText& record);

} // namespace quorvane

#pragma once
// Undo Last Import: the contacts the newest run without windows stored are
// found again in Outlook by the IDs its record keeps and moved to Deleted
// Items, once the user has said yes. A contact changed since that run
// stored it is kept, and named; one that is gone already is recorded as
// such. Everything goes to a record of its own, which also marks the run as
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
    void refreshChangeTimes(OutlookStoredItem& item);

    OutlookSessions& outlook_;
    RunStorage& storage_;
    const Clock& clock_;
    std::unique_ptr<OutlookSession> session_;
    std::vector<std::string> keptNames_;
    bool changeTimesTried_ = false;
    std::unique_ptr<OutlookFolder> changeTimesFolder_; // held while its table is of use
    Clock::TimePoint changeTimesReadAt_{};
    // When each contact of that folder last changed, by entry ID.
    std::unordered_map<std::string, double> changeTimes_;
};

// The contacts of `record` that its run stored and that are not taken back
// yet.
std::vector<RecordedContact> ContactsToTakeBack(const RunRecordText& record);

} // namespace quorvane

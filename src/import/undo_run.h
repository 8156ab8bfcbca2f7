#pragma once
// Undo Last Import: the contacts the newest run without windows stored are
// found again in Outlook by the IDs its record keeps and moved to Deleted
// Items, once the user has said yes. A contact changed since that run
// stored it is kept, and named; one that is gone already is recorded as
// such. Everything goes to a record of its own, which also marks the run as
// taken back; a run taken back in part goes on where it stopped. Steps are
// numbered from 300 (docs/windowless-steps.md).

#include "import/contact_recorder.h"
#include "import/run_end.h"
#include "import/run_screen.h"
#include "platform/outlook_session.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvane {

struct UndoRunServices {
    RunWindow& window;
    OutlookSessions& outlook;
    RunStorage& storage;
};

class UndoRun {
public:
    explicit UndoRun(UndoRunServices services);

    // Returns after the last box, or at once when the window is closed
    // meanwhile.
    RunEnd run();

private:
    struct StoredContact {
        std::string file;
        std::size_t number = 0;
        std::string name;
        std::string entryId;
        std::string folder;
        std::string storeId;
        std::string storedAt;
    };

    void undo();
    // The contacts of `record` that its run stored and that are not taken
    // back yet.
    static std::vector<StoredContact> contactsToTakeBack(const RunRecordText& record);
    void takeBack(OutlookSession& session, const StoredContact& contact);
    void refreshChangeTimes(OutlookStoredItem& item);
    std::string closingSummary() const;

    OutlookSessions& outlook_;
    RunStorage& storage_;
    RunScreen screen_;
    ContactRecorder recorder_;
    std::vector<std::string> keptNames_;
    bool changeTimesTried_ = false;
    std::unique_ptr<OutlookFolder> changeTimesFolder_; // held while its table is of use
    std::chrono::steady_clock::time_point changeTimesReadAt_;
    // When each contact of that folder last changed, by entry ID.
    std::unordered_map<std::string, double> changeTimes_;
};

} // namespace quorvane

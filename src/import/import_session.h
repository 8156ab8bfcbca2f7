#pragma once
// One import session: what every run does, written once. It owns the run's
// screen, its record and the walk, and drives a target through them: the
// run's edge (any fault caught and said, the rest of the queue recorded, the
// pointer, the bar and the taskbar put back, the end announced once), the
// loop over contacts, the report of a failed step, the closing box, and one
// run at a time: a nested second run would wait on the first run's Outlook
// and the first on the second's, or store every contact twice.

#include "cards/outlook_keeps.h"
#include "import/import_target.h"
#include "import/run_end.h"
#include "platform/code_pages.h"
#include "platform/import_lock.h"
#include "platform/regional_settings.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "platform/settings_store.h"
#include "queue/import_queue.h"

#include <array>
#include <cstddef>

namespace quorvane {

class QueueWalk;

// What the last run came to, for a caller that says it in one number (a
// script's exit code).
struct RunTally {
    // Contacts were walked and recorded; otherwise nothing was imported
    // (Outlook not reached, the folder not found, the question answered No).
    bool walked = false;
    // Refused: another run, here or in another Quorvane, was going on.
    bool otherRunGoingOn = false;
    std::array<std::size_t, ContactResultCount> counts{};

    std::size_t count(ContactResult result) const {
        return counts[static_cast<std::size_t>(result)];
    }
};

// The services a session works with besides its window and queue.
struct SessionServices {
    RunStorage& storage;
    SettingsStore& settings; // where what a check of Outlook learned is kept
    CodePages& codePages;
    const RegionalSettings& regional;
    ImportLock& importLock;
};

class ImportSession {
public:
    ImportSession(const ImportQueue& queue, RunWindow& window, SessionServices services)
        : queue_(queue), window_(window), storage_(services.storage), settings_(services.settings),
          codePages_(services.codePages), regional_(services.regional),
          importLock_(services.importLock) {}
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Imports the queue through `target`. Returns after the last box, or at
    // once when the window is closed meanwhile; at once, too, while another
    // run of this session goes on.
    RunEnd run(ImportTarget& target);
    // Takes a run back through `target`, under the same rules.
    RunEnd run(TakeBackTarget& target);
    // Checks Outlook through `target`, under the same rules.
    RunEnd run(CheckTarget& target);

    bool running() const { return running_; }
    const RunTally& lastRun() const { return lastRun_; }

private:
    template <typename Target, typename Body> RunEnd frame(Target& target, Body body);
    template <typename Target>
    void close(Target& target, RunContext& run, const ContactRecorder* recorder);
    // The same with the closing box `summary()` gives, asked once Outlook is
    // let go of; nothing for what the context was left to say.
    template <typename Target, typename Summary>
    void closeWith(Target& target, RunContext& run, Summary summary);

    // Each returns false when the run must stop walking.
    bool walkQueue(ImportTarget& target, RunContext& run, QueueWalk& walk,
                   ContactRecorder& recorder);
    bool importFile(ImportTarget& target, RunContext& run, QueueWalk& walk,
                    ContactRecorder& recorder);

    const ImportQueue& queue_;
    RunWindow& window_;
    RunStorage& storage_;
    SettingsStore& settings_;
    CodePages& codePages_;
    const RegionalSettings& regional_;
    ImportLock& importLock_;
    RunTally lastRun_;
    // What Outlook keeps of a card; the rest is carried into each contact.
    const OutlookKeeps keeps_ = BuiltInOutlookKeeps();
    bool running_ = false;
};

} // namespace quorvane

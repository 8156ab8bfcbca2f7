#pragma once
// One import session: what every run does, written once. It owns the run's
// screen, its record and the walk, and drives a target through them: the
// run's edge (any fault caught and said, the rest of the queue recorded, the
// pointer, the bar and the taskbar put back, the end announced once), the
// loop over contacts, the report of a failed step, the closing box, and one
// run at a time: a nested second run would wait on the first run's Outlook
// and the first on the second's, or store every contact twice.

#include "import/import_target.h"
#include "import/run_end.h"
#include "platform/code_pages.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"
#include "queue/import_queue.h"

namespace quorvane {

class QueueWalk;

class ImportSession {
public:
    ImportSession(const ImportQueue& queue, RunWindow& window, RunStorage& storage,
                  CodePages& codePages)
        : queue_(queue), window_(window), storage_(storage), codePages_(codePages) {}
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Imports the queue through `target`. Returns after the last box, or at
    // once when the window is closed meanwhile; at once, too, while another
    // run of this session goes on.
    RunEnd run(ImportTarget& target);
    // Takes a run back through `target`, under the same rules.
    RunEnd run(TakeBackTarget& target);

    bool running() const { return running_; }

private:
    template <typename Target, typename Body> RunEnd frame(Target& target, Body body);
    template <typename Target>
    void close(Target& target, RunContext& run, const ContactRecorder* recorder);

    // Each returns false when the run must stop walking.
    bool walkQueue(ImportTarget& target, RunContext& run, QueueWalk& walk,
                   ContactRecorder& recorder);
    bool importFile(ImportTarget& target, RunContext& run, QueueWalk& walk,
                    ContactRecorder& recorder);

    const ImportQueue& queue_;
    RunWindow& window_;
    RunStorage& storage_;
    CodePages& codePages_;
    bool running_ = false;
};

} // namespace quorvane

#pragma once
// The walk every import run makes: over the queue's rows, in order, and over
// the contacts of each row's file, one at a time, with a line in the run's
// record for what it leaves behind: the rest of a file it stopped in, and
// each row it never reached (the contact at hand has its own line). The row count is read once when
// the walk begins: rows added meanwhile are not imported; rows removed meanwhile are a failure at
// their position, never the previous file again.

#include "base/outcome.h"
#include "import/contact_recorder.h"
#include "import/file_contacts.h"
#include "platform/code_pages.h"
#include "platform/run_storage.h"
#include "queue/import_queue.h"

#include <cstdint>
#include <string>

namespace quorvane {

class QueueWalk {
public:
    // With `readIdentities`, each contact carries its e-mail addresses and
    // phones.
    QueueWalk(const ImportQueue& queue, RunStorage& storage, CodePages& codePages,
              const OutlookKeeps& keeps, ContactRecorder& recorder, bool readIdentities);
    // A walk left early records what it did not reach.
    ~QueueWalk() { recordUnfinished(); }
    QueueWalk(const QueueWalk&) = delete;
    QueueWalk& operator=(const QueueWalk&) = delete;

    // Reads the row count and stands at the first row; a queue too long to
    // count fails, and the walk then goes on to the largest count it can.
    Outcome<void> begin();
    // The path of the row the walk stands at.
    Outcome<void> readRow();
    // Reads the row's file up to its first contact, which is then at hand;
    // `keepGoing` is asked while it reads.
    void openFile(const KeepGoing& keepGoing);
    // Puts the file's next contact at hand; false when the file has no more
    // (its card files are gone then).
    bool nextContact(const KeepGoing& keepGoing);
    // On to the next row; false after the last, a failure when the position
    // cannot grow.
    Outcome<bool> advance();

    // The run ended before the walk did: the rest of the file at hand and
    // every row not begun get their lines. Once.
    void recordUnfinished();

    std::int32_t index() const { return index_; }
    const std::string& path() const { return path_; }
    const FileContact* contact() const { return contacts_.current(); }
    bool split() const { return contacts_.split(); }
    std::string progressText() const;
    Outcome<double> progressValue() const;

private:
    const ImportQueue& queue_;
    ContactRecorder& recorder_;
    FileContacts contacts_;
    std::int32_t index_ = 0;
    std::int32_t lastIndex_ = 0;
    // The last row whose path was read: rows after it were never begun.
    std::int32_t rowBegun_ = 0;
    // Set from the row and by nothing else.
    std::string path_;
    bool contactUnderWay_ = false;
    bool finished_ = false;
};

} // namespace quorvane

#include "import/queue_walk.h"

#include "import/run_progress.h"

#include <algorithm>
#include <limits>

namespace quorvane {

QueueWalk::QueueWalk(const ImportQueue& queue, RunStorage& storage, CodePages& codePages,
                     const OutlookKeeps& keeps, ContactRecorder& recorder, bool readIdentities)
    : queue_(queue), recorder_(recorder), contacts_(storage, codePages, keeps) {
    if (readIdentities)
        contacts_.readIdentities();
}

Outcome<void> QueueWalk::begin() {
    index_ = 1;
    constexpr auto maxRows = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    if (queue_.count() > maxRows) {
        lastIndex_ = std::numeric_limits<std::int32_t>::max();
        return Failure{"The queue holds more rows than one run can import."};
    }
    lastIndex_ = static_cast<std::int32_t>(queue_.count());
    return Success();
}

Outcome<void> QueueWalk::readRow() {
    contacts_.close();
    const auto row = queue_.item(static_cast<std::size_t>(index_));
    // Going on with the previous path would import that file a second time.
    if (!row)
        return Failure{"Row " + std::to_string(index_) + " of the queue no longer exists."};
    path_.assign(*row);
    rowBegun_ = index_;
    return Success();
}

void QueueWalk::openFile(const KeepGoing& keepGoing) {
    contacts_.open(path_, keepGoing);
    contactUnderWay_ = contacts_.current() != nullptr;
}

bool QueueWalk::nextContact(const KeepGoing& keepGoing) {
    contactUnderWay_ = contacts_.next(keepGoing);
    if (contactUnderWay_)
        return true;
    if (contacts_.restAbandoned())
        recorder_.recordNotReached(path_,
                                   "The contacts after the one before were not imported: "
                                   "they could not be written out for Outlook.",
                                   ContactResult::Reported);
    // A file stopped in the middle keeps its place for recordUnfinished.
    if (!contacts_.mayHaveMore() || contacts_.restAbandoned())
        contacts_.close();
    return false;
}

Outcome<bool> QueueWalk::advance() {
    if (index_ == std::numeric_limits<std::int32_t>::max()) {
        finished_ = true;
        return Failure{"Overflow: the row index cannot grow any further."};
    }
    ++index_;
    finished_ = index_ > lastIndex_;
    return !finished_;
}

void QueueWalk::recordUnfinished() {
    if (finished_ || index_ == 0)
        return;
    finished_ = true;
    if (rowBegun_ == index_ && contacts_.mayHaveMore())
        recorder_.recordNotReached(path_, contactUnderWay_
                                              ? "The run was ended before the rest of this "
                                                "file was read."
                                              : "The run was ended while this file was read.");
    contactUnderWay_ = false;
    contacts_.close();
    // Rows removed meanwhile are gone from the queue and from the record.
    const auto last = std::min<std::int64_t>(lastIndex_, static_cast<std::int64_t>(queue_.count()));
    for (std::int64_t row = rowBegun_ == index_ ? index_ + 1 : index_; row > 0 && row <= last;
         ++row) {
        const auto path = queue_.item(static_cast<std::size_t>(row));
        recorder_.recordNotReached(path ? *path : "row " + std::to_string(row) + " of the queue");
    }
}

std::string QueueWalk::progressText() const {
    return ProgressText(path_, contacts_.current(), contacts_.split());
}

// The row count is read anew: rows may come and go meanwhile.
Outcome<double> QueueWalk::progressValue() const {
    return ProgressValue(index_, queue_.count(), contacts_.fractionDone());
}

} // namespace quorvane

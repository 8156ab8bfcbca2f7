#pragma once
// The soak's bookkeeping: which queued file was saved how often and which was
// named to the user in a report, and from that the verdict on the promise
// that no file is lost silently and none is saved twice.

#include "support/box_watch.h"

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvane::soak {

struct StepTally {
    std::size_t reports = 0;
    std::wstring example; // the first report's text, for the fault table
};

struct LedgerVerdict {
    std::size_t queued = 0;
    std::size_t savedOnce = 0;
    std::size_t savedTwiceOrMore = 0;
    std::size_t savedNotQueued = 0;
    std::size_t reportedNotSaved = 0;
    std::size_t reportedAndSaved = 0; // e.g. saved, then its Close failed
    std::size_t lost = 0;             // neither saved nor reported
    std::vector<std::wstring> lostExamples;
    std::vector<std::wstring> twiceExamples;
};

class RunLedger {
public:
    explicit RunLedger(const std::vector<std::wstring>& queued);

    // A box as the user saw it, with the progress bar's text at that moment:
    // a report is about the file the bar names ("Processing: <name>") and
    // about any queued path its own text quotes.
    void boxSeen(const test::Box& box, const std::wstring& progressText);

    const std::map<int, StepTally>& steps() const { return steps_; }
    std::size_t boxes() const { return boxes_; }

    LedgerVerdict settle(const std::vector<std::wstring>& savedPaths) const;

private:
    void markReported(const std::wstring& fileName, const std::wstring& text);

    std::vector<std::wstring> queued_;
    std::unordered_map<std::wstring, std::size_t> byFileName_;
    std::vector<bool> reported_;
    std::map<int, StepTally> steps_;
    std::size_t boxes_ = 0;
};

} // namespace quorvane::soak

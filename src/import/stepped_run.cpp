#include "import/stepped_run.h"

#include "import/error_report.h"
#include "import/run_progress.h"

#include <limits>

namespace quorvane {

SteppedRun::SteppedRun(const ImportQueue& queue, RunWindow& window, RunStorage& storage,
                       CodePages& codePages)
    : queue_(queue), window_(window), splitter_(storage, codePages), recorder_(storage, window) {}

RunEnd SteppedRun::runFrom(int firstStep) {
    RunEnd end = RunEnd::Finished;
    for (int step = firstStep; step != End;) {
        StepResult result = execute(step);
        if (!windowClosing_ && result.failure) {
            beforeReport(*result.failure);
            recorder_.noteReport(step, *result.failure);
            window_.showMessage(FormatErrorReport(result.failure->description, step),
                                MessageStyle::Exclamation, ErrorReportTitle);
            // A close can reach the window while the box is up; nothing more
            // may run or be shown after it.
            windowClosing_ = window_.closing();
        }
        if (windowClosing_) {
            recorder_.finishUnfinished(currentPath_, contacts_, contactAt_);
            releaseOutlook();
            splitter_.releaseCardFiles();
            end = RunEnd::WindowClosed;
            break;
        }
        step = result.next;
    }
    announceEnd();
    return end;
}

void SteppedRun::announceEnd() {
    if (endAnnounced_)
        return;
    endAnnounced_ = true;
    window_.runEnded();
}

void SteppedRun::yieldToWindow() {
    windowClosing_ = window_.yield() == YieldResult::WindowClosing;
}

Outcome<void> SteppedRun::beginWalk() {
    index_ = 1;
    constexpr auto maxRows = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    if (queue_.count() > maxRows) {
        lastIndex_ = std::numeric_limits<std::int32_t>::max();
        return Failure{"The queue holds more rows than one run can import."};
    }
    lastIndex_ = static_cast<std::int32_t>(queue_.count());
    return Success();
}

Outcome<void> SteppedRun::readCurrentRow() {
    contacts_.clear();
    contactAt_ = 0;
    fileFailure_.reset();
    const auto row = queue_.item(static_cast<std::size_t>(index_));
    // Going on with the previous path would import that file a second time.
    if (!row)
        return Failure{"Row " + std::to_string(index_) + " of the queue no longer exists."};
    currentPath_.assign(*row);
    return Success();
}

void SteppedRun::splitIntoContacts() {
    auto contacts = splitter_.split(currentPath_, [this] {
        yieldToWindow();
        return !windowClosing_;
    });
    if (windowClosing_)
        return;
    if (!contacts)
        fileFailure_ = contacts.failure();
    else
        contacts_ = std::move(contacts.value());
    recorder_.startContact();
}

bool SteppedRun::nextContactOfFile() {
    recorder_.finishContact(currentPath_, currentContact());
    if (contactAt_ + 1 >= contacts_.size()) {
        splitter_.releaseCardFiles();
        return false;
    }
    ++contactAt_;
    recorder_.startContact();
    yieldToWindow();
    return true;
}

Outcome<bool> SteppedRun::advanceRow() {
    if (index_ == std::numeric_limits<std::int32_t>::max())
        return Failure{"Overflow: the row index cannot grow any further."};
    ++index_;
    return index_ <= lastIndex_;
}

// The row count is read anew: rows may come and go meanwhile.
Outcome<double> SteppedRun::progressValue() const {
    return ProgressValue(index_, queue_.count(), contactAt_, contacts_.size());
}

std::string SteppedRun::progressText() const {
    return ProgressText(currentPath_, contacts_, contactAt_);
}

const FileContact* SteppedRun::currentContact() const {
    return contactAt_ < contacts_.size() ? &contacts_[contactAt_] : nullptr;
}

} // namespace quorvane

#include "queue/search_worker.h"

#include <utility>

namespace quorvane {

// What one search is, shared by the command that waits for it and the thread
// that walks it (a closing window stops waiting before the walk has noticed).
struct SearchJob {
    SearchWalk walk;
    bool holdsHourglass = false;
    // Written on the search's thread before its last batch is handed over,
    // read on the window's thread once that batch has been taken.
    UnreadableFolders unreadable;
    std::exception_ptr failure;
    bool done = false; // window thread only: its last row is queued
};

void UnreadableFolders::record(std::string_view folder, const Failure& failure) {
    ++count_;
    if (first_.size() >= UnreadableFoldersNamed)
        return;
    // Shown without the trailing backslash the walk's folders carry, except
    // where it belongs: "D:\" stays a drive root.
    if (folder.size() > 1 && folder.ends_with('\\') && folder[folder.size() - 2] != ':')
        folder.remove_suffix(1);
    first_.push_back({std::string(folder), failure.description});
}

void UnreadableFolders::add(const UnreadableFolders& later) {
    count_ += later.count_;
    for (const UnreadableFolder& folder : later.first_)
        if (first_.size() < UnreadableFoldersNamed)
            first_.push_back(folder);
}

// --- the search's side -----------------------------------------------------

SearchRun::SearchRun(SearchWorker& worker, std::shared_ptr<SearchJob> job)
    : worker_(worker), job_(std::move(job)), clears_(worker.queue_.clears()),
      lastHandOver_(worker.clock_.now()) {}

FileSystem& SearchRun::files() {
    return worker_.files_;
}

bool SearchRun::keepGoing() {
    if (worker_.endingSoon_.load(std::memory_order_relaxed))
        return false;
    const bool sliceOver = worker_.clock_.now() - lastHandOver_ >= SearchYieldSlice;
    if (!sliceOver && rows_.size() < MostRowsPerBatch)
        return true;
    // A slice that found nothing has nothing to say to the window.
    if (rows_.empty()) {
        lastHandOver_ = worker_.clock_.now();
        return true;
    }
    return handOver(false);
}

void SearchRun::startRow() {
    const std::uint64_t clears = worker_.queue_.clears();
    if (clears == clears_)
        return;
    rows_.clear();
    clears_ = clears;
}

void SearchRun::queueRow(std::string_view row) {
    startRow();
    rows_.append(row);
}

void SearchRun::queueRow(std::string_view prefix, std::string_view name) {
    startRow();
    rows_.append(prefix, name);
}

void SearchRun::recordUnreadable(std::string_view folder, const Failure& failure) {
    job_->unreadable.record(folder, failure);
}

// Waits for the window's thread to take the batch and come back to waiting
// (see search_worker.h); false when the window closed meanwhile.
bool SearchRun::handOver(bool last) {
    SearchWorker& worker = worker_;
    {
        const std::lock_guard lock(worker.mutex_);
        if (worker.ending_)
            return false;
        worker.handoff_ = {job_, std::move(rows_), clears_, last};
        worker.slot_ = SearchWorker::Slot::Handed;
    }
    worker.window_.wakeUp();
    std::unique_lock lock(worker.mutex_);
    worker.changed_.wait(
        lock, [&] { return worker.slot_ == SearchWorker::Slot::Released || worker.ending_; });
    if (worker.ending_)
        return false;
    worker.slot_ = SearchWorker::Slot::Empty;
    rows_ = std::move(worker.spare_);
    lock.unlock();
    lastHandOver_ = worker.clock_.now();
    return true;
}

// --- the window's side -----------------------------------------------------

SearchWorker::SearchWorker(FileSystem& files, const Clock& clock, RunWindow& window,
                           ImportQueue& queue)
    : files_(files), clock_(clock), window_(window), queue_(queue) {}

SearchWorker::~SearchWorker() {
    stop();
}

void SearchWorker::stop() {
    endAll();
    if (thread_.joinable())
        thread_.join();
}

void SearchWorker::endAll() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
        endingSoon_ = true;
        waiting_.clear();
    }
    changed_.notify_all();
}

YieldResult SearchWorker::run(SearchWalk walk, bool holdsHourglass, UnreadableFolders& unreadable) {
    auto job = std::make_shared<SearchJob>();
    job->walk = std::move(walk);
    job->holdsHourglass = holdsHourglass;
    {
        const std::lock_guard lock(mutex_);
        if (ending_)
            return YieldResult::WindowClosing;
        // Started with the first search (a window that never searches has no
        // thread to end), and before the search is queued: a thread that
        // cannot be made throws here and leaves no search behind.
        if (!thread_.joinable())
            thread_ = std::thread([this] { work(); });
        waiting_.push_back(job);
    }
    changed_.notify_all();
    if (holdsHourglass)
        ++hourglassSearches_;
    if (waitFor(*job) == YieldResult::WindowClosing)
        return YieldResult::WindowClosing;
    unreadable = std::move(job->unreadable);
    if (job->failure)
        std::rethrow_exception(job->failure);
    return YieldResult::KeepGoing;
}

// Any search's wait takes every batch, whichever search it belongs to: a
// search started during another waits here, nested inside the first one's
// wait, and the first one's rows must go on arriving before its own.
YieldResult SearchWorker::waitFor(const SearchJob& job) {
    while (!job.done) {
        letWalkGoOn();
        window_.sleepUntilEventOrWakeUp();
        // The rows first, then the events: a Clear that came with a batch
        // clears the rows found before it.
        deliver();
        if (job.done)
            break;
        if (window_.yield() == YieldResult::WindowClosing) {
            endAll();
            return YieldResult::WindowClosing;
        }
        if (hourglassSearches_ > 0 && window_.pointer() != PointerKind::Hourglass)
            window_.setPointer(PointerKind::Hourglass);
    }
    letWalkGoOn();
    return YieldResult::KeepGoing;
}

bool SearchWorker::deliver() {
    Handoff handoff;
    {
        const std::lock_guard lock(mutex_);
        if (slot_ != Slot::Handed)
            return false;
        handoff = std::move(handoff_);
        slot_ = Slot::Taken;
    }
    if (handoff.clears == queue_.clears())
        queue_.addBatch(handoff.rows);
    if (handoff.last) {
        handoff.job->done = true;
        if (handoff.job->holdsHourglass)
            --hourglassSearches_;
        queue_.endGrowth();
    }
    handoff.rows.clear();
    const std::lock_guard lock(mutex_);
    spare_ = std::move(handoff.rows);
    return true;
}

// The window's thread is done with the batch it took: the walk goes on.
void SearchWorker::letWalkGoOn() {
    {
        const std::lock_guard lock(mutex_);
        if (slot_ != Slot::Taken)
            return;
        slot_ = Slot::Released;
    }
    changed_.notify_all();
}

void SearchWorker::work() {
    for (;;) {
        std::shared_ptr<SearchJob> job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return ending_ || !waiting_.empty(); });
            if (ending_)
                return;
            job = std::move(waiting_.front());
            waiting_.pop_front();
        }
        SearchRun run(*this, job);
        try {
            job->walk(run);
        } catch (...) {
            // Thrown again on the window's thread, where the command that
            // started the search reports it as any command's failure.
            job->failure = std::current_exception();
            run.rows_.clear();
        }
        // The last batch, even an empty one, tells the window the search has
        // ended.
        (void)run.handOver(true);
    }
}

} // namespace quorvane

#pragma once
// The folder searches' own thread. A search over a big tree, or over one
// folder of a million files (which Wine lists in a single system call of
// seconds), must never keep the window from answering. So the walk runs here,
// and the window's thread only appends what it is handed and otherwise sleeps
// on its message queue, handling every event as it comes: commands keep
// running nested inside a search, as in any other wait.
//
// Searches run one at a time, in the order they were started: a second drop or
// Add Folder given during a search waits for it, and its rows follow all of the
// first's. Within a search the walk hands its rows over in batches, one slice
// of walking at a time, and waits until the window's thread has appended them
// and handled the events that came meanwhile. The walk is therefore never more
// than one slice ahead of the queue: a Clear or a close takes effect on rows
// the user could have seen, and nothing piles up in memory while the window is
// held elsewhere (a message box, an import run started during the search).

#include "base/outcome.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/run_window.h"
#include "queue/import_queue.h"
#include "queue/row_batch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quorvane {

// How much walking goes into one batch: often enough for the list to grow
// visibly and for a Clear or a close to be noticed at once, seldom enough that
// handing over costs nothing next to the walk.
inline constexpr std::chrono::milliseconds SearchYieldSlice{25};

// A batch goes over early once it holds this many rows, so that a fast disk
// cannot fill memory within one slice.
inline constexpr std::size_t MostRowsPerBatch = 16384;

// How many unreadable folders a search keeps by name for its report; beyond
// that it only counts them.
inline constexpr std::size_t UnreadableFoldersNamed = 5;

struct UnreadableFolder {
    std::string folder;
    std::string reason; // the system's own words
};

class UnreadableFolders {
public:
    void record(std::string_view folder, const Failure& failure);
    // Another search's, after this one's.
    void add(const UnreadableFolders& later);
    std::size_t count() const { return count_; }
    // The first UnreadableFoldersNamed of them, in the order met.
    const std::vector<UnreadableFolder>& first() const { return first_; }

private:
    std::size_t count_ = 0;
    std::vector<UnreadableFolder> first_;
};

class SearchWorker;
struct SearchJob;

// One search as its walk sees it, on the search's thread.
class SearchRun {
public:
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    FileSystem& files();
    // Called after every listing started and every entry read: hands the
    // rows found so far over once a slice has passed, and says whether the
    // walk may go on (false once the window is closing: stop at once).
    bool keepGoing();
    void queueRow(std::string_view row);
    // `prefix` and `name` together make one row.
    void queueRow(std::string_view prefix, std::string_view name);
    void recordUnreadable(std::string_view folder, const Failure& failure);

private:
    friend class SearchWorker;
    SearchRun(SearchWorker& worker, std::shared_ptr<SearchJob> job);
    // Rows found before a Clear are not queued after it.
    void startRow();
    bool handOver(bool last);

    SearchWorker& worker_;
    std::shared_ptr<SearchJob> job_;
    RowBatch rows_;
    std::uint64_t clears_;
    Clock::TimePoint lastHandOver_;
};

// What a command asks of the search's thread: the walk, given its run.
using SearchWalk = std::function<void(SearchRun& run)>;

// Owned by the window's logic; every call but those of SearchRun is made on the
// window's thread.
class SearchWorker {
public:
    SearchWorker(FileSystem& files, const Clock& clock, RunWindow& window, ImportQueue& queue);
    // Ends every search and joins the thread.
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    FileSystem& files() { return files_; }
    const Clock& clock() const { return clock_; }
    RunWindow& window() { return window_; }
    ImportQueue& queue() { return queue_; }

    // Runs `walk` once every search started before it has ended, and returns
    // when its last row is queued, the window handling its events meanwhile.
    // While a search that holds the hourglass is under way, the hourglass is
    // put back after every event, in case a command that ran nested restored
    // the arrow. The unreadable folders the walk met go to `unreadable`; a
    // failure it threw is thrown here.
    YieldResult run(SearchWalk walk, bool holdsHourglass, UnreadableFolders& unreadable);

    // The window is closing: the search under way stops at its next step and
    // those waiting never start, nor does any started later.
    void endAll();
    // endAll(), then waits for the thread to end.
    void stop();

private:
    friend class SearchRun;

    // Where the batch being handed over stands, from the search's side.
    enum class Slot { Empty, Handed, Taken, Released };
    struct Handoff {
        std::shared_ptr<SearchJob> job;
        RowBatch rows;
        std::uint64_t clears = 0; // the queue's count of Clears when the rows were found
        bool last = false;
    };

    void work();
    YieldResult waitFor(const SearchJob& job);
    bool deliver();
    void letWalkGoOn();

    FileSystem& files_;
    const Clock& clock_;
    RunWindow& window_;
    ImportQueue& queue_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<SearchJob>> waiting_;
    Slot slot_ = Slot::Empty;
    Handoff handoff_;
    RowBatch spare_; // a delivered batch's memory, for the next one
    bool ending_ = false;
    // ending_ as the walk reads it after every entry, without the lock.
    std::atomic<bool> endingSoon_{false};
    std::size_t hourglassSearches_ = 0; // window thread only
    std::thread thread_;
};

} // namespace quorvane

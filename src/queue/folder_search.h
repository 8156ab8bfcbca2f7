#pragma once
// The folder search that the Add Folder command and dropped folders share:
// one breadth-first walk that lists every folder once and takes from that one
// listing both the folders to search next and the files to queue.
//
// A search runs on the user-interface thread and lets the window handle its
// events every SearchYieldSlice, so any command may run nested inside it (a
// Clear, a second drop, the import run). Rows therefore wait in the search and
// go to the end of the queue in one batch at every yield and at the end: a
// nested command sees the queue as it is, and rows found later still go after
// whatever the nested command added.

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/run_window.h"
#include "queue/import_queue.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Often enough for the window to keep painting (at least every 50 ms), seldom
// enough that handling events costs less than the search itself.
inline constexpr std::chrono::milliseconds SearchYieldSlice{25};

// How many unreadable folders a search keeps by name for its report; beyond
// that it only counts them.
inline constexpr std::size_t UnreadableFoldersNamed = 5;

struct UnreadableFolder {
    std::string folder;
    std::string reason; // the system's own words
};

class FolderSearch {
public:
    FolderSearch(FileSystem& files, RunWindow& window, const Clock& clock, ImportQueue& queue);
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;

    // Puts the hourglass back after every yield, in case a command that ran
    // nested inside the yield ended by restoring the arrow.
    void holdHourglass() { holdHourglass_ = true; }

    // Hands `onFile` every file in `root` (ending in a backslash) and in every
    // folder below it, at any depth, whose long name matches `pattern`, hidden
    // and system files included: first the files of `root`, then those of the
    // folders one level below, then two levels, each level grouped by parent
    // in the parents' order, and within a folder in listing order. `onFile`
    // gets the folder without its trailing backslash, and the name.
    //
    // Each folder is listed once, everything in it, and its entries sorted
    // here. Hidden and system folders and names holding "?" are not searched.
    // An entry whose attributes cannot be read is taken for a folder (it is
    // searched) and, since it may as well be a file, queued if its name
    // matches. A folder that cannot be listed is recorded; one whose listing
    // breaks off is recorded too, and keeps what was found before the break.
    // A folder reached a second time through a link is not listed again.
    using FileFound = std::function<void(std::string_view folder, std::string_view name)>;
    YieldResult SearchFolders(std::string root, std::string_view pattern, const FileFound& onFile);

    // The row goes to the end of the queue at the next yield or flushRows().
    void queueRow(std::string row) { pendingRows_.push_back(std::move(row)); }
    void flushRows();

    // Yields when a slice has passed since the last yield.
    YieldResult yieldIfDue();

    FileSystem& files() { return files_; }
    std::size_t unreadableCount() const { return unreadableCount_; }
    // The first UnreadableFoldersNamed of them, in the order met.
    const std::vector<UnreadableFolder>& firstUnreadable() const { return firstUnreadable_; }

private:
    YieldResult yieldNow();
    void recordUnreadable(std::string_view folder, const Failure& failure);

    FileSystem& files_;
    RunWindow& window_;
    const Clock& clock_;
    ImportQueue& queue_;
    Clock::TimePoint lastYield_;
    bool holdHourglass_ = false;
    std::vector<std::string> pendingRows_;
    std::size_t unreadableCount_ = 0;
    std::vector<UnreadableFolder> firstUnreadable_;
};

} // namespace quorvane

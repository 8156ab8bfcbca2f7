#pragma once
// The folder search that the Add Folder command and dropped folders share:
// one breadth-first walk that lists every folder once and takes from that one
// listing both the folders to search next and the files to queue. The walk
// runs on the searches' own thread (search_worker.h); FolderSearch is one
// command's search as the window's thread sees it.

#include "platform/file_system.h"
#include "platform/run_window.h"
#include "queue/search_worker.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Hands `onFile` every file in `root` (ending in a backslash) and in every
// folder below it, at any depth, whose long name matches `pattern`, hidden
// and system files included: first the files of `root`, then those of the
// folders one level below, then two levels, each level grouped by parent in
// the parents' order, and within a folder in listing order. `onFile` gets the
// folder without its trailing backslash, and the name. Runs on the search's
// thread; false when it was told to stop.
//
// Each folder is listed once, everything in it, and its entries sorted here.
// Hidden and system folders and names holding "?" are not searched. An entry
// whose attributes cannot be read is taken for a folder (it is searched) and,
// since it may as well be a file, queued if its name matches. A folder that
// cannot be listed is recorded; one whose listing breaks off is recorded too,
// and keeps what was found before the break. A folder reached a second time
// through a link is not listed again.
using FileFound = std::function<void(std::string_view folder, std::string_view name)>;
bool SearchFolders(SearchRun& run, std::string root, std::string_view pattern,
                   const FileFound& onFile);

// One command's search, on the window's thread.
class FolderSearch {
public:
    explicit FolderSearch(SearchWorker& worker);
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;

    // Puts the hourglass back after every event handled while the search
    // waits, in case a command that ran nested ended by restoring the arrow.
    void holdHourglass() { holdHourglass_ = true; }

    // Runs `walk` on the search's thread once every search started before it
    // has ended; returns when its last row is queued (rows found so far go
    // first; see search_worker.h). May be called more than once.
    YieldResult run(SearchWalk walk);

    // A row the command found on the window's thread itself: it goes to the
    // end of the queue at the next yield, before the next run(), or at
    // flushRows().
    void queueRow(std::string row) { pendingRows_.push_back(std::move(row)); }
    void flushRows();
    // Yields when a slice has passed since the last yield.
    YieldResult yieldIfDue();

    // For the window's thread: the walk has its own through SearchRun.
    FileSystem& files() { return worker_.files(); }
    std::size_t unreadableCount() const { return unreadable_.count(); }
    // The first UnreadableFoldersNamed of them, in the order met.
    const std::vector<UnreadableFolder>& firstUnreadable() const { return unreadable_.first(); }

private:
    SearchWorker& worker_;
    Clock::TimePoint lastYield_;
    bool holdHourglass_ = false;
    std::vector<std::string> pendingRows_;
    UnreadableFolders unreadable_;
};

} // namespace quorvane

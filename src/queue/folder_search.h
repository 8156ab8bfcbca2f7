#pragma once
// The folder search that the Add Folder command and dropped folders share:
// CollectSubFolders finds every folder below a starting folder, breadth-first,
// and ListFiles the names of the matching files in one folder.
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

    // Replaces `folders` (each ending in one backslash) by those folders and
    // every folder below them, at any depth: the given folders, then the
    // folders one level below, then two levels, each level grouped by parent
    // in the parents' order and within a parent in listing order. Hidden and
    // system folders and names holding "?" are not searched; an entry whose
    // attributes cannot be read counts as a folder. A folder that cannot be
    // listed leaves the list and is recorded; a folder reached a second time
    // through a link is not listed again.
    YieldResult CollectSubFolders(std::vector<std::string>& folders);

    // Hands `onName` the name of every file in `folder` (with or without a
    // trailing backslash) whose long name matches `pattern`, hidden and system
    // files included, in listing order. A folder that cannot be listed is
    // recorded.
    YieldResult ListFiles(std::string_view folder, std::string_view pattern,
                          const std::function<void(std::string_view)>& onName);

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
    bool isFolder(const FolderEntry& entry, const std::string& path);
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

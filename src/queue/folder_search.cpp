#include "queue/folder_search.h"

#include "queue/visited_folders.h"
#include "queue/wildcard.h"

#include <optional>
#include <utility>

namespace quorvane {

namespace {

// "?" only appears where a name could not be shown in the listing's character
// set, so such a path would not reach the folder anyway; "." and ".." are the
// folder itself and its parent.
bool isSearchableName(std::string_view name) {
    return name.find('?') == std::string_view::npos && name != "." && name != "..";
}

// A failed attribute query reads as every bit set, which includes the
// directory bit: an entry that cannot be read is searched like a folder.
constexpr std::uint32_t UnreadableAttributes = 0xFFFFFFFF;

} // namespace

FolderSearch::FolderSearch(FileSystem& files, RunWindow& window, const Clock& clock,
                           ImportQueue& queue)
    : files_(files), window_(window), clock_(clock), queue_(queue), lastYield_(clock.now()) {}

YieldResult FolderSearch::CollectSubFolders(std::vector<std::string>& folders) {
    VisitedFolders visited(files_);
    std::vector<std::string> listed;
    // Every folder the walk has tried, listed or not: once a link turns up, a
    // link to a folder that could not be listed must not have it tried, and
    // reported, a second time.
    std::vector<std::string> tried;
    std::vector<std::string> level = std::move(folders);
    folders.clear();

    while (!level.empty()) {
        std::vector<std::string> below;
        for (std::string& folder : level) {
            if (visited.listedBefore(folder))
                continue;
            tried.push_back(folder);
            auto listing = files_.list(folder, ListingMask::Folders);
            if (!listing) {
                recordUnreadable(folder, listing.failure());
                continue;
            }
            listed.push_back(folder);
            if (yieldIfDue() == YieldResult::WindowClosing)
                return YieldResult::WindowClosing;
            for (;;) {
                auto entry = listing.value()->next();
                if (!entry) {
                    // Cut short: keep the folders found so far, but do not
                    // list the folder's files from a listing that fails.
                    recordUnreadable(folder, entry.failure());
                    listed.pop_back();
                    break;
                }
                if (!entry.value())
                    break;
                if (yieldIfDue() == YieldResult::WindowClosing)
                    return YieldResult::WindowClosing;
                const FolderEntry& found = *entry.value();
                if (!isSearchableName(found.name))
                    continue;
                std::string path = folder + found.name;
                if (!isFolder(found, path))
                    continue;
                if (found.link)
                    visited.linkFound(tried);
                path += '\\';
                below.push_back(std::move(path));
            }
        }
        level = std::move(below);
    }
    folders = std::move(listed);
    return YieldResult::KeepGoing;
}

YieldResult FolderSearch::ListFiles(std::string_view folder, std::string_view pattern,
                                    const std::function<void(std::string_view)>& onName) {
    std::string search(folder);
    if (!search.ends_with('\\'))
        search += '\\';
    search += pattern;
    auto listing = files_.list(search, ListingMask::Files);
    if (!listing) {
        recordUnreadable(folder, listing.failure());
        return YieldResult::KeepGoing;
    }
    for (;;) {
        auto entry = listing.value()->next();
        if (!entry) {
            recordUnreadable(folder, entry.failure());
            return YieldResult::KeepGoing;
        }
        if (!entry.value())
            return YieldResult::KeepGoing;
        // The listing may have matched the 8.3 short name; only the long name
        // the user sees counts.
        if (MatchesWildcard(entry.value()->name, pattern))
            onName(entry.value()->name);
        if (yieldIfDue() == YieldResult::WindowClosing)
            return YieldResult::WindowClosing;
    }
}

void FolderSearch::flushRows() {
    if (pendingRows_.empty())
        return;
    queue_.addMany(std::move(pendingRows_));
    pendingRows_.clear();
}

YieldResult FolderSearch::yieldIfDue() {
    if (clock_.now() - lastYield_ < SearchYieldSlice)
        return YieldResult::KeepGoing;
    return yieldNow();
}

YieldResult FolderSearch::yieldNow() {
    flushRows();
    const YieldResult result = window_.yield();
    // Counted from the return: a nested command may have kept the window busy.
    lastYield_ = clock_.now();
    if (result == YieldResult::KeepGoing && holdHourglass_ &&
        window_.pointer() != PointerKind::Hourglass)
        window_.setPointer(PointerKind::Hourglass);
    return result;
}

// The listing's own attributes decide whenever it gives them: asking again
// for every entry would double the file system's work for the same answer.
bool FolderSearch::isFolder(const FolderEntry& entry, const std::string& path) {
    std::uint32_t attributes = UnreadableAttributes;
    if (entry.attributes) {
        attributes = *entry.attributes;
    } else if (auto queried = files_.attributes(path)) {
        attributes = queried.value();
    }
    return (attributes & FileAttribute::Directory) != 0;
}

void FolderSearch::recordUnreadable(std::string_view folder, const Failure& failure) {
    ++unreadableCount_;
    if (firstUnreadable_.size() >= UnreadableFoldersNamed)
        return;
    // Shown without the trailing backslash the folder list carries, except
    // where it belongs: "D:\" stays a drive root.
    if (folder.size() > 1 && folder.ends_with('\\') && folder[folder.size() - 2] != ':')
        folder.remove_suffix(1);
    firstUnreadable_.push_back({std::string(folder), failure.description});
}

} // namespace quorvane

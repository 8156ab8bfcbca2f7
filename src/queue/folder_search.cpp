#include "queue/folder_search.h"

#include "queue/visited_folders.h"
#include "queue/wildcard.h"

#include <deque>
#include <optional>
#include <utility>

namespace quorvane {

namespace {

// The folder itself and its parent: listed in every folder but the root, and
// never anything to search or queue.
bool isDots(std::string_view name) {
    return name == "." || name == "..";
}

// "?" only appears where a name could not be shown in the listing's character
// set, so such a path would not reach the folder anyway.
bool isReachableName(std::string_view name) {
    return name.find('?') == std::string_view::npos;
}

// What one listed entry is to the search.
struct EntryUse {
    bool searchBelow = false;
    bool queue = false;
};

// Sorts an entry as two listings would: a folder is searched when a
// listing with ListingMask::Folders would have returned it (hidden and system
// ones not), a file queued when one with ListingMask::Files and `pattern`
// would have (hidden and system ones too), checked against its long name,
// since Windows also matches 8.3 short names.
EntryUse useOf(std::string_view name, std::uint32_t attributes, std::string_view pattern) {
    if ((attributes & FileAttribute::Directory) != 0)
        return {ListingAdmits(ListingMask::Folders, attributes) && isReachableName(name), false};
    return {false, MatchesWildcard(name, pattern)};
}

// An entry nobody can describe is searched, as a folder that cannot be read
// always was, and queued when its name matches, as a file the pattern found
// always was: skipping it could lose the very files the user asked for.
EntryUse useOfUnknown(std::string_view name, std::string_view pattern) {
    return {isReachableName(name), MatchesWildcard(name, pattern)};
}

// The listing's own attributes decide whenever it gives them: asking again
// for every entry would double the file system's work for the same answer.
EntryUse entryUse(FileSystem& files, const FolderEntry& entry, const std::string& folder,
                  std::string_view pattern) {
    if (entry.attributes)
        return useOf(entry.name, *entry.attributes, pattern);
    if (auto queried = files.attributes(folder + entry.name))
        return useOf(entry.name, queried.value(), pattern);
    return useOfUnknown(entry.name, pattern);
}

} // namespace

// One first-in, first-out line of folders gives the breadth-first order by
// itself: a folder's sub-folders join the end of the line in listing order,
// behind every folder of its own level. Only the folders still waiting are
// held, never the whole tree.
bool SearchFolders(SearchRun& run, std::string root, std::string_view pattern,
                   const FileFound& onFile) {
    FileSystem& files = run.files();
    VisitedFolders visited(files);
    // Every folder the walk has tried, listed or not: once a link turns up, a
    // link to a folder that could not be listed must not have it tried, and
    // reported, a second time.
    std::vector<std::string> tried;
    std::deque<std::string> waiting;
    waiting.push_back(std::move(root));

    while (!waiting.empty()) {
        const std::string folder = std::move(waiting.front());
        waiting.pop_front();
        if (visited.listedBefore(folder))
            continue;
        tried.push_back(folder);
        auto listing = files.list(folder, ListingMask::Everything);
        if (!listing) {
            run.recordUnreadable(folder, listing.failure());
            continue;
        }
        if (!run.keepGoing())
            return false;
        const std::string_view folderText = std::string_view(folder).substr(0, folder.size() - 1);
        for (;;) {
            auto entry = listing.value()->next();
            if (!entry) {
                // Cut short: what was found so far stays found.
                run.recordUnreadable(folder, entry.failure());
                break;
            }
            if (!entry.value())
                break;
            const FolderEntry& found = *entry.value();
            if (!isDots(found.name)) {
                const EntryUse use = entryUse(files, found, folder, pattern);
                if (use.queue)
                    onFile(folderText, found.name);
                if (use.searchBelow) {
                    if (found.link)
                        visited.linkFound(tried);
                    waiting.push_back(folder + found.name + '\\');
                }
            }
            if (!run.keepGoing())
                return false;
        }
    }
    return true;
}

FolderSearch::FolderSearch(SearchWorker& worker)
    : worker_(worker), lastYield_(worker.clock().now()) {}

YieldResult FolderSearch::run(SearchWalk walk) {
    flushRows();
    UnreadableFolders found;
    const YieldResult result = worker_.run(std::move(walk), holdHourglass_, found);
    unreadable_.add(found);
    return result;
}

void FolderSearch::flushRows() {
    if (pendingRows_.empty())
        return;
    worker_.queue().addMany(std::move(pendingRows_));
    pendingRows_.clear();
}

YieldResult FolderSearch::yieldIfDue() {
    const Clock& clock = worker_.clock();
    if (clock.now() - lastYield_ < SearchYieldSlice)
        return YieldResult::KeepGoing;
    flushRows();
    RunWindow& window = worker_.window();
    const YieldResult result = window.yield();
    // Counted from the return: a nested command may have kept the window busy.
    lastYield_ = clock.now();
    if (result == YieldResult::KeepGoing && holdHourglass_ &&
        window.pointer() != PointerKind::Hourglass)
        window.setPointer(PointerKind::Hourglass);
    return result;
}

} // namespace quorvane

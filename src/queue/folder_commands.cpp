#include "queue/folder_commands.h"

#include "text/backslash_path.h"

#include <cstddef>
#include <optional>
#include <utility>

namespace quorvane {

namespace {

// How a row is made of a folder and a name: with JoinPath's repair of a drive
// root's doubled backslash (Add Folder), or plainly (a drop).
enum class RowJoin { Repaired, Plain };

// Windows names hold neither; a row whose name did would need JoinPath whole.
bool nameJoinsPlainly(std::string_view name) {
    return name.find_first_of(":\\") == std::string_view::npos;
}

// `root` ends in the backslash that the walk's folders carry; rows are built
// from each folder's text without it. The text every row of a folder begins
// with is made once per folder: a million rows, a million joins saved.
bool queueFilesBelow(SearchRun& run, std::string root, std::string_view pattern, RowJoin join) {
    std::optional<std::string> folderSeen;
    std::string prefix;
    const auto queueFile = [&](std::string_view folder, std::string_view name) {
        if (name.starts_with('~'))
            return;
        if (!folderSeen || *folderSeen != folder) {
            folderSeen.emplace(folder);
            prefix = join == RowJoin::Repaired ? JoinPath(folder, "") : *folderSeen + '\\';
        }
        if (join == RowJoin::Repaired && !nameJoinsPlainly(name))
            run.queueRow(JoinPath(folder, name));
        else
            run.queueRow(prefix, name);
    };
    return SearchFolders(run, std::move(root), pattern, queueFile);
}

bool folderListingFinds(FileSystem& files, const std::string& path) {
    auto listing = files.list(path, ListingMask::Folders);
    if (!listing)
        return false;
    auto first = listing.value()->next();
    return first && first.value().has_value();
}

bool hasDirectoryBit(FileSystem& files, const std::string& path) {
    auto attributes = files.attributes(path);
    return attributes && (attributes.value() & FileAttribute::Directory) != 0;
}

// Both tests for every item: the listing leaves hidden and system entries
// out, the attributes tell a folder from a file.
bool isDroppedFolder(FileSystem& files, const std::string& path) {
    const bool listed = folderListingFinds(files, path);
    const bool directory = hasDirectoryBit(files, path);
    return listed && directory;
}

} // namespace

YieldResult QueueFolderFiles(FolderSearch& search, std::string_view chosenFolder) {
    // Appended even after a drive root's own backslash: the rows' JoinPath
    // repairs the "D:\\" this makes.
    std::string root(chosenFolder);
    root += '\\';
    return search.run([root = std::move(root)](SearchRun& run) {
        (void)queueFilesBelow(run, root, "*.vcf", RowJoin::Repaired);
    });
}

// The dropped files that come before the first dropped folder are queued at
// once, here: a file dropped during another search lands where it was dropped,
// as it always has. From the first folder on the drop is a search, which waits
// for the searches started before it, so that the drop's own order holds.
YieldResult QueueDroppedPaths(FolderSearch& search, const std::vector<std::string>& droppedPaths) {
    std::size_t firstFolder = 0;
    for (; firstFolder < droppedPaths.size(); ++firstFolder) {
        const std::string& path = droppedPaths[firstFolder];
        if (isDroppedFolder(search.files(), path))
            break;
        search.queueRow(path);
        if (search.yieldIfDue() == YieldResult::WindowClosing)
            return YieldResult::WindowClosing;
    }
    if (firstFolder == droppedPaths.size()) {
        search.flushRows();
        return YieldResult::KeepGoing;
    }
    std::vector<std::string> rest(droppedPaths.begin() + static_cast<std::ptrdiff_t>(firstFolder),
                                  droppedPaths.end());
    return search.run([rest = std::move(rest)](SearchRun& run) {
        for (std::size_t i = 0; i < rest.size(); ++i) {
            const std::string& path = rest[i];
            // The first one is known to be a folder: that is where the search began.
            const bool folder = i == 0 || isDroppedFolder(run.files(), path);
            if (!folder)
                run.queueRow(path);
            if (folder && !queueFilesBelow(run, path + '\\', "*.*", RowJoin::Plain))
                return;
            if (!run.keepGoing())
                return;
        }
    });
}

std::optional<std::string> UnreadableFoldersMessage(const FolderSearch& search) {
    const std::size_t count = search.unreadableCount();
    if (count == 0)
        return std::nullopt;
    std::string text =
        count == 1 ? std::string("1 folder could not be read; the files in it were not added:\n")
                   : std::to_string(count) +
                         " folders could not be read; the files in them were not added:\n";
    for (const UnreadableFolder& folder : search.firstUnreadable())
        text += "\n" + folder.folder + "\n    " + folder.reason;
    const std::size_t named = search.firstUnreadable().size();
    if (count > named)
        text += "\n\nand " + std::to_string(count - named) + " more.";
    return text;
}

} // namespace quorvane

#include "queue/folder_commands.h"

#include "queue/join_path.h"

#include <utility>

namespace quorvane {

namespace {

using RowJoin = std::string (*)(std::string_view folder, std::string_view name);

std::string JoinUnrepaired(std::string_view folder, std::string_view name) {
    std::string joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined.append(folder).append(1, '\\').append(name);
    return joined;
}

// `root` ends in the backslash that the walk's folders carry; rows are built
// from each folder's text without it.
YieldResult queueFilesBelow(FolderSearch& search, std::string root, std::string_view pattern,
                            RowJoin join) {
    const auto queueFile = [&](std::string_view folder, std::string_view name) {
        if (!name.starts_with('~'))
            search.queueRow(join(folder, name));
    };
    return search.SearchFolders(std::move(root), pattern, queueFile);
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

} // namespace

YieldResult QueueFolderFiles(FolderSearch& search, std::string_view chosenFolder) {
    // Appended even after a drive root's own backslash: the rows' JoinPath
    // repairs the "D:\\" this makes.
    std::string root(chosenFolder);
    root += '\\';
    const YieldResult result = queueFilesBelow(search, std::move(root), "*.vcf", JoinPath);
    if (result == YieldResult::KeepGoing)
        search.flushRows();
    return result;
}

YieldResult QueueDroppedPaths(FolderSearch& search, const std::vector<std::string>& droppedPaths) {
    for (const std::string& path : droppedPaths) {
        // Both tests for every item: the listing leaves hidden and system
        // entries out, the attributes tell a folder from a file.
        const bool listed = folderListingFinds(search.files(), path);
        const bool directory = hasDirectoryBit(search.files(), path);
        const bool isFolder = listed && directory;
        if (!isFolder)
            search.queueRow(path);
        if (isFolder && queueFilesBelow(search, path + '\\', "*.*", JoinUnrepaired) ==
                            YieldResult::WindowClosing)
            return YieldResult::WindowClosing;
        if (search.yieldIfDue() == YieldResult::WindowClosing)
            return YieldResult::WindowClosing;
    }
    search.flushRows();
    return YieldResult::KeepGoing;
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

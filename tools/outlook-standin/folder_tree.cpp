#include "folder_tree.h"

#include "mailbox.h"

#include <algorithm>

namespace quorvane::standin {
namespace {

// Adds `folder` after the folders above it; one already there keeps its
// place and kind.
void addWithParents(std::vector<MailboxFolder>& folders, const MailboxFolder& folder) {
    const auto there = [&](const std::wstring& path) {
        return std::any_of(folders.begin(), folders.end(),
                           [&](const MailboxFolder& known) { return samePath(known.path, path); });
    };
    if (there(folder.path))
        return;
    if (const auto parent = parentOf(folder.path))
        addWithParents(folders, {*parent, defaultItemType(*parent)});
    folders.push_back(folder);
}

} // namespace

void FolderTree::clear() {
    changes_.clear();
}

void FolderTree::make(MailboxFolder folder) {
    changes_.push_back({true, std::move(folder)});
}

void FolderTree::drop(const std::wstring& path) {
    changes_.push_back({false, {path}});
}

std::vector<MailboxFolder>
FolderTree::existing(std::span<const std::wstring> declared,
                     std::span<const std::wstring> holdingContacts) const {
    std::vector<MailboxFolder> folders;
    const auto addEach = [&](const auto& paths) {
        for (const std::wstring& path : paths)
            addWithParents(folders, {path, defaultItemType(path)});
    };
    addEach(defaultFolders());
    addEach(declared);
    for (const Change& change : changes_) {
        if (change.made)
            addWithParents(folders, change.folder);
        else
            std::erase_if(folders, [&](const MailboxFolder& folder) {
                return isAtOrBelow(folder.path, change.folder.path);
            });
    }
    addEach(holdingContacts);
    return folders;
}

} // namespace quorvane::standin

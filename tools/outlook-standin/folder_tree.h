#pragma once
// Which folders the stand-in's data files have: those Outlook makes in
// every data file (mailbox.h), those the Folders switch declares (config.h),
// then whatever was made and deleted while the mailbox was open, in that
// order, so that a declared folder once deleted stays deleted. A folder that
// holds a contact is there whatever happened before, and so is every folder
// above one that is there. Only the changes are kept; the rest is read
// afresh at each question, as switches may change while a server runs.

#include <span>
#include <string>
#include <vector>

namespace quorvane::standin {

struct MailboxFolder {
    std::wstring path;
    long itemType = 0; // DefaultItemType
};

class FolderTree {
public:
    // Another mailbox: nothing made or deleted yet.
    void clear();
    void make(MailboxFolder folder);
    // With every folder below it.
    void drop(const std::wstring& path);

    // Every folder there is, each after the folder above it, in the order
    // they came to be.
    std::vector<MailboxFolder> existing(std::span<const std::wstring> declared,
                                        std::span<const std::wstring> holdingContacts) const;

private:
    struct Change {
        bool made;
        MailboxFolder folder;
    };
    std::vector<Change> changes_;
};

} // namespace quorvane::standin

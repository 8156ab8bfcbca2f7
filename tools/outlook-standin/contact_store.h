#pragma once
// The contacts the stand-in's mailbox holds, as a data file (PST) holds them:
// each by an entry ID that survives moves, Deleted Items included, and
// survives a restart of "Outlook" when StoreFile names a journal to keep
// them in, with the folders made and deleted there. PreloadFile names a card
// file whose every card the mailbox holds in Contacts from the start, mapped
// as the Keeps switch says when the mailbox is opened, so that a test can
// begin with a full folder.

#include "config.h"
#include "contact_properties.h"
#include "folder_tree.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::standin {

struct StoredContact {
    std::wstring entryId;
    std::wstring mailboxPath;
    std::wstring sourcePath; // the card file it was made of
    ContactFields fields;
    double lastModified = 0; // an OLE automation date, local time
};

// A contact's property by Outlook's English name (any letter case), as an
// item or a table column names it: those of ContactFields and a stored
// item's own (EntryID, Subject, MessageClass, CreationTime,
// LastModificationTime, FirstName, LastName); nothing for a name Outlook
// does not know. A missing text is empty, as in Outlook.
std::optional<PropertyValue> propertyOf(const StoredContact& contact, std::wstring_view name);

// Now as an OLE automation date in local time, to the 100 ns step rather
// than the second SystemTimeToVariantTime keeps.
double oleNow();

class ContactStore {
public:
    // Another PreloadFile or StoreFile is another mailbox: the store starts
    // over from them. Without a StoreFile, so does another SavedFile: each
    // test that keeps its own record starts with an empty mailbox. Called
    // before every use, as switches may change while one server serves many
    // tests.
    void follow(const StandInConfig& config);

    // Stores a new contact or, for a known entry ID, its new state. Stamps
    // LastModificationTime (always later than any stamp before it).
    const StoredContact& save(StoredContact contact);
    std::optional<StoredContact> find(const std::wstring& entryId) const;
    // Moves the item to Deleted Items, or out of the mailbox when it is
    // there already; false when there is no such item.
    bool remove(const std::wstring& entryId);
    std::vector<StoredContact> inFolder(const std::wstring& mailboxPath) const;

    // Every folder the mailbox has (folder_tree.h).
    std::vector<MailboxFolder> folders() const;
    std::optional<MailboxFolder> folder(const std::wstring& mailboxPath) const;
    void makeFolder(MailboxFolder folder);
    // Moves the folder with every folder and item in and below it into its
    // data file's Deleted Items, items keeping their entry IDs; returns its
    // new path. One in Deleted Items already goes for good, with what it
    // holds: nothing is returned then.
    std::optional<std::wstring> deleteFolder(const std::wstring& mailboxPath);

private:
    void load();
    void journal(const std::wstring& line) const;
    std::optional<StoredContact>* slot(const std::wstring& entryId);
    void changeFolders(bool made, const MailboxFolder& folder);
    double stamp();

    std::wstring preloadFile_;
    std::wstring storeFile_;
    std::wstring record_;
    CardKeeping keeping_ = CardKeeping::AsDocumented;
    bool loaded_ = false;
    // In the order first stored: a table lists them so. Removed ones stay
    // as empty slots, so that order never changes.
    std::vector<std::optional<StoredContact>> contacts_;
    FolderTree folders_;
    std::vector<std::wstring> declaredFolders_;
    double lastStamp_ = 0;
};

} // namespace quorvane::standin

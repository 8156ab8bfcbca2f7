#pragma once
// What the windowless import needs of Outlook: its session (the MAPI
// namespace), the contacts folders in it, and contacts opened straight from a
// card file, without any item window.
//
// Contracts every implementation keeps (the fakes included):
// - Each object is one reference into Outlook; destroying it releases that
//   reference at once. An Exchange mailbox refuses a client that holds a few
//   hundred items open, so the run destroys every item before the next
//   contact and nothing here may keep one alive behind its back.
// - Objects are independent of one another: an item may outlive the session
//   that opened it and a moved item the item it came from. Releasing them in
//   any order is allowed.
// - Every member asks Outlook afresh; nothing is cached.
// - Failures carry Outlook's own words (or the system's) and leave the object
//   usable for the next call, except a failure whose connectionLost is set:
//   Outlook itself went away, and every object reached through it is dead.
//   A new session from createSession reaches a fresh Outlook.

#include "base/outcome.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The kind of item a folder holds by default (Outlook's OlItemType). A folder
// may report a kind not listed here; the enumeration holds it all the same.
enum class OutlookItemType : std::int32_t {
    Mail = 0,
    Appointment = 1,
    Contact = 2,
    Task = 3,
    Journal = 4,
    Note = 5,
};

// One contact as a folder's table lists it: what tells whether a card is
// someone the folder already holds.
struct StoredContactRow {
    std::string entryId;
    std::string fullName;
    std::vector<std::string> emails; // Email1Address to Email3Address, empty ones left out
    // Every phone number the contact has, in any of Outlook's slots (home,
    // business, mobile, fax, pager, other and the rest), empty ones left out.
    std::vector<std::string> phones;
    std::string company; // CompanyName
};

// When an item was last changed, as a folder's table lists it.
struct StoredChangeTime {
    std::string entryId;
    double lastModified = 0; // as OutlookStoredItem::lastModificationTime, in UTC
};

// A folder in the user's Outlook mailbox or a data file.
class OutlookFolder {
public:
    virtual ~OutlookFolder() = default;
    virtual Outcome<std::string> name() = 0;
    // Outlook's own path of the folder, as "\\Mailbox - Ann\Contacts\Family".
    virtual Outcome<std::string> folderPath() = 0;
    // OutlookItemType::Contact for a folder that holds contacts.
    virtual Outcome<OutlookItemType> defaultItemType() = 0;
    // How many items the folder holds now.
    virtual Outcome<std::int32_t> itemCount() = 0;
    // The folder's identity and its data file's, which find the same folder
    // again in a later session (OutlookSession::folderFromId).
    virtual Outcome<std::string> entryId() = 0;
    virtual Outcome<std::string> storeId() = 0;
    // Every contact the folder holds, read in one pass through its table
    // (GetTable, the columns of StoredContactRow, rows in blocks), never item
    // by item. A failure when Outlook refuses: its prompt about programs
    // reading e-mail addresses answered No, or the table failing.
    virtual Outcome<std::vector<StoredContactRow>> readContacts() = 0;
    // When each item of the folder last changed, in one pass through its
    // table (EntryID and LastModificationTime) like readContacts.
    virtual Outcome<std::vector<StoredChangeTime>> readChangeTimes() = 0;
    // A new contacts folder named `name` below this one (Folders.Add); a
    // failure when one of that name is there already.
    virtual Outcome<std::unique_ptr<OutlookFolder>> addContactsFolder(std::string_view name) = 0;
    // Moves the folder, with everything in it, to Deleted Items.
    virtual Outcome<void> remove() = 0;
    // What kind of data file the folder is in, in words: "an Exchange
    // mailbox", "a data file of its own (PST)", ...
    virtual Outcome<std::string> storeKind() = 0;
};

// A stored item found again by its IDs, to be taken back.
class OutlookStoredItem {
public:
    virtual ~OutlookStoredItem() = default;
    // When the item was last changed, as Outlook's clock has it: an OLE
    // automation date (days since 30 December 1899) in UTC. Outlook answers
    // in local time; the answer is turned to UTC by the time zone's rule for
    // that date, to a fraction of a second.
    virtual Outcome<double> lastModificationTime() = 0;
    // Moves the item to Deleted Items.
    virtual Outcome<void> remove() = 0;
    // The folder the item is in now (its Parent).
    virtual Outcome<std::unique_ptr<OutlookFolder>> folder() = 0;
};

// A contact's properties, read and written one call each, to carry into it
// what Outlook did not keep of its card. Properties go by Outlook's English
// names (Business2TelephoneNumber, Email2Address, Body, ...).
//
// Reading Email1Address to Email3Address, IMAddress and Body may raise
// Outlook's prompt about programs reading address information (on a machine
// whose antivirus Outlook thinks out of date); a No to it is a failure with
// refused set. Writing them raises nothing, nor does anything else here.
class OutlookContactProperties {
public:
    virtual ~OutlookContactProperties() = default;
    // Empty text when the property holds none.
    virtual Outcome<std::string> text(std::string_view property) = 0;
    virtual Outcome<void> setText(std::string_view property, std::string_view value) = 0;
    // A date property (Birthday, Anniversary) as an OLE automation date of
    // the day, or nothing when it holds none (Outlook's 1 January 4501).
    virtual Outcome<std::optional<double>> date(std::string_view property) = 0;
    virtual Outcome<void> setDate(std::string_view property, double oleDate) = 0;
    virtual Outcome<bool> hasPicture() = 0;
    // The picture in the file at `path` (bmp, gif, jpeg or png) becomes the
    // contact's, replacing any it had; the file is read at once.
    virtual Outcome<void> addPicture(std::string_view path) = 0;
};

// A contact made from a card file. Until save() it exists only in memory.
class OutlookContactItem : public OutlookContactProperties {
public:
    virtual Outcome<std::string> fullName() = 0;
    // The stored item's identity; empty or a failure before the item is stored.
    virtual Outcome<std::string> entryId() = 0;
    // As OutlookStoredItem::lastModificationTime: read right after save(), it
    // is when the contact was stored.
    virtual Outcome<double> lastModificationTime() = 0;
    // Stores the item: an item from openSharedItem goes to the default
    // Contacts folder, a moved item stays in the folder it was moved to.
    virtual Outcome<void> save() = 0;
    // The item in `folder`; the caller saves the item returned, never this
    // one again. `folder` must come from the same session.
    virtual Outcome<std::unique_ptr<OutlookContactItem>> move(OutlookFolder& folder) = 0;
};

class OutlookSession {
public:
    virtual ~OutlookSession() = default;
    // Outlook's own version, as Application.Version gives it ("16.0.0.17928").
    virtual Outcome<std::string> outlookVersion() = 0;
    // Outlook reads the first card of the file; nothing is stored yet.
    virtual Outcome<std::unique_ptr<OutlookContactItem>> openSharedItem(std::string_view path) = 0;
    virtual Outcome<std::unique_ptr<OutlookFolder>> defaultContactsFolder() = 0;
    // Outlook's folder chooser, modal. A null folder means the user pressed
    // Cancel; a failure means the chooser could not be shown.
    virtual Outcome<std::unique_ptr<OutlookFolder>> pickFolder() = 0;
    // The folder at `path`: below the default data file's top ("Contacts\Friends",
    // as Outlook's folder list shows it), or a whole folder path as
    // OutlookFolder::folderPath gives one ("\\Outlook Data File\Contacts\Friends").
    // A failure with notFound set when there is no such folder.
    virtual Outcome<std::unique_ptr<OutlookFolder>> folderByPath(std::string_view path) = 0;
    // The folder with these IDs (from OutlookFolder::entryId and storeId).
    virtual Outcome<std::unique_ptr<OutlookFolder>> folderFromId(std::string_view entryId,
                                                                 std::string_view storeId) = 0;
    // A time Outlook gave in this machine's local time (as records of earlier
    // versions keep it) in UTC, by the time zone's rule for that date.
    virtual double utcFromLocalTime(double localOleDate) = 0;
    // The item with these IDs (GetItemFromID); a failure with notFound set
    // when it is gone.
    virtual Outcome<std::unique_ptr<OutlookStoredItem>> itemFromId(std::string_view entryId,
                                                                   std::string_view storeId) = 0;
};

// Why no session could be had.
struct SessionOutcome {
    Outcome<std::unique_ptr<OutlookSession>> session;
    // Set with a failed session when this machine has no Outlook that other
    // programs can drive: none installed, or only the new Outlook for
    // Windows. The user needs another Outlook, not another try.
    bool noDesktopOutlook = false;
};

class OutlookSessions {
public:
    virtual ~OutlookSessions() = default;
    // Reaches Outlook (starting it in the background when it is not running)
    // and holds its session. Outlook stays reachable while the session lives.
    virtual SessionOutcome createSession() = 0;
};

} // namespace quorvane

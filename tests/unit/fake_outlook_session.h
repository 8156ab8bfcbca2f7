#pragma once
// A scripted Outlook session for the import without windows. It keeps what a
// real mailbox would (every stored contact with its folder and entry ID),
// counts the references the code holds, and can be told to fail any member,
// always or for one file only, or to go away (crash) in one call, after which
// everything reached through that session fails with the connection lost.

#include "platform/outlook_session.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake_contact_properties.h"

#include <map>

namespace quorvane::testing {

struct FakeFolderInfo {
    std::string name;
    std::string path;
    OutlookItemType itemType = OutlookItemType::Contact;
};

struct StoredContact {
    std::string file; // the card file Outlook read
    std::string folder;
    std::string entryId;
    // What the folder's table lists of it (tests fill these in for contacts
    // the folder held before the run).
    std::string fullName;
    std::vector<std::string> emails;
    std::vector<std::string> phones;
    std::string company;
    double modified = 0;  // OLE date of the last change
    bool deleted = false; // for good, not in Deleted Items
};

class FakeOutlookSession final : public OutlookSessions {
public:
    std::vector<std::string> log;
    std::vector<StoredContact> stored;
    std::map<std::string, FakeContactState> contacts; // by the card file opened
    // "Save" fails every Save; "Save C:\\b.vcf" only the Save of that file's
    // contact. Members: Session, OpenSharedItem, Save, Move, EntryID,
    // GetDefaultFolder, PickFolder, Name, FolderPath, DefaultItemType.
    std::set<std::string> failing;
    bool noDesktopOutlook = false; // no Outlook that programs can drive
    std::string version = "16.0.0.17928";
    FakeFolderInfo defaultFolder{"Contacts", "\\\\Mailbox - Ann\\Contacts"};
    // Where Delete moves an item; a Delete there removes it for good.
    std::string deletedItems = "\\\\Mailbox - Ann\\Deleted Items";
    bool inDeletedItems(const StoredContact& contact) const {
        return !contact.deleted && contact.folder == deletedItems;
    }
    // What the chooser answers, in turn; nullopt (or nothing left) is Cancel.
    std::deque<std::optional<FakeFolderInfo>> picks;
    // Folders GetFolderFromID finds besides the default one.
    std::vector<FakeFolderInfo> folders;
    std::function<void()> onPick; // runs while the chooser is up
    // "Save C:\\b.vcf": Outlook goes away in that call, once (a Save after
    // storing the contact). Members as for `failing`.
    std::set<std::string> vanishing;
    double now = 46000.5; // Outlook's clock, an OLE date in UTC
    double utcOffset = 0; // of the local time an earlier version recorded
    // Fills in what the folder's table will list of a contact as it is
    // stored (this Outlook reads no cards).
    std::function<void(StoredContact&)> onStore;
    int sessionsMade = 0;
    int deadSessions = 0; // objects of the first this many sessions are dead

    int liveItems = 0;      // contact items held by the code now
    int mostLiveItems = 0;  // the most it ever held at once
    int liveReferences = 0; // every object: session, folders, items

    SessionOutcome createSession();

    bool fails(const std::string& member, const std::string& file = {}) {
        if (!failing.contains(member) && !failing.contains(member + " " + file))
            return false;
        log.push_back("fail " + member);
        return true;
    }
    static Failure failure(const std::string& member) {
        return Failure{member + " failed in Outlook."};
    }
    static Failure lost() { return Failure{"The RPC server is unavailable.", true}; }
    // An object of session `generation` asked for `member` after Outlook went.
    bool gone(int generation, const std::string& member) {
        if (generation > deadSessions)
            return false;
        log.push_back("dead " + member);
        return true;
    }
    bool vanishes(const std::string& member, const std::string& file = {}) {
        for (const std::string& key : {member, member + " " + file}) {
            if (vanishing.erase(key) == 0)
                continue;
            log.push_back("vanish in " + member);
            deadSessions = sessionsMade;
            return true;
        }
        return false;
    }
    std::size_t timesStored(const std::string& file) const {
        return static_cast<std::size_t>(std::ranges::count_if(
            stored, [&](const StoredContact& contact) { return contact.file == file; }));
    }
};

class FakeSessionReference {
public:
    explicit FakeSessionReference(FakeOutlookSession& outlook)
        : outlook_(outlook), generation_(outlook.sessionsMade) {
        ++outlook_.liveReferences;
    }
    ~FakeSessionReference() { --outlook_.liveReferences; }
    FakeSessionReference(const FakeSessionReference&) = delete;
    FakeSessionReference& operator=(const FakeSessionReference&) = delete;

protected:
    bool gone(const std::string& member) { return outlook_.gone(generation_, member); }

    FakeOutlookSession& outlook_;
    const int generation_; // the session this object was reached through
};

class FakeFolder final : public OutlookFolder, FakeSessionReference {
public:
    FakeFolder(FakeOutlookSession& outlook, FakeFolderInfo info)
        : FakeSessionReference(outlook), info_(std::move(info)) {}
    const std::string& path() const { return info_.path; }

    Outcome<std::string> name() override {
        if (gone("Name"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("Name"))
            return FakeOutlookSession::failure("Name");
        return info_.name;
    }
    Outcome<std::string> folderPath() override {
        if (gone("FolderPath"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("FolderPath"))
            return FakeOutlookSession::failure("FolderPath");
        return info_.path;
    }
    Outcome<OutlookItemType> defaultItemType() override {
        if (outlook_.fails("DefaultItemType"))
            return FakeOutlookSession::failure("DefaultItemType");
        return info_.itemType;
    }
    Outcome<std::int32_t> itemCount() override {
        return static_cast<std::int32_t>(
            std::ranges::count_if(outlook_.stored, [&](const StoredContact& contact) {
                return contact.folder == info_.path;
            }));
    }
    // The folder's path serves as its identity.
    Outcome<std::string> entryId() override {
        if (outlook_.fails("FolderEntryID"))
            return FakeOutlookSession::failure("FolderEntryID");
        return "FID " + info_.path;
    }
    Outcome<std::string> storeId() override { return std::string("SID"); }
    Outcome<std::vector<StoredContactRow>> readContacts() override {
        return table<StoredContactRow>([](const StoredContact& contact) {
            return StoredContactRow{contact.entryId, contact.fullName, contact.emails,
                                    contact.phones, contact.company};
        });
    }
    Outcome<std::vector<StoredChangeTime>> readChangeTimes() override {
        return table<StoredChangeTime>([](const StoredContact& contact) {
            return StoredChangeTime{contact.entryId, contact.modified};
        });
    }
    Outcome<std::unique_ptr<OutlookFolder>> addContactsFolder(std::string_view name) override {
        outlook_.log.push_back("Folders.Add " + std::string(name));
        if (outlook_.fails("Folders.Add"))
            return FakeOutlookSession::failure("Folders.Add");
        FakeFolderInfo made{std::string(name), info_.path + "\\" + std::string(name)};
        outlook_.folders.push_back(made);
        return std::unique_ptr<OutlookFolder>(std::make_unique<FakeFolder>(outlook_, made));
    }
    // Into Deleted Items with what it holds.
    Outcome<void> remove() override {
        outlook_.log.push_back("Folder.Delete " + info_.path);
        if (outlook_.fails("Folder.Delete"))
            return FakeOutlookSession::failure("Folder.Delete");
        std::erase_if(outlook_.folders,
                      [&](const FakeFolderInfo& f) { return f.path == info_.path; });
        for (StoredContact& contact : outlook_.stored)
            if (contact.folder == info_.path)
                contact.folder = outlook_.deletedItems;
        return Success();
    }
    Outcome<std::string> storeKind() override { return std::string("a data file (PST)"); }

private:
    // The folder's table: a row of each contact it holds now.
    template <typename Row, typename MakeRow> Outcome<std::vector<Row>> table(MakeRow makeRow) {
        outlook_.log.push_back("GetTable " + info_.path);
        if (gone("GetTable"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("GetTable"))
            return FakeOutlookSession::failure("GetTable");
        std::vector<Row> rows;
        for (const StoredContact& contact : outlook_.stored)
            if (contact.folder == info_.path && !contact.deleted)
                rows.push_back(makeRow(contact));
        return rows;
    }

    FakeFolderInfo info_;
};

// Unsaved until save(): a moved item lives in its folder, and only its own
// save() stores it there.
class FakeContactItem final : public WithFakeProperties<OutlookContactItem>, FakeSessionReference {
public:
    FakeContactItem(FakeOutlookSession& outlook, std::string file, std::string folder)
        : WithFakeProperties(outlook.contacts[file]), FakeSessionReference(outlook),
          file_(std::move(file)), folder_(std::move(folder)) {
        outlook_.mostLiveItems = std::max(outlook_.mostLiveItems, ++outlook_.liveItems);
    }
    ~FakeContactItem() override { --outlook_.liveItems; }

    Outcome<std::string> fullName() override { return "Name from " + file_; }
    Outcome<std::string> entryId() override {
        outlook_.log.push_back("EntryID");
        if (gone("EntryID"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("EntryID", file_))
            return FakeOutlookSession::failure("EntryID");
        return entryId_;
    }
    Outcome<double> lastModificationTime() override {
        if (outlook_.fails("LastModificationTime", file_))
            return FakeOutlookSession::failure("LastModificationTime");
        return outlook_.now;
    }
    Outcome<void> save() override {
        outlook_.log.push_back("Save " + file_);
        if (gone("Save"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("Save", file_))
            return FakeOutlookSession::failure("Save");
        entryId_ = "EID" + std::to_string(outlook_.stored.size() + 1);
        StoredContact& contact = outlook_.stored.emplace_back();
        contact.file = file_;
        contact.folder = folder_;
        contact.entryId = entryId_;
        contact.modified = outlook_.now;
        if (outlook_.onStore)
            outlook_.onStore(contact);
        // Stored, yet the caller never hears so.
        if (outlook_.vanishes("Save", file_))
            return FakeOutlookSession::lost();
        return Success();
    }
    Outcome<std::unique_ptr<OutlookContactItem>> move(OutlookFolder& folder) override {
        const std::string& target = dynamic_cast<FakeFolder&>(folder).path();
        outlook_.log.push_back("Move " + file_ + " to " + target);
        if (gone("Move") || outlook_.vanishes("Move", file_))
            return FakeOutlookSession::lost();
        if (outlook_.fails("Move", file_))
            return FakeOutlookSession::failure("Move");
        return std::unique_ptr<OutlookContactItem>(
            std::make_unique<FakeContactItem>(outlook_, file_, target));
    }

private:
    std::string file_;
    std::string folder_;
    std::string entryId_;
};

class FakeSession final : public OutlookSession, FakeSessionReference {
public:
    using FakeSessionReference::FakeSessionReference;

    Outcome<std::unique_ptr<OutlookContactItem>> openSharedItem(std::string_view path) override {
        const std::string file(path);
        outlook_.log.push_back("OpenSharedItem " + file);
        if (gone("OpenSharedItem") || outlook_.vanishes("OpenSharedItem", file))
            return FakeOutlookSession::lost();
        if (outlook_.fails("OpenSharedItem", file))
            return FakeOutlookSession::failure("OpenSharedItem");
        return std::unique_ptr<OutlookContactItem>(
            std::make_unique<FakeContactItem>(outlook_, file, outlook_.defaultFolder.path));
    }
    Outcome<std::unique_ptr<OutlookFolder>> defaultContactsFolder() override {
        outlook_.log.push_back("GetDefaultFolder");
        if (gone("GetDefaultFolder"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("GetDefaultFolder"))
            return FakeOutlookSession::failure("GetDefaultFolder");
        return std::unique_ptr<OutlookFolder>(
            std::make_unique<FakeFolder>(outlook_, outlook_.defaultFolder));
    }
    // Not logged: asked once per run, beside the calls the tests follow.
    Outcome<std::string> outlookVersion() override { return outlook_.version; }
    Outcome<std::unique_ptr<OutlookFolder>> pickFolder() override {
        outlook_.log.push_back("PickFolder");
        if (outlook_.onPick)
            outlook_.onPick();
        if (outlook_.fails("PickFolder"))
            return FakeOutlookSession::failure("PickFolder");
        if (outlook_.picks.empty())
            return std::unique_ptr<OutlookFolder>();
        std::optional<FakeFolderInfo> pick = outlook_.picks.front();
        outlook_.picks.pop_front();
        if (!pick)
            return std::unique_ptr<OutlookFolder>();
        return std::unique_ptr<OutlookFolder>(std::make_unique<FakeFolder>(outlook_, *pick));
    }
    // By the path a folder is known by, whole ("\\\\Outlook\\Contacts") or not.
    Outcome<std::unique_ptr<OutlookFolder>> folderByPath(std::string_view path) override {
        outlook_.log.push_back("FolderByPath " + std::string(path));
        for (const auto& folder : seenFolders())
            if (folder.path == path || folder.path.ends_with("\\" + std::string(path)))
                return std::unique_ptr<OutlookFolder>(
                    std::make_unique<FakeFolder>(outlook_, folder));
        Failure missing = FakeOutlookSession::failure("FolderByPath");
        missing.notFound = true;
        return missing;
    }
    Outcome<std::unique_ptr<OutlookFolder>> folderFromId(std::string_view entryId,
                                                         std::string_view storeId) override {
        outlook_.log.push_back("GetFolderFromID " + std::string(entryId) + " " +
                               std::string(storeId));
        if (gone("GetFolderFromID"))
            return FakeOutlookSession::lost();
        if (outlook_.fails("GetFolderFromID"))
            return FakeOutlookSession::failure("GetFolderFromID");
        const std::string path = std::string(entryId).substr(4);
        for (const auto& pick : seenFolders())
            if (pick.path == path)
                return std::unique_ptr<OutlookFolder>(std::make_unique<FakeFolder>(outlook_, pick));
        return FakeOutlookSession::failure("GetFolderFromID");
    }

    // This Outlook's clock runs `utcOffset` days ahead of UTC, as a local
    // clock does.
    double utcFromLocalTime(double localOleDate) override {
        return localOleDate - outlook_.utcOffset;
    }
    Outcome<std::unique_ptr<OutlookStoredItem>> itemFromId(std::string_view entryId,
                                                           std::string_view storeId) override;

private:
    std::vector<FakeFolderInfo> seenFolders() const {
        std::vector<FakeFolderInfo> folders{outlook_.defaultFolder};
        folders.insert(folders.end(), outlook_.folders.begin(), outlook_.folders.end());
        return folders;
    }
};

// A stored contact found again; Delete moves it to Deleted Items.
class FakeStoredItem final : public OutlookStoredItem, FakeSessionReference {
public:
    FakeStoredItem(FakeOutlookSession& outlook, std::size_t at)
        : FakeSessionReference(outlook), at_(at) {}
    Outcome<double> lastModificationTime() override {
        outlook_.log.push_back("LastModificationTime");
        if (outlook_.fails("LastModificationTime"))
            return FakeOutlookSession::failure("LastModificationTime");
        return outlook_.stored.at(at_).modified;
    }
    Outcome<std::unique_ptr<OutlookFolder>> folder() override {
        if (outlook_.fails("Parent"))
            return FakeOutlookSession::failure("Parent");
        return std::unique_ptr<OutlookFolder>(std::make_unique<FakeFolder>(
            outlook_, FakeFolderInfo{"", outlook_.stored.at(at_).folder}));
    }
    Outcome<void> remove() override {
        StoredContact& contact = outlook_.stored.at(at_);
        outlook_.log.push_back("Delete " + contact.entryId);
        if (outlook_.fails("Delete") || outlook_.fails("Delete", contact.entryId))
            return FakeOutlookSession::failure("Delete");
        if (contact.folder == outlook_.deletedItems)
            contact.deleted = true;
        else
            contact.folder = outlook_.deletedItems;
        return Success();
    }

private:
    std::size_t at_;
};

inline Outcome<std::unique_ptr<OutlookStoredItem>> FakeSession::itemFromId(std::string_view entryId,
                                                                           std::string_view) {
    const std::string id(entryId);
    outlook_.log.push_back("GetItemFromID " + id);
    if (gone("GetItemFromID"))
        return FakeOutlookSession::lost();
    if (outlook_.fails("GetItemFromID") || outlook_.fails("GetItemFromID", id))
        return FakeOutlookSession::failure("GetItemFromID");
    for (std::size_t at = 0; at < outlook_.stored.size(); ++at)
        if (outlook_.stored[at].entryId == id && !outlook_.stored[at].deleted)
            return std::unique_ptr<OutlookStoredItem>(
                std::make_unique<FakeStoredItem>(outlook_, at));
    Failure gone{"The operation failed. An object could not be found."};
    gone.notFound = true;
    return gone;
}

inline SessionOutcome FakeOutlookSession::createSession() {
    log.push_back("Session");
    if (noDesktopOutlook)
        return {Failure{"Invalid class string"}, true};
    if (fails("Session"))
        return {failure("Session"), false};
    ++sessionsMade;
    return {std::unique_ptr<OutlookSession>(std::make_unique<FakeSession>(*this))};
}

} // namespace quorvane::testing

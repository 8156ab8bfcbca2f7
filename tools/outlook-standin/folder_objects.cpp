#include "folder_objects.h"

#include "config.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "mailbox.h"
#include "random_faults.h"
#include "session_objects.h"
#include "table_objects.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

#include <algorithm>
#include <string>

namespace quorvane::standin {
namespace {

using Microsoft::WRL::ComPtr;
using win32::makeComObject;
using win32::toUtf8;

// Outlook's words, two spaces and all, when a folder of that name is not there.
constexpr wchar_t FolderNotFound[] =
    L"The attempted operation failed.  An object could not be found.";
// MAPI_E_COLLISION, what MAPI answers a new folder whose name is taken.
constexpr HRESULT MapiCollision = static_cast<HRESULT>(0x80040604);

class Items final : public DispatchObject {
public:
    Items(ServerState& state, std::wstring mailboxPath)
        : DispatchObject(state, "Items", Members), mailboxPath_(std::move(mailboxPath)) {}

private:
    enum : DISPID { CountId = 1 };
    static constexpr DispatchMember Members[] = {{L"Count", CountId}};

    HRESULT invokeMember(DISPID, const DispatchCall& call) override {
        const long stored =
            static_cast<long>(state_.contacts(readConfig()).inFolder(mailboxPath_).size());
        logEvent("get Items.Count = " + std::to_string(stored) + " " +
                 toUtf8(folderPath(mailboxPath_)));
        return returnLong(call, stored);
    }

    const std::wstring mailboxPath_;
};

// The data file a folder is in: a PST, as an Outlook without Exchange has.
class Store final : public DispatchObject {
public:
    explicit Store(ServerState& state) : DispatchObject(state, "Store", Members) {}

private:
    // Outlook's olNotExchange.
    static constexpr long NotExchange = 3;
    static constexpr DispatchMember Members[] = {{L"ExchangeStoreType", 1}};

    HRESULT invokeMember(DISPID, const DispatchCall& call) override {
        logEvent("get Store.ExchangeStoreType");
        return returnLong(call, NotExchange);
    }
};

class Folder final : public DispatchObject {
public:
    Folder(ServerState& state, std::wstring mailboxPath)
        : DispatchObject(state, "Folder", Members), mailboxPath_(std::move(mailboxPath)) {
        state_.folderCreated(this, mailboxPath_);
    }
    ~Folder() override { state_.folderReleased(this); }

private:
    enum : DISPID {
        NameId = 1,
        FolderPathId,
        DefaultItemTypeId,
        ItemsId,
        EntryIdId,
        StoreIdId,
        ParentId,
        FoldersId,
        GetTableId,
        DeleteId,
        StoreId
    };
    static constexpr DispatchMember Members[] = {{L"Name", NameId},
                                                 {L"FolderPath", FolderPathId},
                                                 {L"DefaultItemType", DefaultItemTypeId},
                                                 {L"Items", ItemsId},
                                                 {L"EntryID", EntryIdId},
                                                 {L"StoreID", StoreIdId},
                                                 {L"Parent", ParentId},
                                                 {L"Folders", FoldersId},
                                                 {L"GetTable", GetTableId},
                                                 {L"Delete", DeleteId},
                                                 {L"Store", StoreId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        const std::string path = toUtf8(folderPath(mailboxPath_));
        if (id == GetTableId)
            return getTable(call, path);
        if (id == DeleteId)
            return remove(call);
        // The rest are properties, logged by name (Members is in DISPID order).
        logEvent("get " + toUtf8(Members[id - NameId].name) + " " + path);
        switch (id) {
        case NameId:
            return returnText(call, folderName(mailboxPath_));
        case FolderPathId:
            return returnText(call, folderPath(mailboxPath_));
        case DefaultItemTypeId:
            return returnLong(call, itemType());
        case ItemsId:
            return returnObject(call, makeComObject<Items>(state_, mailboxPath_));
        case EntryIdId:
            return returnText(call, folderEntryId(mailboxPath_));
        case ParentId:
            return parent(call);
        case FoldersId:
            return returnObject(call, makeFolders(state_, mailboxPath_));
        case StoreId:
            return returnObject(call, makeComObject<Store>(state_));
        default:
            return returnText(call, storeIdOf(mailboxPath_));
        }
    }

    long itemType() const {
        const auto known = state_.contacts(readConfig()).folder(mailboxPath_);
        return known ? known->itemType : defaultItemType(mailboxPath_);
    }

    // Above a data file's top folder is the session itself, as Outlook's
    // documentation of a store's root folder says.
    HRESULT parent(const DispatchCall& call) {
        const auto above = parentOf(mailboxPath_);
        return returnObject(call, above ? makeFolder(state_, *above) : makeNameSpace(state_));
    }

    // A folder Outlook made itself cannot be deleted. A deleted one moves
    // with this object, as a data file's folder keeps its identity.
    HRESULT remove(const DispatchCall& call) {
        logEvent("Folder.Delete " + toUtf8(mailboxPath_));
        if (isDefaultFolder(mailboxPath_))
            return raiseOutlookError(call, L"Cannot delete this folder.", E_ACCESSDENIED);
        ContactStore& store = state_.contacts(readConfig());
        if (!store.folder(mailboxPath_))
            return raiseOutlookError(call, FolderNotFound, MapiNotFound);
        if (const auto moved = store.deleteFolder(mailboxPath_)) {
            mailboxPath_ = *moved;
            state_.folderCreated(this, mailboxPath_);
        }
        return S_OK;
    }

    // GetTable(Filter, TableContents): both may be left out. Only the items
    // of the folder itself (olUserItems) are ever asked for.
    HRESULT getTable(const DispatchCall& call, const std::string& path) {
        std::wstring filter;
        if (call.argumentCount() > 0 && call.argument(0).vt != VT_ERROR)
            if (const HRESULT hr = textArgument(call, 0, filter); FAILED(hr))
                return hr;
        logEvent("GetTable(" + toUtf8(filter) + ") " + path);
        const auto [config, drawn] = takeRequest();
        if (drawn.failTable)
            logEvent("fault table " + path);
        if (config.failGetTable || drawn.failTable) {
            logEvent("fail GetTable " + path);
            return raiseOutlookError(call, L"The operation failed.", E_FAIL);
        }
        auto rows = filtered(state_.contacts(config).inFolder(mailboxPath_), filter);
        if (!rows)
            return raiseOutlookError(
                call, (L"Cannot parse condition. Error at \"" + filter + L"\".").c_str(),
                E_INVALIDARG);
        return returnObject(call, makeTable(state_, std::move(*rows)));
    }

    std::wstring mailboxPath_;
};

// Read afresh at every call: folders come and go between calls.
class Folders final : public DispatchObject {
public:
    Folders(ServerState& state, std::optional<std::wstring> parent)
        : DispatchObject(state, "Folders", Members), parent_(std::move(parent)) {}

private:
    enum : DISPID { ItemId = DISPID_VALUE, CountId = 1, AddId };
    static constexpr DispatchMember Members[] = {
        {L"Item", ItemId}, {L"Count", CountId}, {L"Add", AddId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        switch (id) {
        case CountId:
            return count(call);
        case AddId:
            return add(call);
        default:
            return item(call);
        }
    }

    HRESULT count(const DispatchCall& call) {
        const auto folders = static_cast<long>(below().size());
        logEvent(what() + ".Count = " + std::to_string(folders));
        return returnLong(call, folders);
    }

    std::string what() const { return parent_ ? "Folders" : "Session.Folders"; }

    std::vector<MailboxFolder> below() const {
        auto folders = state_.contacts(readConfig()).folders();
        std::erase_if(folders, [&](const MailboxFolder& folder) {
            const auto above = parentOf(folder.path);
            return above.has_value() != parent_.has_value() ||
                   (above && !samePath(*above, *parent_));
        });
        return folders;
    }

    // Item(Index): a position from 1, or a name in any letter case.
    HRESULT item(const DispatchCall& call) {
        const auto folders = below();
        std::wstring name;
        if (FAILED(textArgument(call, 0, name))) {
            IntegerArgument position;
            if (const HRESULT hr = integerArgument(call, 0, position); FAILED(hr))
                return hr;
            logEvent(what() + ".Item(" + std::to_string(position.value) + ")");
            if (position.value < 1 || static_cast<std::size_t>(position.value) > folders.size())
                return raiseOutlookError(call, L"Array index out of bounds.", DISP_E_BADINDEX);
            return returnObject(
                call,
                makeFolder(state_, folders[static_cast<std::size_t>(position.value - 1)].path));
        }
        const std::string named = toUtf8(parent_ ? childOf(*parent_, name) : name);
        const auto found = std::find_if(folders.begin(), folders.end(), [&](const auto& folder) {
            return samePath(folderName(folder.path), name);
        });
        if (found == folders.end()) {
            logEvent(what() + ".Item " + named + " not found");
            return raiseOutlookError(call, FolderNotFound, MapiNotFound);
        }
        logEvent(what() + ".Item " + named);
        return returnObject(call, makeFolder(state_, found->path));
    }

    // Add(Name, Type): of the parent's kind when no type is given.
    HRESULT add(const DispatchCall& call) {
        std::wstring name;
        if (const HRESULT hr = textArgument(call, 0, name); FAILED(hr))
            return hr;
        std::optional<long> itemType;
        if (call.argumentCount() > 1 && call.argument(1).vt != VT_ERROR) {
            IntegerArgument kind;
            if (const HRESULT hr = integerArgument(call, 1, kind); FAILED(hr))
                return hr;
            if (!(itemType = itemTypeOfKind(kind.value)))
                return raiseOutlookError(call, L"The operation failed.", E_INVALIDARG);
        }
        const std::wstring path = childOf(parent_.value_or(L""), name);
        const auto refuse = [&](HRESULT code) {
            logEvent("fail Folders.Add " + toUtf8(path));
            return raiseOutlookError(call, L"Cannot create the folder.", code);
        };
        // A data file is not made this way.
        if (!parent_)
            return refuse(E_FAIL);
        ContactStore& store = state_.contacts(readConfig());
        const auto parent = store.folder(*parent_);
        if (!parent)
            return raiseOutlookError(call, FolderNotFound, MapiNotFound);
        if (name.empty() || name.find(L'\\') != std::wstring::npos)
            return refuse(E_INVALIDARG);
        if (store.folder(path))
            return refuse(MapiCollision);
        logEvent("Folders.Add " + toUtf8(path));
        store.makeFolder({path, itemType.value_or(parent->itemType)});
        return returnObject(call, makeFolder(state_, path));
    }

    const std::optional<std::wstring> parent_;
};

} // namespace

ComPtr<IDispatch> makeFolder(ServerState& state, std::wstring mailboxPath) {
    return makeComObject<Folder>(state, std::move(mailboxPath));
}

ComPtr<IDispatch> makeFolders(ServerState& state, std::optional<std::wstring> parent) {
    return makeComObject<Folders>(state, std::move(parent));
}

} // namespace quorvane::standin

#include "session_objects.h"

#include "card_mapping.h"
#include "config.h"
#include "contact_file.h"
#include "contact_item.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "folder_objects.h"
#include "mailbox.h"
#include "random_faults.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

#include <algorithm>
#include <string>

namespace quorvane::standin {
namespace {

using Microsoft::WRL::ComPtr;
using win32::makeComObject;
using win32::toUtf8;

// Outlook's words when it cannot make an item of a file.
std::wstring cannotOpen(const std::wstring& path, const wchar_t* why) {
    return L"Cannot open file: " + path + L". " + why;
}

class NameSpace final : public DispatchObject {
public:
    explicit NameSpace(ServerState& state) : DispatchObject(state, "NameSpace", Members) {}

private:
    enum : DISPID {
        OpenSharedItemId = 1,
        GetDefaultFolderId,
        PickFolderId,
        GetFolderFromIdId,
        GetItemFromIdId,
        FoldersId
    };
    static constexpr DispatchMember Members[] = {
        {L"OpenSharedItem", OpenSharedItemId}, {L"GetDefaultFolder", GetDefaultFolderId},
        {L"PickFolder", PickFolderId},         {L"GetFolderFromID", GetFolderFromIdId},
        {L"GetItemFromID", GetItemFromIdId},   {L"Folders", FoldersId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        // In the order of the DISPIDs.
        constexpr HRESULT (NameSpace::*byId[])(const DispatchCall&) = {
            &NameSpace::openSharedItem,  &NameSpace::getDefaultFolder, &NameSpace::pickFolder,
            &NameSpace::getFolderFromId, &NameSpace::getItemFromId,    &NameSpace::folders};
        return (this->*byId[id - OpenSharedItemId])(call);
    }

    // GetItemFromID(EntryIDItem, EntryIDStore): without a store ID, Outlook
    // looks in the default data file alone. A deleted item is still found,
    // in its data file's Deleted Items.
    HRESULT getItemFromId(const DispatchCall& call) {
        std::wstring entryId;
        std::wstring storeId = StoreId;
        if (const HRESULT hr = textArgument(call, 0, entryId); FAILED(hr))
            return hr;
        if (call.argumentCount() > 1 && call.argument(1).vt != VT_ERROR)
            if (const HRESULT hr = textArgument(call, 1, storeId); FAILED(hr))
                return hr;
        logEvent("GetItemFromID " + toUtf8(entryId));
        const auto [config, drawn] = takeRequest();
        logDrawn({{"find", drawn.failFind}, {"delete", drawn.failDelete}}, entryId);
        if (config.failGetItemFromId || drawn.failFind) {
            logEvent("fail GetItemFromID " + toUtf8(entryId));
            return raiseOutlookError(call, L"The operation failed.", E_FAIL);
        }
        auto found = state_.contacts(config).find(entryId);
        if (found && storeIdOf(found->mailboxPath) != storeId)
            found.reset();
        if (!found) {
            logEvent("not found " + toUtf8(entryId));
            return raiseOutlookError(call, L"The operation failed. An object could not be found.",
                                     MapiNotFound);
        }
        return returnObject(call,
                            makeContactItem(state_, *found, {.failDelete = drawn.failDelete}));
    }

    // One request of the random-fault mode: the contact's faults are drawn
    // here and travel with the item.
    HRESULT openSharedItem(const DispatchCall& call) {
        std::wstring path;
        if (const HRESULT hr = textArgument(call, 0, path); FAILED(hr))
            return hr;
        const auto [config, drawn] = takeFileRequest(state_, FileRequest::OpenSharedItem, path);
        if (config.failOpenSharedItem || drawn.failOpen) {
            logEvent("fail OpenSharedItem", path);
            return raiseOutlookError(
                call,
                cannotOpen(path, L"The file may not exist, you may not have permission to open "
                                 L"it, or it may be open in another program.")
                    .c_str(),
                E_FAIL);
        }
        // As for a launch, Outlook reads the first card and no further.
        const auto contact = readFirstContactFile(path);
        if (!contact) {
            logEvent("no contact", path);
            return raiseOutlookError(
                call, cannotOpen(path, L"It is not a contact file Outlook can read.").c_str(),
                E_FAIL);
        }
        StoredContact unsaved{
            {}, DefaultContactsFolder, path, contactOfCard(*contact, config.keeps), oleNow()};
        return returnObject(call, makeContactItem(state_, std::move(unsaved),
                                                  {drawn.failSave, drawn.failMove, drawn.vanish}));
    }

    HRESULT getDefaultFolder(const DispatchCall& call) {
        IntegerArgument kind;
        if (const HRESULT hr = integerArgument(call, 0, kind); FAILED(hr))
            return hr;
        logEvent("GetDefaultFolder(" + std::to_string(kind.value) + ")");
        if (kind.value == ContactsFolderKind)
            return returnObject(call, makeFolder(state_, DefaultContactsFolder));
        if (kind.value == InboxFolderKind)
            return returnObject(call, makeFolder(state_, L"Inbox"));
        return raiseOutlookError(call, L"The operation failed.", E_INVALIDARG);
    }

    // Nothing (VT_EMPTY) is how Outlook answers Cancel.
    HRESULT pickFolder(const DispatchCall& call) {
        const auto answer = takeChooserAnswer();
        logEvent("PickFolder = " + (answer ? toUtf8(*answer) : std::string("Cancel")));
        if (!answer)
            return S_OK;
        // The chooser shows only folders there are: what it answers is one.
        ContactStore& store = state_.contacts(readConfig());
        if (!store.folder(*answer))
            store.makeFolder({*answer, defaultItemType(*answer)});
        return returnObject(call, makeFolder(state_, *answer));
    }

    HRESULT folders(const DispatchCall& call) {
        logEvent("get Session.Folders");
        return returnObject(call, makeFolders(state_, std::nullopt));
    }

    HRESULT getFolderFromId(const DispatchCall& call) {
        std::wstring entryId;
        if (const HRESULT hr = textArgument(call, 0, entryId); FAILED(hr))
            return hr;
        const auto folder = folderOfEntryId(entryId);
        logEvent("GetFolderFromID " + (folder ? toUtf8(folderPath(*folder)) : toUtf8(entryId)));
        if (!folder)
            return raiseOutlookError(call, L"The operation failed. An object could not be found.",
                                     E_INVALIDARG);
        return returnObject(call, makeFolder(state_, *folder));
    }
};

} // namespace

ComPtr<IDispatch> makeNameSpace(ServerState& state) {
    return makeComObject<NameSpace>(state);
}

} // namespace quorvane::standin

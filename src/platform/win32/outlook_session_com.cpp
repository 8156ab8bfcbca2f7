#include "platform/win32/outlook_session_com.h"

#include "platform/win32/outlook_com.h"
#include "platform/win32/wide_text.h"

#include <utility>

namespace quorvane::win32 {

namespace {

Outcome<void> discardResult(const Outcome<Variant>& result) {
    if (!result)
        return result.failure();
    return Success();
}

Outcome<std::unique_ptr<OutlookFolder>> wrapFolder(Outcome<DispatchObject> folder) {
    if (!folder)
        return folder.failure();
    return std::unique_ptr<OutlookFolder>(std::make_unique<ComOutlookFolder>(std::move(*folder)));
}

Outcome<std::unique_ptr<OutlookContactItem>> wrapItem(Outcome<DispatchObject> item) {
    if (!item)
        return item.failure();
    return std::unique_ptr<OutlookContactItem>(
        std::make_unique<ComOutlookContactItem>(std::move(*item)));
}

} // namespace

bool isOutlookMissing(HRESULT result) {
    return result == CO_E_CLASSSTRING || result == REGDB_E_CLASSNOTREG ||
           result == CO_E_APPNOTFOUND || result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

Outcome<std::string> ComOutlookFolder::name() {
    return folder_.getString("Name");
}

Outcome<std::string> ComOutlookFolder::folderPath() {
    return folder_.getString("FolderPath");
}

Outcome<OutlookItemType> ComOutlookFolder::defaultItemType() {
    Outcome<std::int32_t> type = folder_.getInt32("DefaultItemType");
    if (!type)
        return type.failure();
    return static_cast<OutlookItemType>(type.value());
}

// The Items collection is let go of as soon as it has been counted.
Outcome<std::int32_t> ComOutlookFolder::itemCount() {
    Outcome<DispatchObject> items = folder_.getObject("Items");
    if (!items)
        return items.failure();
    return items->getInt32("Count");
}

Outcome<std::string> ComOutlookFolder::entryId() {
    return folder_.getString("EntryID");
}

Outcome<std::string> ComOutlookFolder::storeId() {
    return folder_.getString("StoreID");
}

Outcome<std::vector<StoredContactRow>> ComOutlookFolder::readContacts() {
    return Failure{"Reading the folder's contacts is not available yet."};
}

Outcome<double> ComOutlookContactItem::lastModificationTime() {
    return Failure{"LastModificationTime is not available yet."};
}

Outcome<std::unique_ptr<OutlookStoredItem>> ComOutlookSession::itemFromId(std::string_view,
                                                                          std::string_view) {
    return Failure{"GetItemFromID is not available yet."};
}

Outcome<std::string> ComOutlookContactItem::fullName() {
    return item_.getString("FullName");
}

Outcome<std::string> ComOutlookContactItem::entryId() {
    return item_.getString("EntryID");
}

Outcome<void> ComOutlookContactItem::save() {
    return discardResult(item_.call("Save"));
}

Outcome<std::unique_ptr<OutlookContactItem>> ComOutlookContactItem::move(OutlookFolder& folder) {
    // Folders come from the same session, so from this file; anything else
    // is a programming mistake, reported rather than dereferenced.
    auto* target = dynamic_cast<ComOutlookFolder*>(&folder);
    if (target == nullptr)
        return Failure{"The folder to move to does not belong to this Outlook session."};
    return wrapItem(item_.callObject("Move", target->get()));
}

Outcome<std::unique_ptr<OutlookContactItem>>
ComOutlookSession::openSharedItem(std::string_view path) {
    return wrapItem(session_.callObject("OpenSharedItem", path));
}

Outcome<std::unique_ptr<OutlookFolder>> ComOutlookSession::defaultContactsFolder() {
    return wrapFolder(session_.callObject("GetDefaultFolder", FolderContacts));
}

// Cancel comes back as Nothing: an empty variant or a null object.
Outcome<std::unique_ptr<OutlookFolder>> ComOutlookSession::pickFolder() {
    Outcome<Variant> picked = session_.call("PickFolder");
    if (!picked)
        return picked.failure();
    if (isNothing(*picked))
        return std::unique_ptr<OutlookFolder>();
    return wrapFolder(session_.toObject(std::move(picked)));
}

Outcome<std::unique_ptr<OutlookFolder>> ComOutlookSession::folderFromId(std::string_view entryId,
                                                                        std::string_view storeId) {
    return wrapFolder(session_.callObject("GetFolderFromID", entryId, storeId));
}

SessionOutcome ComOutlookAutomation::createSession() {
    HRESULT refusal = S_OK;
    Outcome<DispatchObject> application = activate(refusal);
    if (!application)
        return {application.failure(), isOutlookMissing(refusal)};
    Outcome<DispatchObject> session = application->getObject("Session");
    if (!session)
        return {session.failure(), false};
    return {std::unique_ptr<OutlookSession>(
        std::make_unique<ComOutlookSession>(std::move(*application), std::move(*session)))};
}

} // namespace quorvane::win32

#pragma once
// Outlook's session, folders and contact items reached through COM with
// late-bound calls, for the import without windows. Every object owns one
// reference and releases it when destroyed.

#include "platform/outlook_session.h"
#include "platform/win32/com_contact_properties.h"
#include "platform/win32/com_dispatch.h"

#include <windows.h>

#include <memory>
#include <string>

namespace quorvane::win32 {

// Outlook's olFolderContacts, for GetDefaultFolder.
inline constexpr std::int32_t FolderContacts = 10;

// How many rows of a folder's table one GetArray asks for: few enough calls
// for a folder of tens of thousands, small enough blocks that Outlook's
// answer stays a few hundred kilobytes.
inline constexpr std::int32_t TableBlockRows = 500;

// What the activation of "Outlook.Application" answers on a machine where
// no Outlook can be driven: nothing registered under that name (no Outlook,
// or only the new Outlook for Windows), or a registration whose program is
// gone (an uninstalled classic Outlook).
bool isOutlookMissing(HRESULT result);

class ComOutlookFolder final : public OutlookFolder {
public:
    explicit ComOutlookFolder(DispatchObject folder) : folder_(std::move(folder)) {}
    Outcome<std::string> name() override;
    Outcome<std::string> folderPath() override;
    Outcome<OutlookItemType> defaultItemType() override;
    Outcome<std::int32_t> itemCount() override;
    Outcome<std::string> entryId() override;
    Outcome<std::string> storeId() override;
    Outcome<std::vector<StoredContactRow>> readContacts() override;
    Outcome<std::vector<StoredChangeTime>> readChangeTimes() override;
    Outcome<std::unique_ptr<OutlookFolder>> addContactsFolder(std::string_view name) override;
    Outcome<void> remove() override;
    Outcome<std::string> storeKind() override;

    IDispatch* get() const { return folder_.get(); }

private:
    DispatchObject folder_;
};

class ComOutlookStoredItem final : public OutlookStoredItem {
public:
    explicit ComOutlookStoredItem(DispatchObject item) : item_(std::move(item)) {}
    Outcome<double> lastModificationTime() override;
    Outcome<void> remove() override;
    Outcome<std::unique_ptr<OutlookFolder>> folder() override;

private:
    DispatchObject item_;
};

class ComOutlookContactItem final : public ComContactProperties<OutlookContactItem> {
public:
    using ComContactProperties::ComContactProperties;
    Outcome<std::string> fullName() override;
    Outcome<std::string> entryId() override;
    Outcome<double> lastModificationTime() override;
    Outcome<void> save() override;
    Outcome<std::unique_ptr<OutlookContactItem>> move(OutlookFolder& folder) override;
};

class ComOutlookSession final : public OutlookSession {
public:
    // The application is held too: Outlook started for this run stays up as
    // long as someone holds it, whatever its namespace object does.
    ComOutlookSession(DispatchObject application, DispatchObject session)
        : application_(std::move(application)), session_(std::move(session)) {}
    Outcome<std::unique_ptr<OutlookContactItem>> openSharedItem(std::string_view path) override;
    Outcome<std::unique_ptr<OutlookFolder>> defaultContactsFolder() override;
    Outcome<std::unique_ptr<OutlookFolder>> pickFolder() override;
    Outcome<std::string> outlookVersion() override;
    Outcome<std::unique_ptr<OutlookFolder>> folderByPath(std::string_view path) override;
    Outcome<std::unique_ptr<OutlookFolder>> folderFromId(std::string_view entryId,
                                                         std::string_view storeId) override;
    Outcome<std::unique_ptr<OutlookStoredItem>> itemFromId(std::string_view entryId,
                                                           std::string_view storeId) override;
    double utcFromLocalTime(double localOleDate) override;

private:
    DispatchObject application_;
    DispatchObject session_;
};

} // namespace quorvane::win32

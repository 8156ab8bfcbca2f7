#include "platform/win32/outlook_session_com.h"

#include "platform/win32/outlook_com.h"
#include "platform/win32/wide_text.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::win32 {

namespace {

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

namespace {

// The table's columns, in the order rows list them: the identity, the name,
// the company, then the addresses and numbers that tell one person from
// another: every phone slot a contact has, since Outlook files a card's
// numbers by their kind (a fax, a pager, a second work number).
constexpr std::string_view ContactColumns[] = {"EntryID",
                                               "FullName",
                                               "CompanyName",
                                               "Email1Address",
                                               "Email2Address",
                                               "Email3Address",
                                               "AssistantTelephoneNumber",
                                               "Business2TelephoneNumber",
                                               "BusinessFaxNumber",
                                               "BusinessTelephoneNumber",
                                               "CallbackTelephoneNumber",
                                               "CarTelephoneNumber",
                                               "CompanyMainTelephoneNumber",
                                               "Home2TelephoneNumber",
                                               "HomeFaxNumber",
                                               "HomeTelephoneNumber",
                                               "ISDNNumber",
                                               "MobileTelephoneNumber",
                                               "OtherFaxNumber",
                                               "OtherTelephoneNumber",
                                               "PagerNumber",
                                               "PrimaryTelephoneNumber",
                                               "RadioTelephoneNumber",
                                               "TelexNumber",
                                               "TTYTDDTelephoneNumber"};
constexpr std::int32_t FirstEmailColumn = 3;
constexpr std::int32_t FirstPhoneColumn = 6;
constexpr std::int32_t ColumnCount = std::ssize(ContactColumns);

// Taking a contact back needs only when each item last changed.
constexpr std::string_view ChangeTimeColumns[] = {"EntryID", "LastModificationTime"};

// Outlook's times are local. The offset is the time zone's for that moment,
// daylight saving time included, taken at the whole second so that the
// fraction Outlook keeps stays as it was. A date the system cannot convert
// (none Outlook gives) stays as it is.
double utcFromLocal(double localOleDate) {
    SYSTEMTIME local{};
    SYSTEMTIME utc{};
    FILETIME localTicks{};
    FILETIME utcTicks{};
    if (!VariantTimeToSystemTime(localOleDate, &local) ||
        !TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
        !SystemTimeToFileTime(&local, &localTicks) || !SystemTimeToFileTime(&utc, &utcTicks))
        return localOleDate;
    const auto ticks = [](const FILETIME& time) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                         time.dwLowDateTime);
    };
    constexpr double TicksPerDay = 86400.0 * 10'000'000.0;
    return localOleDate + static_cast<double>(ticks(utcTicks) - ticks(localTicks)) / TicksPerDay;
}

Outcome<double> utcDate(const VARIANT& value) {
    Outcome<double> local = toDate(value);
    if (!local)
        return local.failure();
    return utcFromLocal(*local);
}

Outcome<void> checkColumns(const VariantGrid& grid, std::int32_t expected) {
    if (grid.rows() > 0 && grid.columns() < expected)
        return Failure{"Outlook's table of contacts answered with " +
                       std::to_string(grid.columns()) + " columns instead of " +
                       std::to_string(expected) + "."};
    return Success();
}

Outcome<void> appendRows(const VariantGrid& grid, std::vector<StoredContactRow>& rows) {
    if (Outcome<void> checked = checkColumns(grid, ColumnCount); !checked)
        return checked;
    for (std::int32_t row = 0; row < grid.rows(); ++row) {
        std::array<std::string, ColumnCount> texts;
        for (std::int32_t column = 0; column < ColumnCount; ++column) {
            Outcome<std::string> text = toText(grid.cell(row, column));
            if (!text)
                return text.failure();
            texts[column] = std::move(*text);
        }
        StoredContactRow& contact = rows.emplace_back();
        contact.entryId = std::move(texts[0]);
        contact.fullName = std::move(texts[1]);
        contact.company = std::move(texts[2]);
        for (std::int32_t column = FirstEmailColumn; column < ColumnCount; ++column) {
            if (texts[column].empty())
                continue;
            auto& list = column < FirstPhoneColumn ? contact.emails : contact.phones;
            list.push_back(std::move(texts[column]));
        }
    }
    return Success();
}

Outcome<void> appendRows(const VariantGrid& grid, std::vector<StoredChangeTime>& rows) {
    if (Outcome<void> checked = checkColumns(grid, std::ssize(ChangeTimeColumns)); !checked)
        return checked;
    for (std::int32_t row = 0; row < grid.rows(); ++row) {
        Outcome<std::string> entryId = toText(grid.cell(row, 0));
        if (!entryId)
            return entryId.failure();
        Outcome<double> changed = utcDate(grid.cell(row, 1));
        if (!changed)
            return changed.failure();
        rows.push_back({std::move(*entryId), *changed});
    }
    return Success();
}

Outcome<double> lastModified(const DispatchObject& item) {
    Outcome<Variant> time = item.getProperty("LastModificationTime");
    if (!time)
        return time.failure();
    return utcDate(time->get());
}

// One table with just the columns asked for, read in blocks: a folder of ten
// thousand contacts costs a few dozen calls into Outlook instead of tens of
// thousands. Every item is listed, not only those of one message class, so
// that a contact saved under a form of its own is not missed.
template <typename Row>
Outcome<std::vector<Row>> readTable(const DispatchObject& folder,
                                    std::span<const std::string_view> wanted) {
    Outcome<DispatchObject> table =
        folder.callObject("GetTable", std::string_view(), std::int32_t{0}); // olUserItems
    if (!table)
        return table.failure();
    Outcome<DispatchObject> columns = table->getObject("Columns");
    if (!columns)
        return columns.failure();
    if (Outcome<Variant> removed = columns->call("RemoveAll"); !removed)
        return removed.failure();
    for (const std::string_view column : wanted)
        if (Outcome<Variant> added = columns->call("Add", column); !added)
            return added.failure();

    std::vector<Row> rows;
    for (;;) {
        Outcome<bool> ended = table->getBool("EndOfTable");
        if (!ended)
            return ended.failure();
        if (*ended)
            return rows;
        Outcome<Variant> block = table->call("GetArray", TableBlockRows);
        if (!block)
            return block.failure();
        Outcome<VariantGrid> grid = VariantGrid::from(std::move(*block));
        if (!grid)
            return grid.failure();
        if (grid->rows() == 0)
            return rows;
        if (Outcome<void> appended = appendRows(*grid, rows); !appended)
            return appended.failure();
    }
}

} // namespace

// The e-mail columns are where Outlook's prompt about programs reading
// addresses answered No shows, as a failure of Add or GetArray.
Outcome<std::vector<StoredContactRow>> ComOutlookFolder::readContacts() {
    return readTable<StoredContactRow>(folder_, ContactColumns);
}

Outcome<std::vector<StoredChangeTime>> ComOutlookFolder::readChangeTimes() {
    return readTable<StoredChangeTime>(folder_, ChangeTimeColumns);
}

Outcome<std::unique_ptr<OutlookFolder>> ComOutlookFolder::addContactsFolder(std::string_view name) {
    Outcome<DispatchObject> below = folder_.getObject("Folders");
    if (!below)
        return below.failure();
    return wrapFolder(below->callObject("Add", name, FolderContacts));
}

// Delete moves a folder to Deleted Items with all it holds, as a person
// deleting it in Outlook's folder list does.
Outcome<void> ComOutlookFolder::remove() {
    return discardResult(folder_.call("Delete"));
}

// Store.ExchangeStoreType, Outlook's OlExchangeStoreType.
Outcome<std::string> ComOutlookFolder::storeKind() {
    Outcome<DispatchObject> store = folder_.getObject("Store");
    if (!store)
        return store.failure();
    Outcome<std::int32_t> kind = store->getInt32("ExchangeStoreType");
    if (!kind)
        return kind.failure();
    switch (*kind) {
    case 0:
        return std::string("the user's Exchange mailbox");
    case 1:
        return std::string("another Exchange mailbox");
    case 2:
        return std::string("Exchange public folders");
    case 3:
        return std::string("a data file that is not Exchange (PST, or IMAP, POP3 or Outlook.com)");
    case 4:
        return std::string("an additional Exchange mailbox");
    default:
        return "an unknown kind of store (" + std::to_string(*kind) + ")";
    }
}

Outcome<double> ComOutlookContactItem::lastModificationTime() {
    return lastModified(item_);
}

Outcome<double> ComOutlookStoredItem::lastModificationTime() {
    return lastModified(item_);
}

// Delete moves the item to Deleted Items, where the user can still get it
// back; it is not removed for good.
Outcome<void> ComOutlookStoredItem::remove() {
    return discardResult(item_.call("Delete"));
}

Outcome<std::unique_ptr<OutlookFolder>> ComOutlookStoredItem::folder() {
    return wrapFolder(item_.getObject("Parent"));
}

// An item deleted or moved to another data file since its IDs were kept is
// not found: Outlook raises MAPI_E_NOT_FOUND, which the failure's notFound
// tells apart from Outlook refusing for any other reason.
double ComOutlookSession::utcFromLocalTime(double localOleDate) {
    return utcFromLocal(localOleDate);
}

Outcome<std::unique_ptr<OutlookStoredItem>>
ComOutlookSession::itemFromId(std::string_view entryId, std::string_view storeId) {
    Outcome<DispatchObject> item = session_.callObject("GetItemFromID", entryId, storeId);
    if (!item)
        return item.failure();
    return std::unique_ptr<OutlookStoredItem>(
        std::make_unique<ComOutlookStoredItem>(std::move(*item)));
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

Outcome<std::string> ComOutlookSession::outlookVersion() {
    return application_.getString("Version");
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

// Walked down one name at a time through each folder's Folders, from a data
// file's top folder (Session.Folders names them) or from the default one
// (the Contacts folder's parent).
Outcome<std::unique_ptr<OutlookFolder>> ComOutlookSession::folderByPath(std::string_view path) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    const auto notFound = [&](std::string_view name, const Failure& failure) {
        return Failure{"Outlook has no folder " + std::string(path) + ": " + std::string(name) +
                           " is not there (" + failure.description + ")",
                       failure.connectionLost, !failure.connectionLost};
    };
    if (names.empty())
        return Failure{"No folder was named.", false, true};
    Outcome<DispatchObject> folder = Failure{};
    std::size_t next = 0;
    if (path.starts_with("\\\\")) {
        Outcome<DispatchObject> dataFiles = session_.getObject("Folders");
        folder = dataFiles ? dataFiles->callObject("Item", names[0])
                           : Outcome<DispatchObject>(dataFiles.failure());
        if (!folder)
            return notFound(names[0], folder.failure());
        next = 1;
    } else {
        Outcome<DispatchObject> contacts = session_.callObject("GetDefaultFolder", FolderContacts);
        folder = contacts ? contacts->getObject("Parent") : contacts;
        if (!folder)
            return folder.failure();
    }
    for (; next < names.size(); ++next) {
        Outcome<DispatchObject> below = folder->getObject("Folders");
        Outcome<DispatchObject> found = below ? below->callObject("Item", names[next])
                                              : Outcome<DispatchObject>(below.failure());
        if (!found)
            return notFound(names[next], found.failure());
        folder = std::move(found);
    }
    return wrapFolder(std::move(folder));
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

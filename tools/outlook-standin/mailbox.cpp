#include "mailbox.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace quorvane::standin {
namespace {

constexpr wchar_t MailboxName[] = L"Outlook Data File";
// The second data file: its top folder's path is its name.
constexpr wchar_t ArchiveTop[] = L"Archive";
constexpr wchar_t ArchiveStoreId[] = L"0000000038A1BB1005E5101AA1BB08002B2A56C2A2C1";
// Marks the folder IDs this stand-in made, ahead of the path's code units.
constexpr wchar_t FolderIdPrefix[] = L"0000000051564644";
constexpr std::size_t HexPerUnit = 4;

constexpr const wchar_t* MadeByOutlook[] = {
    L"Inbox",         L"Contacts",          L"Calendar",
    L"Deleted Items", L"Archive\\Contacts", L"Archive\\Deleted Items"};

bool inArchive(const std::wstring& mailboxPath) {
    return isAtOrBelow(mailboxPath, ArchiveTop);
}

// The path below the data file's top: "Contacts\Work" of "Archive\Contacts\Work".
std::wstring inDataFile(const std::wstring& mailboxPath) {
    if (!inArchive(mailboxPath))
        return mailboxPath;
    const std::size_t top = std::size(ArchiveTop) - 1;
    return mailboxPath.size() > top ? mailboxPath.substr(top + 1) : std::wstring();
}

} // namespace

bool samePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool isAtOrBelow(const std::wstring& mailboxPath, const std::wstring& folder) {
    if (folder.empty())
        return !inArchive(mailboxPath);
    if (mailboxPath.size() > folder.size() && mailboxPath[folder.size()] != L'\\')
        return false;
    return samePath(mailboxPath.substr(0, folder.size()), folder);
}

std::vector<std::wstring> dataFileTops() {
    return {std::wstring(), ArchiveTop};
}

std::optional<std::wstring> parentOf(const std::wstring& mailboxPath) {
    if (mailboxPath.empty() || samePath(mailboxPath, ArchiveTop))
        return std::nullopt;
    const std::size_t slash = mailboxPath.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : mailboxPath.substr(0, slash);
}

std::wstring childOf(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

std::vector<std::wstring> defaultFolders() {
    std::vector<std::wstring> folders = dataFileTops();
    folders.insert(folders.end(), std::begin(MadeByOutlook), std::end(MadeByOutlook));
    return folders;
}

bool isDefaultFolder(const std::wstring& mailboxPath) {
    const auto folders = defaultFolders();
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::wstring& known) { return samePath(known, mailboxPath); });
}

std::wstring folderPath(const std::wstring& mailboxPath) {
    if (inArchive(mailboxPath))
        return L"\\\\" + mailboxPath;
    const std::wstring top = std::wstring(L"\\\\") + MailboxName;
    return mailboxPath.empty() ? top : top + L"\\" + mailboxPath;
}

std::wstring storeIdOf(const std::wstring& mailboxPath) {
    return inArchive(mailboxPath) ? ArchiveStoreId : StoreId;
}

std::wstring deletedItemsOf(const std::wstring& mailboxPath) {
    return childOf(inArchive(mailboxPath) ? ArchiveTop : L"", L"Deleted Items");
}

std::wstring folderName(const std::wstring& mailboxPath) {
    if (mailboxPath.empty())
        return MailboxName;
    const std::size_t slash = mailboxPath.find_last_of(L'\\');
    return slash == std::wstring::npos ? mailboxPath : mailboxPath.substr(slash + 1);
}

long defaultItemType(const std::wstring& mailboxPath) {
    const std::wstring inStore = inDataFile(mailboxPath);
    const std::wstring top = inStore.substr(0, inStore.find(L'\\'));
    constexpr long AppointmentItemType = 1;
    if (samePath(top, DefaultContactsFolder))
        return ContactItemType;
    return samePath(top, L"Calendar") ? AppointmentItemType : MailItemType;
}

std::optional<long> itemTypeOfKind(long folderKind) {
    // OlDefaultFolders to OlItemType: calendar, contacts, drafts, inbox,
    // journal, notes, tasks. Add refuses the rest (Deleted Items, Outbox...).
    constexpr std::pair<long, long> kinds[] = {
        {9, 1}, {10, ContactItemType}, {16, MailItemType}, {6, MailItemType}, {11, 4}, {12, 5},
        {13, 3}};
    for (const auto& [kind, itemType] : kinds)
        if (kind == folderKind)
            return itemType;
    return std::nullopt;
}

std::wstring folderEntryId(const std::wstring& mailboxPath) {
    std::wstring id = FolderIdPrefix;
    for (const wchar_t unit : mailboxPath) {
        wchar_t digits[HexPerUnit + 1];
        std::swprintf(digits, std::size(digits), L"%04X", static_cast<unsigned>(unit));
        id += digits;
    }
    return id;
}

// The prefix alone is the default data file's top folder.
std::optional<std::wstring> folderOfEntryId(const std::wstring& entryId) {
    const std::wstring prefix = FolderIdPrefix;
    if (entryId.compare(0, prefix.size(), prefix) != 0 ||
        (entryId.size() - prefix.size()) % HexPerUnit != 0)
        return std::nullopt;
    std::wstring path;
    for (std::size_t at = prefix.size(); at < entryId.size(); at += HexPerUnit) {
        wchar_t* end = nullptr;
        const std::wstring digits = entryId.substr(at, HexPerUnit);
        const unsigned long unit = std::wcstoul(digits.c_str(), &end, 16);
        if (end != digits.c_str() + HexPerUnit)
            return std::nullopt;
        path += static_cast<wchar_t>(unit);
    }
    return path;
}

} // namespace quorvane::standin

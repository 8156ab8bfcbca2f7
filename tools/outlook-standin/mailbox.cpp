#include "mailbox.h"

#include <windows.h>

#include <cwchar>

namespace quorvane::standin {
namespace {

constexpr wchar_t MailboxRoot[] = L"\\\\Outlook Data File\\";
// The second data file: its folders' paths begin with its name.
constexpr wchar_t ArchiveRoot[] = L"Archive\\";
constexpr wchar_t ArchiveStoreId[] = L"0000000038A1BB1005E5101AA1BB08002B2A56C2A2C1";
// Marks the folder IDs this stand-in made, ahead of the path's code units.
constexpr wchar_t FolderIdPrefix[] = L"0000000051564644";
constexpr std::size_t HexPerUnit = 4;

bool equalIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool inArchive(const std::wstring& mailboxPath) {
    const std::wstring root = ArchiveRoot;
    return mailboxPath.size() > root.size() &&
           equalIgnoringCase(mailboxPath.substr(0, root.size()), root);
}

} // namespace

std::wstring folderPath(const std::wstring& mailboxPath) {
    return inArchive(mailboxPath) ? L"\\\\" + mailboxPath : MailboxRoot + mailboxPath;
}

std::wstring storeIdOf(const std::wstring& mailboxPath) {
    return inArchive(mailboxPath) ? ArchiveStoreId : StoreId;
}

std::wstring deletedItemsOf(const std::wstring& mailboxPath) {
    return inArchive(mailboxPath) ? std::wstring(ArchiveRoot) + L"Deleted Items"
                                  : std::wstring(L"Deleted Items");
}

std::wstring folderName(const std::wstring& mailboxPath) {
    const std::size_t slash = mailboxPath.find_last_of(L'\\');
    return slash == std::wstring::npos ? mailboxPath : mailboxPath.substr(slash + 1);
}

long defaultItemType(const std::wstring& mailboxPath) {
    const std::wstring inStore =
        inArchive(mailboxPath) ? mailboxPath.substr(std::size(ArchiveRoot) - 1) : mailboxPath;
    const std::wstring top = inStore.substr(0, inStore.find(L'\\'));
    return equalIgnoringCase(top, DefaultContactsFolder) ? ContactItemType : MailItemType;
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

std::optional<std::wstring> folderOfEntryId(const std::wstring& entryId) {
    const std::wstring prefix = FolderIdPrefix;
    if (entryId.compare(0, prefix.size(), prefix) != 0 ||
        (entryId.size() - prefix.size()) % HexPerUnit != 0 || entryId.size() == prefix.size())
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

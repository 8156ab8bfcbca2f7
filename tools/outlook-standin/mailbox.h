#pragma once
// The stand-in's mailbox: folders named by their path below the mailbox
// ("Contacts", "Contacts\Friends", "Inbox"). Any path names a folder, so a
// test can pick any it likes; one at or below "Contacts" holds contacts, any
// other mail, which is all the importer asks of a folder.

#include <optional>
#include <string>

namespace quorvane::standin {

// Where Save puts a contact that was never moved.
inline constexpr wchar_t DefaultContactsFolder[] = L"Contacts";

// Outlook's olFolderContacts and olFolderInbox, for GetDefaultFolder.
inline constexpr long ContactsFolderKind = 10;
inline constexpr long InboxFolderKind = 6;

// Outlook's olContactItem and olMailItem, a folder's DefaultItemType.
inline constexpr long ContactItemType = 2;
inline constexpr long MailItemType = 0;

// The data file every folder lives in, as StoreID names it.
inline constexpr wchar_t StoreId[] = L"0000000038A1BB1005E5101AA1BB08002B2A56C20000";

// "\\Outlook Data File\Contacts\Friends", as Outlook writes a FolderPath.
std::wstring folderPath(const std::wstring& mailboxPath);
// The last part of the path: "Friends".
std::wstring folderName(const std::wstring& mailboxPath);
long defaultItemType(const std::wstring& mailboxPath);

// A folder's EntryID encodes its path, so that any later server (Outlook
// after a restart) finds the same folder by it.
std::wstring folderEntryId(const std::wstring& mailboxPath);
std::optional<std::wstring> folderOfEntryId(const std::wstring& entryId);

} // namespace quorvane::standin

#pragma once
// The stand-in's mailbox: folders named by their path below the mailbox
// ("Contacts", "Contacts\Friends", "Inbox"). Any path names a folder, so a
// test can pick any it likes; one at or below "Contacts" holds contacts, any
// other mail, which is all the importer asks of a folder. Paths below
// "Archive\" are in a second data file, with a store ID and a Deleted Items
// of its own: an item there is found only with its store's ID, as in Outlook.

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

// The default data file, as StoreID names it.
inline constexpr wchar_t StoreId[] = L"0000000038A1BB1005E5101AA1BB08002B2A56C20000";

// The data file a folder is in, by its StoreID.
std::wstring storeIdOf(const std::wstring& mailboxPath);
// Where Delete moves an item of the folder at `mailboxPath`.
std::wstring deletedItemsOf(const std::wstring& mailboxPath);

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

#pragma once
// The stand-in's mailbox: folders named by their path below the top of the
// default data file ("Contacts", "Contacts\Friends", "Inbox"); that top
// folder itself is the empty path. One at or below "Contacts" holds contacts,
// "Calendar" appointments, any other mail, unless Folders.Add gave it a kind
// of its own (folder_tree.h). Paths below "Archive" are in a second data
// file, whose top is "Archive" itself, with a store ID and a Deleted Items of
// its own: an item there is found only with its store's ID, as in Outlook.
// So the default data file can have no folder of that name.

#include <optional>
#include <string>
#include <vector>

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

// Case is ignored in folder names, as in Outlook.
bool samePath(const std::wstring& a, const std::wstring& b);
bool isAtOrBelow(const std::wstring& mailboxPath, const std::wstring& folder);

// The top folders of the data files, the default one first.
std::vector<std::wstring> dataFileTops();
// The folder holding `mailboxPath`; nothing for a data file's top.
std::optional<std::wstring> parentOf(const std::wstring& mailboxPath);
std::wstring childOf(const std::wstring& parent, const std::wstring& name);
// The folders Outlook makes in its data files, tops first; none of them
// can be deleted.
std::vector<std::wstring> defaultFolders();
bool isDefaultFolder(const std::wstring& mailboxPath);

// The data file a folder is in, by its StoreID.
std::wstring storeIdOf(const std::wstring& mailboxPath);
// Where Delete moves an item of the folder at `mailboxPath`.
std::wstring deletedItemsOf(const std::wstring& mailboxPath);

// "\\Outlook Data File\Contacts\Friends", as Outlook writes a FolderPath.
std::wstring folderPath(const std::wstring& mailboxPath);
// The last part of the path, "Friends"; a top folder's data file's name.
std::wstring folderName(const std::wstring& mailboxPath);
// What a folder holds when nobody chose: by its place in the data file.
long defaultItemType(const std::wstring& mailboxPath);
// The DefaultItemType of a folder Folders.Add makes of an OlDefaultFolders
// kind; nothing for a kind Add refuses.
std::optional<long> itemTypeOfKind(long folderKind);

// A folder's EntryID encodes its path, so that any later server (Outlook
// after a restart) finds the same folder by it.
std::wstring folderEntryId(const std::wstring& mailboxPath);
std::optional<std::wstring> folderOfEntryId(const std::wstring& entryId);

} // namespace quorvane::standin

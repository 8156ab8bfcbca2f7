#pragma once
// The stand-in Outlook as the tests steer it from outside: its switches under
// HKCU (tools/outlook-standin/config.h lists them), its registration, and the
// item windows a test leaves behind.

#include <windows.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace quorvane::test {

// Forgets every switch, then has the stand-in log to `logFile` and list what
// it saved in `savedFile` (both removed first), lingering only briefly once
// unused so that one test's server does not serve the next.
void resetStandIn(const std::wstring& logFile, const std::wstring& savedFile);
void setStandIn(const wchar_t* name, DWORD value);
void setStandIn(const wchar_t* name, const std::wstring& text);
void clearStandIn(const wchar_t* name);
// The stand-in's defaults again, for every switch.
void forgetStandInSwitches();

// Closes every item window of the stand-in, as a person tidying up would, and
// waits until they are gone; false if some stayed.
bool closeStandInItemWindows(std::chrono::milliseconds timeout);
// Waits until no stand-in server from an earlier test is left, closing its
// item windows on the way, so that no late window of one test is taken for a
// window of the next.
void settleStandIn();

// What the stand-in saved, in order: the file it read each contact from, the
// contact's name as it read it, and the FolderPath of the folder it went to
// (its SavedFile holds "<path>\t<name>\t<folder path>").
struct SavedContact {
    std::wstring path;
    std::wstring name;
    std::wstring folder;
};
std::vector<SavedContact> savedContacts(const std::wstring& savedFile);
// Only the files, for tests that count files rather than names.
std::vector<std::wstring> savedPaths(const std::wstring& savedFile);

// What the stand-in's ContactsFile holds of each contact it saved, in order:
// the card file it was made of and every property the contact held that was
// not empty, by Outlook's names ("HomeTelephoneNumber"), dates as
// "1980-04-15" and HasPicture as "true" (tools/outlook-standin/event_log.h).
struct SavedProperties {
    std::wstring path;
    std::map<std::wstring, std::wstring> properties;
};
std::vector<SavedProperties> savedProperties(const std::wstring& contactsFile);

// The FolderPath of a folder below the stand-in's mailbox, as its SavedFile
// and its folders name it: Contacts\Friends is
// \\Outlook Data File\Contacts\Friends.
std::wstring standInFolderPath(const std::wstring& mailboxPath);

// Deletes the stored item with these IDs in the stand-in, as a person would in
// Outlook: it goes to Deleted Items. False when it could not be.
bool deleteInStandIn(const std::string& entryId, const std::string& storeId);

// The stand-in's outlook.exe as QUORVANE_STANDIN_EXE names it; empty when
// the run provides none.
std::wstring standInProgram();
// Runs the stand-in with one argument, such as /regserver or /unregserver,
// and waits for it to finish.
void runStandIn(const wchar_t* argument);

} // namespace quorvane::test

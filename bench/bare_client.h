#pragma once
// The same COM calls the import runs make, with no window, no progress, no
// record and no error reports: the floor any importer has to stand on.

#include <oaidl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace quorvane::bench {

enum class WaitStyle { SleepOnMessages, BusyPoll };

// Imports one file through an item window; false when any call failed.
bool importOneBare(const std::wstring& path, WaitStyle wait);

// Imports every file through one session, as Import Without Windows does:
// the default Contacts folder and its FolderPath once, then per file
// OpenSharedItem, Save, EntryID and LastModificationTime, each item let go of
// before the next. Plain Invoke calls, so that what it costs is Outlook's
// share alone. Returns the entry IDs in the files' order, empty where a call
// failed.
std::vector<std::wstring> importAllBareWithoutWindows(const std::vector<std::wstring>& paths);

// Takes stored items back as Undo Last Import does: per entry ID
// GetItemFromID and Delete, with LastModificationTime read between them when
// `readChangeTime`. Returns how many failed.
int deleteAllBare(const std::vector<std::wstring>& entryIds, bool readChangeTime);

// Reads every contact of `folder` the way Reading its contacts does (one
// table, the same eight columns, rows in blocks of the same size), with plain
// Invoke calls and every cell turned into UTF-8 text. Returns how many rows
// it read, or -1 when a call failed.
std::ptrdiff_t readContactsBare(IDispatch* folder);

} // namespace quorvane::bench

#pragma once
// The same COM calls the import runs make, with no window, no progress, no
// record and no error reports: the floor any importer has to stand on.

#include <string>
#include <vector>

namespace quorvane::bench {

enum class WaitStyle { SleepOnMessages, BusyPoll };

// Imports one file through an item window; false when any call failed.
bool importOneBare(const std::wstring& path, WaitStyle wait);

// Imports every file through one session, as Import Without Windows does:
// the default Contacts folder once, then per file OpenSharedItem, Save and
// EntryID, each item let go of before the next. Returns how many failed.
int importAllBareWithoutWindows(const std::vector<std::wstring>& paths);

} // namespace quorvane::bench

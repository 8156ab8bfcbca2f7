#pragma once
// The same COM calls the import run makes for one file, with no window, no
// progress and no error reports: the floor any importer has to stand on.

#include <string>

namespace quorvane::bench {

enum class WaitStyle { SleepOnMessages, BusyPoll };

// Imports one file; false when any call failed.
bool importOneBare(const std::wstring& path, WaitStyle wait);

} // namespace quorvane::bench

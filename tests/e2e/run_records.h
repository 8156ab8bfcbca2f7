#pragma once
// The record files the program writes, one per run, under
// %LOCALAPPDATA%\Quorvane\Runs, as an end-to-end test finds and reads them.

#include "support/test_files.h"

#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace quorvane::test {

inline std::filesystem::path runsFolder() {
    PWSTR found = nullptr;
    SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &found);
    const win32::ScopedCoTaskMem<wchar_t> localAppData(found);
    return std::filesystem::path(localAppData ? localAppData.get() : L"") / L"Quorvane" / L"Runs";
}

// The record files in the runs folder, oldest first.
inline std::vector<std::filesystem::path> records() {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(runsFolder(), error))
        found.push_back(entry.path());
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
    });
    return found;
}

// The newest record's lines after its header (UTF-8).
inline std::vector<std::string> newestRecordRows() {
    const auto all = records();
    if (all.empty())
        return {};
    std::vector<std::string> rows = readUtf8Lines(all.back().wstring());
    if (!rows.empty())
        rows.erase(rows.begin());
    return rows;
}

} // namespace quorvane::test

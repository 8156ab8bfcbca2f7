#include "bare_walk.h"

#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <cwchar>

namespace quorvane::bench {

namespace {

bool endsWithVcf(const wchar_t* name) {
    const std::size_t length = std::wcslen(name);
    return length >= 4 && _wcsicmp(name + length - 4, L".vcf") == 0;
}

bool isDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Calls `onVcf` with the folder and name of every "*.vcf" file below `folder`.
template <typename OnVcf> void walk(const std::wstring& folder, OnVcf& onVcf) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\*";
    const win32::ScopedFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                    FindExSearchNameMatch, nullptr,
                                                    FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return;
    do {
        if (isDotEntry(found.cFileName))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            walk(folder + L"\\" + found.cFileName, onVcf);
        else if (endsWithVcf(found.cFileName))
            onVcf(folder, found.cFileName);
    } while (FindNextFileW(search.get(), &found));
}

} // namespace

void bareWalk(const std::wstring& folder, std::vector<std::wstring>& vcfPaths) {
    auto keep = [&](const std::wstring& parent, const wchar_t* name) {
        vcfPaths.push_back(parent + L"\\" + name);
    };
    walk(folder, keep);
}

std::size_t bareCount(const std::wstring& folder) {
    std::size_t files = 0;
    auto count = [&](const std::wstring&, const wchar_t*) { ++files; };
    walk(folder, count);
    return files;
}

} // namespace quorvane::bench

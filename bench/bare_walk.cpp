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

} // namespace

void bareWalk(const std::wstring& folder, std::vector<std::wstring>& vcfPaths) {
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
            bareWalk(folder + L"\\" + found.cFileName, vcfPaths);
        else if (endsWithVcf(found.cFileName))
            vcfPaths.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search.get(), &found));
}

std::size_t bareCount(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\*";
    const win32::ScopedFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                    FindExSearchNameMatch, nullptr,
                                                    FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return 0;
    std::size_t files = 0;
    do {
        if (isDotEntry(found.cFileName))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files += bareCount(folder + L"\\" + found.cFileName);
        else if (endsWithVcf(found.cFileName))
            ++files;
    } while (FindNextFileW(search.get(), &found));
    return files;
}

} // namespace quorvane::bench

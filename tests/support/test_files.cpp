#include "support/test_files.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <fstream>
#include <stdexcept>

namespace quorvane::test {

using win32::ScopedFile;
using win32::ScopedFind;

namespace {

// Win32 takes a path past MAX_PATH only in the "\\?\" form; the tests keep the
// ordinary form, as the program and Outlook get it.
std::wstring extended(const std::wstring& path) {
    return path.starts_with(L"\\\\") ? path : L"\\\\?\\" + path;
}

} // namespace

std::wstring tempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp, length) + L"quorvane-" + name;
    removeTree(folder);
    makeFolders(folder);
    return folder;
}

void makeFolders(const std::wstring& path) {
    // From the first folder below the drive ("C:\x"), each one in turn.
    for (std::size_t cut = path.find(L'\\', 3); cut != std::wstring::npos;
         cut = path.find(L'\\', cut + 1))
        CreateDirectoryW(extended(path.substr(0, cut)).c_str(), nullptr);
    CreateDirectoryW(extended(path).c_str(), nullptr);
}

void removeTree(const std::wstring& path) {
    const std::wstring system = extended(path);
    // A read-only entry cannot be deleted; hidden and system ones are fine,
    // but clearing everything is simplest.
    SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_NORMAL);
    const DWORD attributes = GetFileAttributesW(system.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(system.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found;
        const ScopedFind search(FindFirstFileW((system + L"\\*").c_str(), &found));
        for (bool more = static_cast<bool>(search); more;
             more = FindNextFileW(search.get(), &found)) {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                removeTree(path + L"\\" + name);
        }
    }
    RemoveDirectoryW(system.c_str());
}

void writeFile(const std::wstring& path, const std::string& content) {
    const ScopedFile file(CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("cannot write " + win32::toUtf8(path) + ": " +
                                 win32::systemMessage(GetLastError()));
    DWORD written = 0;
    WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

std::vector<std::string> readUtf8Lines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream in(path.c_str(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::wstring> readLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    for (const std::string& line : readUtf8Lines(path))
        lines.push_back(win32::toWide(line));
    return lines;
}

} // namespace quorvane::test

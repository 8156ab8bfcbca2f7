#include "platform/win32/skin_files_win32.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace quorvane::win32 {

namespace {

// The largest skin read; a real one is a few hundred bytes, so anything near
// this is not a skin.
constexpr LONGLONG LargestSkin = 1 << 20;

} // namespace

std::string Win32SkinFiles::programFolder() const {
    // The path can be longer than MAX_PATH; grow until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            std::wstring_view path(buffer.data(), length);
            return toUtf8(path.substr(0, path.find_last_of(L'\\')));
        }
        buffer.resize(buffer.size() * 2);
    }
}

// A listing rather than GetFileAttributesW, so the answer is the one a
// directory search gives; it is the listing's attributes that rule hidden,
// system and folder entries out.
bool Win32SkinFiles::ordinaryFileExists(std::string_view path) const {
    WIN32_FIND_DATAW entry{};
    const ScopedFind find(FindFirstFileExW(toWide(path).c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return false;
    constexpr DWORD notOrdinary =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (entry.dwFileAttributes & notOrdinary) == 0;
}

Outcome<std::string> Win32SkinFiles::readText(std::string_view path) const {
    const ScopedFile file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return Failure{systemMessage(GetLastError())};

    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        return Failure{systemMessage(GetLastError())};
    if (size.QuadPart > LargestSkin)
        return Failure{"The file is larger than a skin can be (1 MB)."};
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
        return Failure{systemMessage(GetLastError())};
    text.resize(read);
    return text;
}

} // namespace quorvane::win32

#include "contact_files.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace quorvane::soak {
namespace {

// Win32 takes paths past MAX_PATH only in the \\?\ form; the queue and
// Outlook get the ordinary form, as a person's folder would give them.
std::wstring extended(const std::wstring& path) { return L"\\\\?\\" + path; }

std::string toUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

void writeVCard(const std::wstring& path, const std::wstring& fullName) {
    HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write a contact file (error " +
                                 std::to_string(GetLastError()) + ")");
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + toUtf8(fullName) + "\r\nEND:VCARD\r\n";
    DWORD written = 0;
    WriteFile(file, card.data(), static_cast<DWORD>(card.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring numbered(std::size_t n) {
    std::wstring digits = std::to_wstring(n);
    return std::wstring(digits.size() < 5 ? 5 - digits.size() : 0, L'0') + digits;
}

constexpr std::size_t UnicodeEvery = 37;
constexpr std::size_t LongPathEvery = 499;

} // namespace

std::wstring fileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

ContactFiles writeContactFiles(const std::wstring& folder, std::size_t count) {
    ContactFiles files;
    // One deep folder for the long paths: each path below it passes 260
    // characters by its own name's length.
    const std::wstring deep = folder + L"\\" + std::wstring(120, L'd') + L"\\" +
                              std::wstring(100, L'e');
    CreateDirectoryW(extended(folder + L"\\" + std::wstring(120, L'd')).c_str(), nullptr);
    CreateDirectoryW(extended(deep).c_str(), nullptr);
    for (std::size_t n = 1; n <= count; ++n) {
        std::wstring path;
        std::wstring name;
        // The long ones come early (row 2) too, so a small run meets them.
        if (n % LongPathEvery == 2) {
            name = L"Long Path Contact " + numbered(n);
            path = deep + L"\\" + name + L" " + std::wstring(40, L'x') + L".vcf";
            ++files.longPaths;
        } else if (n % UnicodeEvery == 3) {
            name = L"Zo\u00eb \u00d1and\u00fa \u5317\u4eac " + numbered(n);
            path = folder + L"\\" + name + L".vcf";
            ++files.unicodeNames;
        } else {
            name = L"Contact " + numbered(n);
            path = folder + L"\\" + name + L".vcf";
        }
        writeVCard(path, name);
        files.paths.push_back(std::move(path));
    }
    return files;
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(extended(folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(extended(child).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(extended(folder).c_str());
}

} // namespace quorvane::soak

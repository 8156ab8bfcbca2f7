#include "platform/win32/run_storage_win32.h"

#include "platform/win32/file_system_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"
#include "text/byte_order_mark.h"

#include <windows.h>

#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdio>
#include <utility>
#include <vector>

namespace quorvane::win32 {

namespace {

// Made in every card folder and held open, unshared, while the folder is in
// use. It marks the folder as one of ours (the clean-up touches no folder
// without it, whatever its name) and, while it cannot be opened, as one a
// running program still owns. A program that dies leaves it openable. It is
// the last thing to go: a folder that keeps anything keeps its marker, or
// the clean-up would no longer know it.
constexpr wchar_t OwnerFileName[] = L"Quorvane card folder.lock";

Failure lastFailure() {
    return Failure{systemMessage(GetLastError())};
}

class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(ScopedFile file) : file_(std::move(file)) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file_.get(), &size))
            size_ = static_cast<std::uint64_t>(size.QuadPart);
    }

    std::uint64_t size() const override { return size_; }

    Outcome<std::size_t> read(std::span<char> buffer) override {
        DWORD read = 0;
        const auto size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (!ReadFile(file_.get(), buffer.data(), size, &read, nullptr))
            return lastFailure();
        return static_cast<std::size_t>(read);
    }

private:
    ScopedFile file_;
    std::uint64_t size_ = 0;
};

bool removeTree(const std::wstring& folder);

// Removes a folder's files and folders but the entry named `keep`; what
// cannot go (a file still open elsewhere) stays, and so does every folder on
// its way. Returns whether everything else went.
bool removeEntries(const std::wstring& folder, std::wstring_view keep = {}) {
    bool allGone = true;
    WIN32_FIND_DATAW entry{};
    const ScopedFind found(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                            FindExSearchNameMatch, nullptr, 0));
    if (found) {
        do {
            const std::wstring_view name = entry.cFileName;
            if (name == L"." || name == L".." || name == keep)
                continue;
            const std::wstring path = folder + L'\\' + entry.cFileName;
            // A link is removed as a link; what it leads to is never entered.
            const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            const bool isLink = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if (isFolder && !isLink) {
                allGone = removeTree(path) && allGone;
                continue;
            }
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            const BOOL removed =
                isFolder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
            allGone = removed && allGone;
        } while (FindNextFileW(found.get(), &entry));
    }
    return allGone;
}

// The folder and all it holds; whether it is gone.
bool removeTree(const std::wstring& folder) {
    removeEntries(folder);
    return RemoveDirectoryW(folder.c_str());
}

ScopedFile createOwnerFile(const std::wstring& folder) {
    return ScopedFile(CreateFileW((folder + L'\\' + OwnerFileName).c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
}

// Removes a card folder whose marker `owner` the caller holds, so that no
// other program's clean-up works on it at the same time. The marker goes
// only after everything else: a card Outlook still holds keeps the folder,
// and the marker (closed, so openable) tells the next start's clean-up that
// the folder is ours and that no running program owns it. Returns whether
// the folder is gone.
bool removeCardFolder(const std::wstring& folder, ScopedFile owner) {
    const bool emptied = removeEntries(folder, OwnerFileName);
    owner.reset();
    if (!emptied || !DeleteFileW((folder + L'\\' + OwnerFileName).c_str()))
        return false;
    if (RemoveDirectoryW(folder.c_str()))
        return true;
    // A card that another program holds open with delete sharing is deleted
    // only when it is closed, and keeps the folder until then: mark the
    // folder again for the next clean-up.
    createOwnerFile(folder);
    return false;
}

class Win32CardFolder final : public CardFolder {
public:
    Win32CardFolder(std::wstring path, ScopedFile owner)
        : widePath_(std::move(path)), path_(toUtf8(widePath_)), owner_(std::move(owner)) {}
    ~Win32CardFolder() override {
        if (owner_)
            removeCardFolder(widePath_, std::move(owner_));
        else
            removeTree(widePath_);
    }

    const std::string& path() const override { return path_; }

    Outcome<std::string> writeNewFile(std::string_view name, std::string_view bytes) override {
        const std::wstring path = widePath_ + L'\\' + toWide(name);
        // CREATE_NEW fails on any name already there, a link included, so
        // nothing is followed and nothing overwritten.
        ScopedFile file(CreateFileW(systemPath(toUtf8(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return lastFailure();
        std::size_t written = 0;
        while (written < bytes.size()) {
            DWORD wrote = 0;
            const auto chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
            if (!WriteFile(file.get(), bytes.data() + written, chunk, &wrote, nullptr))
                return lastFailure();
            written += wrote;
        }
        return toUtf8(path);
    }

    void removeFile(std::string_view path) override {
        DeleteFileW(systemPath(std::string(path)).c_str());
    }

    Outcome<std::unique_ptr<CardFolder>> createFolder(std::string_view name) override {
        const std::wstring path = widePath_ + L'\\' + toWide(name);
        if (!CreateDirectoryW(systemPath(toUtf8(path)).c_str(), nullptr))
            return lastFailure();
        return std::unique_ptr<CardFolder>(std::make_unique<Win32CardFolder>(path, ScopedFile{}));
    }

private:
    std::wstring widePath_;
    std::string path_;
    ScopedFile owner_;
};

// A descriptor that lets the current user alone in: one entry granting the
// user's own SID full control, handed down to every file and folder made
// inside, and protected so that nothing of the temporary folder's own list
// (which lets others read when that folder is shared) is inherited.
Outcome<ScopedLocal<PSECURITY_DESCRIPTOR>> privateDescriptor() {
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()))
        return lastFailure();
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<std::byte> user(size);
    if (!GetTokenInformation(token.get(), TokenUser, user.data(), size, &size))
        return lastFailure();
    ScopedLocal<LPWSTR> sid;
    if (!ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid,
                                sid.receive()))
        return lastFailure();
    const std::wstring text = L"D:P(A;OICI;FA;;;" + std::wstring(sid.get()) + L")";
    ScopedLocal<PSECURITY_DESCRIPTOR> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                              descriptor.receive(), nullptr))
        return lastFailure();
    return descriptor;
}

// Exactly the names createCardFolder makes: the prefix, then digits and
// dashes. Matching on the system's wildcard alone would also take a user's
// "quorvane-notes" (wildcards ignore case).
bool isCardFolderName(std::wstring_view name) {
    constexpr std::wstring_view prefix = CardFolderPrefix;
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    for (const wchar_t c : name.substr(prefix.size()))
        if (!(c == L'-' || (c >= L'0' && c <= L'9')))
            return false;
    return true;
}

class Win32RunRecordFile final : public RunRecordFile {
public:
    Win32RunRecordFile(ScopedFile file, std::string path, bool continued = false)
        : file_(std::move(file)), path_(std::move(path)), continued_(continued) {}

    const std::string& path() const override { return path_; }
    bool continued() const override { return continued_; }

    // One WriteFile per line: once it returns, the line is the system's to
    // keep, whatever happens to this program.
    Outcome<void> appendLine(std::string_view line) override {
        std::string text(line);
        text += "\r\n";
        DWORD wrote = 0;
        if (!WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &wrote,
                       nullptr) ||
            wrote != text.size())
            return lastFailure();
        return Success();
    }

private:
    ScopedFile file_;
    std::string path_;
    bool continued_;
};

// %LOCALAPPDATA%\Quorvane\<name>; empty when that folder is not known.
std::wstring programDataFolder(const wchar_t* name) {
    PWSTR found = nullptr;
    const HRESULT result =
        SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &found);
    const ScopedCoTaskMem<wchar_t> localAppData(found);
    if (FAILED(result) || !localAppData)
        return {};
    return std::wstring(localAppData.get()) + L"\\Quorvane\\" + name;
}

std::wstring recordFolder() {
    return programDataFolder(L"Runs");
}

} // namespace

std::wstring temporaryFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return {};
    return std::wstring(buffer, length);
}

Outcome<std::unique_ptr<ByteSource>> Win32RunStorage::openForReading(std::string_view path) {
    ScopedFile file(CreateFileW(systemPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return lastFailure();
    return std::unique_ptr<ByteSource>(std::make_unique<FileByteSource>(std::move(file)));
}

Outcome<std::unique_ptr<CardFolder>> Win32RunStorage::createCardFolder() {
    const std::wstring temporary = temporaryFolder();
    if (temporary.empty())
        return lastFailure();
    // Contacts are never written where others may read them.
    auto descriptor = privateDescriptor();
    if (!descriptor)
        return descriptor.failure();
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.value().get(), FALSE};
    // The process and a counter make the name; a name already taken (by a
    // folder or anything else) is never reused.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        std::swprintf(name, std::size(name), L"%ls%lu-%lu-%u", CardFolderPrefix,
                      GetCurrentProcessId(), static_cast<unsigned long>(GetTickCount64() % 100000),
                      attempt);
        const std::wstring folder = temporary + name;
        if (!CreateDirectoryW(folder.c_str(), &security)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return lastFailure();
        }
        ScopedFile owner = createOwnerFile(folder);
        if (!owner) {
            const Failure failure = lastFailure();
            RemoveDirectoryW(folder.c_str());
            return failure;
        }
        return std::unique_ptr<CardFolder>(
            std::make_unique<Win32CardFolder>(folder, std::move(owner)));
    }
    return Failure{"No new folder could be made in " + toUtf8(temporary) + "."};
}

namespace {

// An undo record is named after the run's record, with this in front of
// ".csv"; its being there marks the run as undone.
constexpr std::wstring_view UndoSuffix = L" undone";

// A new record file at `path`, begun with a UTF-8 byte-order mark; nothing
// when a file of that name is there already.
Outcome<std::unique_ptr<RunRecordFile>> newRecordFile(const std::wstring& path, bool& exists) {
    exists = false;
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        exists = GetLastError() == ERROR_FILE_EXISTS;
        return lastFailure();
    }
    DWORD wrote = 0;
    if (!WriteFile(file.get(), Utf8ByteOrderMark.data(),
                   static_cast<DWORD>(Utf8ByteOrderMark.size()), &wrote, nullptr))
        return lastFailure();
    return std::unique_ptr<RunRecordFile>(
        std::make_unique<Win32RunRecordFile>(std::move(file), toUtf8(path)));
}

Outcome<std::vector<std::string>> readRecordLines(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return lastFailure();
    std::string bytes;
    char block[64 * 1024];
    DWORD read = 0;
    while (ReadFile(file.get(), block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    std::string_view text = WithoutUtf8ByteOrderMark(bytes);
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// Built by appending: GCC 12 warns falsely about a std::wstring + a
// std::wstring&& once this is inlined.
std::wstring undoPathFor(std::wstring_view recordPath) {
    std::wstring path(recordPath.substr(0, recordPath.size() - 4)); // without ".csv"
    path.append(UndoSuffix).append(L".csv");
    return path;
}

} // namespace

namespace {

// A new file in `folder` (made when missing), named by the local time as
// "2026-12-08 14-03-27.csv", or "... (2).csv" when a file of that second is
// there already; `make` opens one at the path it is given and says whether
// the name was taken. A name once taken is never written over.
template <typename Made, typename Make>
Outcome<Made> newTimedFile(const std::wstring& folder, const wchar_t* extension, Make make) {
    if (folder.empty())
        return Failure{"The local application data folder is not known."};
    const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS)
        return Failure{systemMessage(static_cast<unsigned long>(made))};
    SYSTEMTIME now{};
    GetLocalTime(&now);
    for (unsigned attempt = 1; attempt < 100; ++attempt) {
        wchar_t name[64];
        std::swprintf(name, std::size(name), L"%04u-%02u-%02u %02u-%02u-%02u%ls%ls", now.wYear,
                      now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                      attempt == 1 ? L"" : (L" (" + std::to_wstring(attempt) + L")").c_str(),
                      extension);
        bool exists = false;
        Outcome<Made> file = make(folder + L'\\' + name, exists);
        if (file || !exists)
            return file;
    }
    return Failure{"No new file could be made in " + toUtf8(folder) + "."};
}

} // namespace

Outcome<std::unique_ptr<RunRecordFile>> Win32RunStorage::createRunRecord() {
    return newTimedFile<std::unique_ptr<RunRecordFile>>(recordFolder(), L".csv", newRecordFile);
}

// UTF-8 with a byte-order mark, as the records are, so that Notepad and a
// mail program show every character.
Outcome<std::string> Win32RunStorage::writeCheckReport(std::string_view text) {
    const auto write = [text](const std::wstring& path, bool& exists) -> Outcome<std::string> {
        const ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            exists = GetLastError() == ERROR_FILE_EXISTS;
            return Failure{systemMessage(GetLastError())};
        }
        const std::string bytes = "\xEF\xBB\xBF" + std::string(text);
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size())
            return Failure{systemMessage(GetLastError())};
        return toUtf8(path);
    };
    return newTimedFile<std::string>(programDataFolder(L"Checks"), L".txt", write);
}

Outcome<std::vector<std::string>> Win32RunStorage::listRunRecords() {
    const std::wstring folder = recordFolder();
    std::vector<std::string> paths;
    WIN32_FIND_DATAW entry{};
    const ScopedFind found(FindFirstFileExW((folder + L"\\*.csv").c_str(), FindExInfoBasic, &entry,
                                            FindExSearchNameMatch, nullptr, 0));
    if (!found)
        return paths;
    do {
        const std::wstring_view name = entry.cFileName;
        if (!name.ends_with(std::wstring(UndoSuffix) + L".csv") &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            paths.push_back(toUtf8(folder + L'\\' + std::wstring(name)));
    } while (FindNextFileW(found.get(), &entry));
    return paths;
}

Outcome<RunRecordText> Win32RunStorage::readRunRecord(std::string_view path) {
    const std::wstring widePath = toWide(path);
    auto lines = readRecordLines(widePath);
    if (!lines)
        return lines.failure();
    RunRecordText record{std::string(path), std::move(lines.value()), {}};
    if (auto undone = readRecordLines(undoPathFor(widePath)))
        record.undoLines = std::move(undone.value());
    return record;
}

Outcome<std::unique_ptr<RunRecordFile>>
Win32RunStorage::createUndoRecord(std::string_view runRecordPath) {
    const std::wstring path = undoPathFor(toWide(runRecordPath));
    bool exists = false;
    auto made = newRecordFile(path, exists);
    if (made || !exists)
        return made;
    // Taken back in part before: the same record goes on after its lines.
    ScopedFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return lastFailure();
    return std::unique_ptr<RunRecordFile>(
        std::make_unique<Win32RunRecordFile>(std::move(file), toUtf8(path), true));
}

int removeAbandonedCardFolders() {
    const std::wstring temporary = temporaryFolder();
    if (temporary.empty())
        return 0;
    WIN32_FIND_DATAW entry{};
    const ScopedFind found(FindFirstFileExW((temporary + CardFolderPrefix + L"*").c_str(),
                                            FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                            0));
    if (!found)
        return 0;
    int removed = 0;
    do {
        constexpr DWORD folderNotLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((entry.dwFileAttributes & folderNotLink) != FILE_ATTRIBUTE_DIRECTORY ||
            !isCardFolderName(entry.cFileName))
            continue;
        const std::wstring folder = temporary + entry.cFileName;
        // A running program holds its marker open without sharing, so it
        // cannot be opened; a folder without one is not ours. Held here, it
        // keeps another starting program's clean-up away meanwhile.
        ScopedFile owner(CreateFileW((folder + L'\\' + OwnerFileName).c_str(), GENERIC_READ, 0,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (owner && removeCardFolder(folder, std::move(owner)))
            ++removed;
    } while (FindNextFileW(found.get(), &entry));
    return removed;
}

} // namespace quorvane::win32

#include "platform/win32/file_system_win32.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <optional>
#include <utility>

namespace quorvane::win32 {

namespace {

// Below this a path and any pattern or name appended by Win32 itself stay
// within MAX_PATH.
constexpr std::size_t PlainPathLimit = MAX_PATH - 12;

Failure lastFailure() {
    return Failure{systemMessage(GetLastError())};
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        return path;
    full.resize(written);
    return full;
}

std::wstring extendedPath(std::wstring path) {
    constexpr std::wstring_view extended = L"\\\\?\\";
    if (path.size() < PlainPathLimit || path.starts_with(extended) || path.starts_with(L"\\\\.\\"))
        return path;
    // The prefix turns off Win32's own tidying ("\\" read as "\", "." and
    // ".." folded), so the path is made full and tidy first.
    std::wstring full = fullPath(path);
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return std::wstring(extended) + full;
}

// A name surrogate stands for another place (symbolic link, junction, mount
// point); other reparse points (cloud placeholders, deduplicated files) do
// not. A tag of zero means the listing did not say, and counts as a link.
bool isLink(const WIN32_FIND_DATAW& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    return data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0);
}

class Win32Listing final : public FolderListing {
public:
    // `search` is empty for a search that matched nothing.
    Win32Listing(ScopedFind search, const WIN32_FIND_DATAW& first, ListingMask mask)
        : search_(std::move(search)), current_(first), mask_(mask),
          hasCurrent_(static_cast<bool>(search_)) {}

    Outcome<std::optional<FolderEntry>> next() override {
        while (hasCurrent_) {
            const WIN32_FIND_DATAW found = current_;
            if (auto advanced = advance(); !advanced)
                return advanced.failure();
            if (!ListingAdmits(mask_, found.dwFileAttributes))
                continue;
            return std::optional<FolderEntry>(
                FolderEntry{toUtf8(found.cFileName), found.dwFileAttributes, isLink(found)});
        }
        return std::optional<FolderEntry>();
    }

private:
    Outcome<void> advance() {
        if (FindNextFileW(search_.get(), &current_))
            return Success();
        hasCurrent_ = false;
        const DWORD error = GetLastError();
        if (error == ERROR_NO_MORE_FILES)
            return Success();
        return Failure{systemMessage(error)};
    }

    ScopedFind search_;
    WIN32_FIND_DATAW current_;
    ListingMask mask_;
    bool hasCurrent_;
};

} // namespace

std::wstring systemPath(std::string_view path) {
    return extendedPath(toWide(path));
}

Outcome<std::unique_ptr<FolderListing>> Win32FileSystem::list(std::string_view search,
                                                              ListingMask mask) {
    std::wstring pattern = toWide(search);
    if (pattern.ends_with(L'\\'))
        pattern += L'*';
    pattern = extendedPath(std::move(pattern));

    WIN32_FIND_DATAW first{};
    // The basic level skips the 8.3 short name nobody reads; the large fetch
    // asks for bigger batches, which helps big folders and network shares.
    ScopedFind found(calls_.findFirstFile(pattern.c_str(), FindExInfoBasic, &first,
                                          FindExSearchNameMatch, nullptr,
                                          FIND_FIRST_EX_LARGE_FETCH));
    if (!found) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            return Failure{systemMessage(error)};
    }
    return std::unique_ptr<FolderListing>(
        std::make_unique<Win32Listing>(std::move(found), first, mask));
}

Outcome<std::uint32_t> Win32FileSystem::attributes(std::string_view path) {
    const DWORD attributes = calls_.fileAttributes(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastFailure();
    return static_cast<std::uint32_t>(attributes);
}

Outcome<FileIdentity> Win32FileSystem::identity(std::string_view folder) {
    // No access rights are needed to read the identity; backup semantics let
    // a folder be opened at all, and links are followed to their target.
    ScopedFile file(calls_.createFile(systemPath(folder).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return lastFailure();

    // 128-bit IDs where the volume has them (ReFS truncates to 64 bits in the
    // older call, so two folders could look alike).
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(file.get(), FileIdInfo, &id, sizeof id)) {
        FileIdentity identity;
        identity.volume = id.VolumeSerialNumber;
        for (int i = 0; i < 8; ++i) {
            identity.indexLow |= static_cast<std::uint64_t>(id.FileId.Identifier[i]) << (8 * i);
            identity.indexHigh |= static_cast<std::uint64_t>(id.FileId.Identifier[8 + i])
                                  << (8 * i);
        }
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file.get(), &information))
        return lastFailure();
    FileIdentity identity;
    identity.volume = information.dwVolumeSerialNumber;
    identity.indexLow =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return identity;
}

} // namespace quorvane::win32

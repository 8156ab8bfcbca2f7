#pragma once
// The folder search's file system on Windows: FindFirstFileExW listings, the
// attribute mask applied to what they return, and folder identities read from
// an open handle.

#include "platform/file_system.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace quorvane::win32 {

// The system calls that take a path. Wine has no 260-character limit, so only
// a test that sees what each call is handed (or refuses a long plain path,
// as Windows without long-path support does) can tell that deep folders stay
// reachable.
struct FileSystemCalls {
    decltype(&FindFirstFileExW) findFirstFile = &FindFirstFileExW;
    decltype(&GetFileAttributesW) fileAttributes = &GetFileAttributesW;
    decltype(&CreateFileW) createFile = &CreateFileW;
};

class Win32FileSystem final : public FileSystem {
public:
    explicit Win32FileSystem(FileSystemCalls calls = {}) : calls_(calls) {}

    Outcome<std::unique_ptr<FolderListing>> list(std::string_view search,
                                                 ListingMask mask) override;
    Outcome<std::uint32_t> attributes(std::string_view path) override;
    Outcome<FileIdentity> identity(std::string_view folder) override;

private:
    FileSystemCalls calls_;
};

// `path` as the Win32 file functions should get it: unchanged while it is
// short, and as a full path with the "\\?\" (or "\\?\UNC\") prefix once it
// could pass MAX_PATH, so that deep folders stay reachable on systems without
// long-path support. Only the call gets the prefix; the queue keeps the
// ordinary path.
std::wstring systemPath(std::string_view path);

} // namespace quorvane::win32

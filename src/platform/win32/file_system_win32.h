#pragma once
// The folder search's file system on Windows: FindFirstFileExW listings, the
// attribute mask applied to what they return, and folder identities read from
// an open handle.

#include "platform/file_system.h"

#include <string>
#include <string_view>

namespace quorvane::win32 {

class Win32FileSystem final : public FileSystem {
public:
    Outcome<std::unique_ptr<FolderListing>> list(std::string_view search,
                                                 ListingMask mask) override;
    Outcome<std::uint32_t> attributes(std::string_view path) override;
    Outcome<FileIdentity> identity(std::string_view folder) override;
};

// `path` as the Win32 file functions should get it: unchanged while it is
// short, and as a full path with the "\\?\" (or "\\?\UNC\") prefix once it
// could pass MAX_PATH, so that deep folders stay reachable on systems without
// long-path support. Only the call gets the prefix; the queue keeps the
// ordinary path.
std::wstring systemPath(std::string_view path);

} // namespace quorvane::win32

#pragma once
// What the folder search needs of the file system: directory listings with a
// wildcard and an attribute mask, the attributes of one path, and the identity
// of a folder for telling when a link leads back to a folder already searched.
//
// Paths are UTF-8 with backslashes, as the user and the shell give them. A
// drive root may stand with two backslashes after the colon ("D:\\sub"); the
// file system reads repeated backslashes as one, the way Windows does.
//
// Threads: the folder search walks on a thread of its own while the window's
// thread goes on looking at dropped paths, so every call may come from any
// thread, and from two at once. Each call stands alone: an implementation
// keeps no state between calls that another thread's call could disturb (a
// fake may record the calls, under a lock). A FolderListing belongs to the
// thread that opened it, which alone reads and closes it. Only the walk's own
// thread is ever inside a long call; nothing interrupts a call, so a close
// that arrives meanwhile takes effect when it returns.

#include "base/outcome.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

namespace FileAttribute {
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Hidden = 0x2;
inline constexpr std::uint32_t System = 0x4;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t ReparsePoint = 0x400;
} // namespace FileAttribute

// The attribute masks the folder search lists with.
enum class ListingMask : std::uint32_t {
    // 16: folders together with plain files; anything marked hidden or system
    // (folder or file) is left out.
    Folders = FileAttribute::Directory,
    // 6: files only, plain, hidden and system alike; folders are left out.
    Files = FileAttribute::Hidden | FileAttribute::System,
    // 0x16: every entry, folders and files, hidden and system ones included.
    // The folder search lists each folder once with it and sorts the entries
    // itself: on some systems every listing costs a query per entry, so two
    // listings of one folder cost twice as much.
    Everything = FileAttribute::Directory | FileAttribute::Hidden | FileAttribute::System,
};

// Whether a listing with `mask` returns an entry with `attributes`: the hidden,
// system and directory marks an entry carries must all be asked for by the
// mask; read-only, archive and every other mark make no difference.
constexpr bool ListingAdmits(ListingMask mask, std::uint32_t attributes) {
    constexpr std::uint32_t selecting =
        FileAttribute::Hidden | FileAttribute::System | FileAttribute::Directory;
    return (attributes & selecting & ~static_cast<std::uint32_t>(mask)) == 0;
}

// Which file a path reaches once every link on the way has been followed.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t indexHigh = 0; // ReFS file IDs take 128 bits; zero on NTFS
    std::uint64_t indexLow = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FolderEntry {
    std::string name; // the long name; never an 8.3 short name
    // As the listing reported them; empty when the listing could not tell,
    // and the caller then has to ask for the path's attributes itself.
    std::optional<std::uint32_t> attributes;
    // A symbolic link, junction or mount point: it can lead anywhere, back up
    // the tree included, so a search that follows it must watch for cycles.
    bool link = false;
};

// One open directory listing; closing it (destroying it) frees the system's
// search handle.
class FolderListing {
public:
    virtual ~FolderListing() = default;
    // The next admitted entry in the listing's own order, nothing after the
    // last one, or the failure that cut the listing short.
    virtual Outcome<std::optional<FolderEntry>> next() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Lists `search`: a folder path ending in a backslash lists every entry of
    // that folder ("." and ".." included, except at a drive root); otherwise
    // the text after the last backslash is a pattern ("*.vcf", or one plain
    // name) matched against the entries of the folder before it. Matching
    // ignores letter case; "*" takes any run of characters, "?" any one, and a
    // trailing ".*" also takes names without a dot. Windows matches 8.3 short
    // names as well, so a caller that must not take "x.vcfx" for "*.vcf"
    // checks the long name again. Only entries that `mask` admits
    // (ListingAdmits) are returned. A search that matches nothing is an empty
    // listing; a folder that cannot be read is a failure with the system's
    // reason.
    virtual Outcome<std::unique_ptr<FolderListing>> list(std::string_view search,
                                                         ListingMask mask) = 0;

    // The attributes of `path` itself (a link's own, not its target's).
    virtual Outcome<std::uint32_t> attributes(std::string_view path) = 0;

    // The identity of the folder that `folder` reaches. Costs a round trip to
    // the file system per call, so the search asks only once links appear.
    virtual Outcome<FileIdentity> identity(std::string_view folder) = 0;
};

} // namespace quorvane

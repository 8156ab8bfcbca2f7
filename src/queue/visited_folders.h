#pragma once
#include "platform/file_system.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvane {

// The folders one walk has listed, by identity, so that a link leading back up
// the tree (or to a folder the walk lists anyway) does not make it list the
// same folder again and again. Until the walk meets its first link it is a
// plain tree, which cannot reach a folder twice; identities are only asked for
// from then on, so a walk of ten thousand ordinary folders costs no extra
// queries at all.
class VisitedFolders {
public:
    explicit VisitedFolders(FileSystem& files) : files_(files) {}

    // Called when the walk meets a link: from now on every folder counts, those
    // tried so far included, whether they could be listed or not.
    void linkFound(const std::vector<std::string>& triedSoFar);

    // True when `folder` reaches a folder this walk has listed; otherwise the
    // folder is remembered as listed. A folder whose identity cannot be read is
    // listed: a failure to tell must not hide a folder the user asked for.
    bool listedBefore(std::string_view folder);

private:
    struct IdentityHash {
        std::size_t operator()(const FileIdentity& identity) const noexcept;
    };

    FileSystem& files_;
    bool watching_ = false;
    std::unordered_set<FileIdentity, IdentityHash> listed_;
};

} // namespace quorvane

#include "queue/visited_folders.h"

namespace quorvane {

std::size_t VisitedFolders::IdentityHash::operator()(const FileIdentity& identity) const noexcept {
    std::hash<std::uint64_t> hash;
    std::size_t seed = hash(identity.indexLow);
    for (std::uint64_t part : {identity.indexHigh, identity.volume})
        seed ^= hash(part) + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
    return seed;
}

void VisitedFolders::linkFound(const std::vector<std::string>& triedSoFar) {
    if (watching_)
        return;
    watching_ = true;
    for (const std::string& folder : triedSoFar)
        (void)listedBefore(folder);
}

bool VisitedFolders::listedBefore(std::string_view folder) {
    if (!watching_)
        return false;
    auto identity = files_.identity(folder);
    if (!identity)
        return false;
    return !listed_.insert(identity.value()).second;
}

} // namespace quorvane

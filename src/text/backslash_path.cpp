#include "text/backslash_path.h"

namespace quorvane {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined.append(folder).append(1, '\\').append(name);

    // One left-to-right pass, the way a plain text Replace works: after a
    // replacement the scan resumes behind the inserted ":\", so ":\\\" (three
    // backslashes) becomes ":\\" and not ":\".
    constexpr std::string_view doubled = ":\\\\";
    std::string repaired;
    repaired.reserve(joined.size());
    std::size_t from = 0;
    for (std::size_t at = joined.find(doubled); at != std::string::npos;
         at = joined.find(doubled, from)) {
        repaired.append(joined, from, at - from).append(":\\");
        from = at + doubled.size();
    }
    repaired.append(joined, from, std::string::npos);
    return repaired;
}

std::string_view GetFileName(std::string_view path) {
    const auto lastBackslash = path.rfind('\\');
    if (lastBackslash == std::string_view::npos)
        return path;
    return path.substr(lastBackslash + 1);
}

} // namespace quorvane

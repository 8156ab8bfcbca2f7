#include "queue/dialog_result.h"

#include "text/backslash_path.h"

namespace quorvane {

std::vector<std::string> SplitDialogResult(std::string_view fileName) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (std::size_t nul = fileName.find('\0'); nul != std::string_view::npos;
         nul = fileName.find('\0', from)) {
        parts.push_back(fileName.substr(from, nul - from));
        from = nul + 1;
    }
    parts.push_back(fileName.substr(from));

    if (parts.size() == 1)
        return {std::string(parts.front())};
    std::vector<std::string> rows;
    rows.reserve(parts.size() - 1);
    for (std::size_t i = 1; i < parts.size(); ++i)
        rows.push_back(JoinPath(parts.front(), parts[i]));
    return rows;
}

} // namespace quorvane

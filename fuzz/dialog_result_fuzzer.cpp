// What the open dialog hands back: one full path, or a folder and the chosen
// names separated by NULs. Each name becomes one row of that folder, in order.

#include "queue/dialog_result.h"
#include "require.h"
#include "text/backslash_path.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view result(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> rows = SplitDialogResult(result);

    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t nul = result.find('\0', from);
        parts.push_back(result.substr(from, nul - from));
        if (nul == std::string_view::npos)
            break;
        from = nul + 1;
    }
    if (parts.size() == 1) {
        require(rows.size() == 1 && rows[0] == result, "one path is queued unchanged");
        return 0;
    }
    require(rows.size() == parts.size() - 1, "one row per chosen name");
    const std::string folderPart = JoinPath(parts[0], "");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view name = parts[i + 1];
        const std::string& row = rows[i];
        require(row.find('\0') == std::string::npos, "a row holds no NUL");
        if (name.find('\\') != std::string_view::npos || name.find(':') != std::string_view::npos)
            continue;
        // A plain name is the row's file name, behind the same folder text.
        require(GetFileName(row) == name, "the row ends in its name");
        require(std::string_view(row).substr(0, row.size() - name.size()) == folderPart,
                "every row starts with the same folder");
    }
    return 0;
}

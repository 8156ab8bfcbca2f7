#include "import/run_progress.h"

#include "text/backslash_path.h"

#include <algorithm>

namespace quorvane {

std::string ProgressText(std::string_view queuedPath, const std::vector<FileContact>& contacts,
                         std::size_t contactAt) {
    if (contacts.size() <= 1 || contactAt >= contacts.size())
        return "Processing: " + std::string(GetFileName(queuedPath));
    return "Processing: " + std::string(GetFileName(contacts[contactAt].path)) + " (" +
           std::to_string(contactAt + 1) + " of " + std::to_string(contacts.size()) + ")";
}

Outcome<double> ProgressValue(std::int32_t index, std::size_t rows, std::size_t contactAt,
                              std::size_t contactCount) {
    if (rows == 0)
        return Failure{"Division by zero: the queue was emptied during the run."};
    // The contacts of a split file move the bar from the share of the rows
    // before it to its own: the last contact shows the row's share.
    double done = static_cast<double>(index);
    if (contactCount > 1)
        done += static_cast<double>(contactAt + 1) / static_cast<double>(contactCount) - 1.0;
    const double percent = done / static_cast<double>(rows) * 100.0;
    return std::min(percent, 100.0);
}

} // namespace quorvane

#include "import/run_progress.h"

#include "text/backslash_path.h"

#include <algorithm>

namespace quorvane {

std::string ProgressText(std::string_view queuedPath, const FileContact* contact, bool split) {
    std::string text = "Processing: ";
    if (!split || !contact)
        return text.append(GetFileName(queuedPath));
    if (!contact->path.empty())
        text.append(GetFileName(contact->path));
    else
        text.append("contact ").append(std::to_string(contact->number));
    return text.append(" in ").append(GetFileName(queuedPath));
}

Outcome<double> ProgressValue(std::int32_t index, std::size_t rows, double fileDone) {
    if (rows == 0)
        return Failure{"Division by zero: the queue was emptied during the run."};
    const double done = static_cast<double>(index) - 1.0 + std::clamp(fileDone, 0.0, 1.0);
    const double percent = done / static_cast<double>(rows) * 100.0;
    return std::min(percent, 100.0);
}

} // namespace quorvane

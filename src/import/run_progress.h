#pragma once
// What the progress bar shows while a run imports, the same for the run
// through item windows and the run without them.

#include "import/file_contacts.h"
#include "platform/outcome.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

inline constexpr std::string_view ProgressAtRest = "Progress Bar";

// "Processing: " and the queued file's name; for a file split into several
// contacts, the name of the contact's own card file and "(k of n)".
std::string ProgressText(std::string_view queuedPath, const std::vector<FileContact>& contacts,
                         std::size_t contactAt);

// Percent of the queue done once the contact at hand is: the 1-based row
// `index` over the queue's row count now, moving smoothly through the
// contacts of a split file. A queue emptied meanwhile is a failure; a share
// past 100 (rows removed meanwhile) shows as 100.
Outcome<double> ProgressValue(std::int32_t index, std::size_t rows, std::size_t contactAt,
                              std::size_t contactCount);

} // namespace quorvane

#pragma once
// What the progress bar shows while a run imports, the same for every run.

#include "base/outcome.h"
#include "import/file_contacts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr std::string_view ProgressAtRest = "Progress Bar";

// "Processing: " and the queued file's name; for a file split into several
// contacts, the name of the contact's own card file (or its number) and the
// queued file's name after it. Files are read as the run goes, so how many
// contacts a file holds is known only at its end.
std::string ProgressText(std::string_view queuedPath, const FileContact* contact, bool split);

// Percent of the queue done once the contact at hand is: the 1-based row
// `index` over the queue's row count now, moving smoothly through a split
// file as `fileDone` (0 to 1) says how far into it the contact at hand is. A
// queue emptied meanwhile is a failure; a share past 100 (rows removed
// meanwhile) shows as 100.
Outcome<double> ProgressValue(std::int32_t index, std::size_t rows, double fileDone);

} // namespace quorvane

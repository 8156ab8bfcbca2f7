#pragma once
// The soak's promises counted in contacts rather than files: files that hold
// several contacts are split by the run, and each contact must reach Outlook
// once, or be named in a report and in the run's record.

#include "support/standin.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorvane::soak {

struct ContactVerdict {
    std::size_t contacts = 0;
    std::size_t savedOnce = 0;
    std::size_t savedTwiceOrMore = 0;
    std::size_t savedNotQueued = 0;
    std::size_t reportedNotSaved = 0; // the record says why
    std::size_t lost = 0;             // neither saved nor reported in the record
    std::size_t recordLines = 0;      // contacts the record lists
    std::vector<std::wstring> lostExamples;
};

// `expected` holds every queued contact's name once; `recordRows` are the
// lines of the run's record (CSV, its header first).
ContactVerdict settleContacts(const std::vector<std::wstring>& expected,
                              const std::vector<test::SavedContact>& saved,
                              const std::vector<std::string>& recordRows);

// The fields of one CSV line as the record writes it (quoted fields with
// doubled quotes; no line breaks inside the soak's values).
std::vector<std::string> csvFields(const std::string& line);

} // namespace quorvane::soak

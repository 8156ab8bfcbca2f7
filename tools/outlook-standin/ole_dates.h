#pragma once
// Outlook's dates (VT_DATE: days since 30 December 1899, local time) and the
// ISO 8601 text that cards and the stand-in's own files write them in.

#include <optional>
#include <string>
#include <string_view>

namespace quorvane::standin {

// "19800415" or "1980-04-15", perhaps with a time after a "T" ("T103000",
// "T10:30:00", "T10:30") and a zone ("Z", "+02:00") that is passed over: a
// birthday is a day wherever one is. Nothing for a date without a year
// ("--0415", vCard 4.0's) or a day no calendar has.
std::optional<double> oleDateOf(std::wstring_view text);

// "1980-04-15", with "T10:30:00" after it when there is a time of day.
std::wstring isoTextOf(double date);

} // namespace quorvane::standin

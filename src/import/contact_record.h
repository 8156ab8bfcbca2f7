#pragma once
// The record of a run: one CSV line per contact, saying what became of it.
// The columns, in order: the queued file, the contact's number in that file,
// its name, the result, the step of the report (if any), the report's words,
// and where Outlook stored the contact (entry ID and folder path, when the
// run knows them).

#include "import/step_number.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

enum class ContactResult {
    Saved,     // Outlook stored the contact
    Reported,  // not stored; the report says why
    Skipped,   // not tried: the run was ended first
    Duplicate, // the folder held this contact already; its entry ID is the one matched
    // Taking a run back:
    Deleted,     // moved to Deleted Items
    KeptChanged, // kept: changed after the import stored it
    NotFound,    // no longer in Outlook
    KeptMoved,   // kept: no longer in the folder the import stored it in
};
inline constexpr std::size_t ContactResultCount = 8;

struct ContactRecordLine {
    std::string file;
    std::size_t contact = 0; // 0 when the file held no contact at all
    std::string name;
    ContactResult result = ContactResult::Reported;
    std::optional<StepNumber> step; // the report's step, if there was one
    std::string description;
    std::string entryId;
    std::string folder;
    // The properties whose text was repaired before Outlook read it.
    std::vector<std::string> repaired;
    // What was carried into the contact of what Outlook did not keep.
    std::string carried;
    // The stored contact's data file, and when Outlook stored it, which
    // taking the run back needs.
    std::string storeId;
    std::string storedAt;
};

// The record's columns, by place.
enum class RecordColumn {
    File,
    Contact,
    Name,
    Result,
    Step,
    Description,
    EntryId,
    Folder,
    Text,
    StoreId,
    StoredAt,
};

// A result as the record writes it.
std::string_view ResultText(ContactResult result);

// The fields of one record line as FormatContactRecordLine wrote them, a
// guarded value without its guard.
std::vector<std::string> ParseCsvLine(std::string_view line);

// An OLE automation date as the record writes it, "2026-12-08 14:03:27", and
// back; nothing for text that is no such date.
std::string OleDateText(double oleDate);
std::optional<double> OleDateFromText(std::string_view text);

// When Outlook stored a contact, as the record's Stored at column holds it:
// in UTC, marked so ("2026-12-08 13:03:27Z"), so that a move to another time
// zone or a change of daylight saving time between the import and its undo
// changes nothing. Records of earlier versions hold Outlook's local time,
// unmarked.
struct StoredTime {
    double oleDate = 0;
    bool utc = true;
};
std::string StoredTimeText(double utcOleDate);
std::optional<StoredTime> StoredTimeFromText(std::string_view text);

// When the record at `path` was made, as a person reads it: "2026-12-08
// 14:03:27" for "2026-12-08 14-03-27.csv".
std::string RecordMadeAt(std::string_view path);

// Whether the record at `path` was made after the one at `other`, by the
// time its name begins with ("2026-12-08 14-03-27.csv", a second one made in
// the same second "2026-12-08 14-03-27 (2).csv"): the time a record was last
// written says nothing of its run (a spreadsheet may have saved it since).
// A name that does not begin with a time is older than any that does.
bool NewerRecord(std::string_view path, std::string_view other);

// The first line of every record.
std::string ContactRecordHeader();

// One line, without its line end. The last three columns are left out of a
// line that has none of them. Every value that could be read as a
// spreadsheet formula is written so that it shows as text instead.
std::string FormatContactRecordLine(const ContactRecordLine& line);

// One CSV field: quoted when it holds a comma, a quote or a line break, and
// guarded by a leading apostrophe when it begins like a formula.
std::string CsvField(std::string_view value);

} // namespace quorvane

#include "import/contact_record.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace quorvane {

namespace {

// Spreadsheet programs start a formula at these; a tab or carriage return in
// front is skipped by some of them, so those are guarded too.
bool beginsLikeFormula(std::string_view value) {
    if (value.empty())
        return false;
    switch (value.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

// Days from 1 March of year 0 to the civil date, and back (Howard Hinnant's
// algorithms); the OLE epoch, 30 December 1899, is day 693,959 after it.
constexpr std::int64_t OleEpochDays = 693959;

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe);
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

} // namespace

std::string_view ResultText(ContactResult result) {
    switch (result) {
    case ContactResult::Saved:
        return "saved";
    case ContactResult::Reported:
        return "reported";
    case ContactResult::Skipped:
        return "skipped: the run was ended";
    case ContactResult::Duplicate:
        return "duplicate";
    case ContactResult::Deleted:
        return "deleted";
    case ContactResult::KeptChanged:
        return "kept: changed after the import";
    case ContactResult::NotFound:
        return "not found";
    case ContactResult::KeptMoved:
        return "kept: no longer in its folder";
    }
    return "";
}

std::string OleDateText(double oleDate) {
    // Seconds are what the record keeps; the date's fraction is the time.
    const auto seconds = static_cast<std::int64_t>(std::llround(oleDate * 86400.0));
    const std::int64_t days = seconds / 86400 - (seconds % 86400 < 0);
    const std::int64_t inDay = seconds - days * 86400;
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days + OleEpochDays, year, month, day);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                  static_cast<long long>(year), month, day, static_cast<long long>(inDay / 3600),
                  static_cast<long long>(inDay / 60 % 60), static_cast<long long>(inDay % 60));
    return text;
}

std::optional<double> OleDateFromText(std::string_view text) {
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%d-%u-%u %u:%u:%u", &year, &month, &day, &hour, &minute,
                    &second) != 6 ||
        month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, month, day) - OleEpochDays;
    return static_cast<double>(days) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

std::string StoredTimeText(double utcOleDate) {
    return OleDateText(utcOleDate) + 'Z';
}

std::optional<StoredTime> StoredTimeFromText(std::string_view text) {
    const bool utc = text.ends_with('Z');
    const auto date = OleDateFromText(utc ? text.substr(0, text.size() - 1) : text);
    if (!date)
        return std::nullopt;
    return StoredTime{*date, utc};
}

std::vector<std::string> ParseCsvLine(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    // CsvField quotes every value it guards: the apostrophe goes again.
    const auto unguard = [&fields] {
        std::string& field = fields.back();
        if (field.size() > 1 && field.front() == '\'' && beginsLikeFormula(field.substr(1)))
            field.erase(0, 1);
    };
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (quoted) {
            if (c == '"' && at + 1 < line.size() && line[at + 1] == '"') {
                fields.back() += line[++at];
            } else if (c == '"') {
                quoted = false;
                unguard();
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string CsvField(std::string_view value) {
    const bool guarded = beginsLikeFormula(value);
    std::string field = guarded ? "'" : "";
    field += value;
    if (!guarded && field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string RecordMadeAt(std::string_view path) {
    std::string name(path.substr(path.find_last_of('\\') + 1));
    if (name.ends_with(".csv"))
        name.resize(name.size() - 4);
    if (name.size() >= 19 && name[13] == '-' && name[16] == '-')
        name[13] = name[16] = ':';
    return name;
}

bool NewerRecord(std::string_view path, std::string_view other) {
    // The time, and which record of its second ("(2)"); none when the name
    // begins with no time.
    const auto madeAt = [](std::string_view recordPath) -> std::pair<std::string, unsigned long> {
        const std::string made = RecordMadeAt(recordPath);
        if (!OleDateFromText(made.substr(0, 19)))
            return {};
        const std::string rest = made.substr(19);
        return {made.substr(0, 19),
                rest.starts_with(" (") ? std::strtoul(rest.c_str() + 2, nullptr, 10) : 1};
    };
    return madeAt(path) > madeAt(other);
}

std::string ContactRecordHeader() {
    return "File,Contact,Name,Result,Step,Description,Entry ID,Folder,Text,Store ID,Stored at";
}

std::string FormatContactRecordLine(const ContactRecordLine& line) {
    std::string text = CsvField(line.file);
    text += ',';
    if (line.contact > 0)
        text += std::to_string(line.contact);
    text += ',' + CsvField(line.name);
    text += ',' + CsvField(ResultText(line.result));
    text += ',';
    if (line.step)
        text += std::to_string(NumberOf(*line.step));
    text += ',' + CsvField(line.description);
    text += ',' + CsvField(line.entryId);
    text += ',' + CsvField(line.folder);
    if (line.repaired.empty() && line.carried.empty() && line.storeId.empty() &&
        line.storedAt.empty())
        return text;
    std::string words;
    if (!line.repaired.empty()) {
        words = "repaired: ";
        for (std::size_t at = 0; at < line.repaired.size(); ++at)
            words.append(at ? ", " : "").append(line.repaired[at]);
        words += " (CHARSET=UTF-8 added)";
    }
    if (!line.carried.empty())
        words.append(words.empty() ? "" : "; ").append(line.carried);
    text += ',' + CsvField(words);
    text += ',' + CsvField(line.storeId);
    text += ',' + CsvField(line.storedAt);
    return text;
}

} // namespace quorvane

#include "import/contact_record.h"

namespace quorvane {

namespace {

std::string_view resultText(ContactResult result) {
    switch (result) {
    case ContactResult::Saved:
        return "saved";
    case ContactResult::Reported:
        return "reported";
    case ContactResult::Skipped:
        return "skipped: the run was ended";
    }
    return "";
}

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

} // namespace

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

std::string ContactRecordHeader() {
    return "File,Contact,Name,Result,Step,Description,Entry ID,Folder,Text";
}

std::string FormatContactRecordLine(const ContactRecordLine& line) {
    std::string text = CsvField(line.file);
    text += ',';
    if (line.contact > 0)
        text += std::to_string(line.contact);
    text += ',' + CsvField(line.name);
    text += ',' + CsvField(resultText(line.result));
    text += ',';
    if (line.step)
        text += std::to_string(NumberOf(*line.step));
    text += ',' + CsvField(line.description);
    text += ',' + CsvField(line.entryId);
    text += ',' + CsvField(line.folder);
    if (!line.repaired.empty()) {
        std::string repaired = "repaired: ";
        for (std::size_t at = 0; at < line.repaired.size(); ++at)
            repaired.append(at ? ", " : "").append(line.repaired[at]);
        text += ',' + CsvField(repaired + " (CHARSET=UTF-8 added)");
    }
    return text;
}

} // namespace quorvane

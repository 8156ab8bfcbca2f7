#include "contact_ledger.h"

#include "platform/win32/wide_text.h"

#include <map>

namespace quorvane::soak {

namespace {

constexpr std::size_t Examples = 10;
constexpr std::size_t NameField = 2;
constexpr std::size_t ResultField = 3;

} // namespace

std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

ContactVerdict settleContacts(const std::vector<std::wstring>& expected,
                              const std::vector<test::SavedContact>& saved,
                              const std::vector<std::string>& recordRows) {
    ContactVerdict verdict;
    verdict.contacts = expected.size();
    std::map<std::wstring, std::size_t> savedTimes;
    for (const test::SavedContact& contact : saved)
        ++savedTimes[contact.name];
    std::map<std::wstring, std::string> recorded;
    for (std::size_t i = 1; i < recordRows.size(); ++i) {
        const auto fields = csvFields(recordRows[i]);
        if (fields.size() <= ResultField)
            continue;
        ++verdict.recordLines;
        recorded[win32::toWide(fields[NameField])] = fields[ResultField];
    }
    for (const std::wstring& name : expected) {
        const auto found = savedTimes.find(name);
        const std::size_t times = found == savedTimes.end() ? 0 : found->second;
        if (found != savedTimes.end())
            savedTimes.erase(found);
        if (times == 1)
            ++verdict.savedOnce;
        if (times > 1)
            ++verdict.savedTwiceOrMore;
        if (times > 0)
            continue;
        const auto line = recorded.find(name);
        if (line != recorded.end() && line->second == "reported") {
            ++verdict.reportedNotSaved;
            continue;
        }
        ++verdict.lost;
        if (verdict.lostExamples.size() < Examples)
            verdict.lostExamples.push_back(name);
    }
    for (const auto& [name, times] : savedTimes)
        verdict.savedNotQueued += times;
    return verdict;
}

} // namespace quorvane::soak

#include "cards/outlook_keeps.h"

#include "cards/card_line.h"
#include "text/ascii_text.h"
#include "text/numbered_lines.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <optional>
#include <utility>

namespace quorvane {

namespace {

// The words of `text`, split at blanks; a double-quoted stretch
// (label="Domestic partner") holds its blanks, without its quotes.
std::vector<std::string> wordsOf(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

// `words` from the `from`th on, joined by single spaces.
std::string joined(const std::vector<std::string>& words, std::size_t from) {
    std::string text;
    for (std::size_t at = from; at < words.size(); ++at) {
        if (!text.empty())
            text += ' ';
        text += words[at];
    }
    return text;
}

// "-" is the table's way of writing no words.
std::string wordsOrNone(std::string words) {
    return words == "-" ? std::string() : words;
}

// The '|'-separated fields of a row, trimmed.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t bar = line.find('|');
        fields.push_back(Trimmed(line.substr(0, bar)));
        if (bar == std::string_view::npos)
            return fields;
        line.remove_prefix(bar + 1);
    }
}

// What `name` stands for among `names`.
template <typename T, std::size_t Count>
std::optional<T> named(std::string_view name,
                       const std::array<std::pair<std::string_view, T>, Count>& names) {
    for (const auto& [written, meaning] : names) {
        if (name == written)
            return meaning;
    }
    return std::nullopt;
}

constexpr std::array<std::pair<std::string_view, KeepVerdict>, 4> Verdicts = {{
    {"kept", KeepVerdict::Kept},
    {"dropped", KeepVerdict::Dropped},
    {"maybe", KeepVerdict::Maybe},
    {"bookkeeping", KeepVerdict::Bookkeeping},
}};

// An empty form is text, as most values are.
constexpr std::array<std::pair<std::string_view, ValueForm>, 6> Forms = {{
    {"", ValueForm::Text},
    {"text", ValueForm::Text},
    {"address", ValueForm::Address},
    {"date", ValueForm::Date},
    {"list", ValueForm::List},
    {"picture", ValueForm::Picture},
}};

constexpr std::string_view LabelCondition = "label=";

// Whether `row` asks nothing `types` and `label` lack.
bool rowMatches(const KeepRow& row, const std::vector<std::string>& types, std::string_view label) {
    if (!row.label.empty() && !EqualsIgnoringCase(row.label, label))
        return false;
    return std::all_of(row.types.begin(), row.types.end(), [&](const std::string& type) {
        return std::find(types.begin(), types.end(), type) != types.end();
    });
}

std::size_t demands(const KeepRow& row) {
    return row.types.size() + (row.label.empty() ? 0 : 1);
}

// Two rows that ask the same of a value: the second could never be chosen.
bool asksTheSame(const KeepRow& a, const KeepRow& b) {
    auto sorted = [](std::vector<std::string> types) {
        std::sort(types.begin(), types.end());
        return types;
    };
    return a.property == b.property && EqualsIgnoringCase(a.label, b.label) &&
           sorted(a.types) == sorted(b.types);
}

} // namespace

// Reads the table a line at a time into an OutlookKeeps; the first line it
// cannot read ends the reading with its number and its text.
class KeepsTableReader {
public:
    Outcome<OutlookKeeps> read(std::string_view text) {
        NumberedLines lines(text);
        while (lines.next()) {
            const std::size_t number = lines.number();
            const std::string_view written = Trimmed(lines.line());
            const std::string_view line = Trimmed(written.substr(0, written.find('#')));
            if (line.empty())
                continue;
            if (auto problem = readLine(line, number)) {
                return Failure{"outlook_keeps.table, line " + std::to_string(number) + ": " +
                               *problem + ": " + std::string(written)};
            }
        }
        return std::move(keeps_);
    }

private:
    OutlookKeeps keeps_;
    std::string section_;
    std::vector<std::size_t> rowLines_; // the line each row was read from

    // What is wrong with `line`, or nothing.
    std::optional<std::string> readLine(std::string_view line, std::size_t number) {
        if (line.front() == '[') {
            if (line.back() != ']')
                return "a section's name is closed by ']'";
            section_ = std::string(line.substr(1, line.size() - 2));
            if (section_ != "slots" && section_ != "same kind" && section_ != "types" &&
                section_ != "same types" && section_ != "android types" && section_ != "properties")
                return "no such section";
            return std::nullopt;
        }
        if (section_.empty())
            return "a line before the first section";
        if (section_ == "properties")
            return readRow(line, number);
        const std::vector<std::string> words = wordsOf(line);
        const std::size_t least = section_ == "android types" ? 3 : 2;
        if (words.size() < least)
            return "too few words";
        if (section_ == "slots")
            return readSlot(words);
        if (section_ == "same kind")
            return readSameKind(words);
        if (section_ == "types") {
            keeps_.typeWords_[UpperAscii(words[0])] = wordsOrNone(joined(words, 1));
            return std::nullopt;
        }
        if (section_ == "same types") {
            for (std::size_t at = 1; at < words.size(); ++at)
                keeps_.typeNames_[UpperAscii(words[at])] = UpperAscii(words[0]);
            return std::nullopt;
        }
        keeps_.androidKinds_.insert(words[0]);
        keeps_.androidWords_[words[0] + " " + words[1]] = wordsOrNone(joined(words, 2));
        return std::nullopt;
    }

    std::optional<std::string> readSlot(const std::vector<std::string>& words) {
        if (!keeps_.slotWords_.emplace(words[0], joined(words, 1)).second)
            return "a slot listed twice";
        return std::nullopt;
    }

    std::optional<std::string> readSameKind(const std::vector<std::string>& words) {
        std::vector<std::string>& properties = keeps_.sameKinds_[words[0]];
        for (std::size_t at = 1; at < words.size(); ++at) {
            if (!keeps_.slotWords_.contains(words[at]))
                return "\"" + words[at] + "\" is not among the slots above";
            properties.push_back(words[at]);
        }
        return std::nullopt;
    }

    std::optional<std::string> readRow(std::string_view line, std::size_t number) {
        const std::vector<std::string_view> fields = fieldsOf(line);
        if (fields.size() < 3 || fields.size() > 7)
            return "a row has from 3 to 7 fields between '|'";
        KeepRow row;
        row.property = UpperAscii(fields[0]);
        if (row.property.empty() || wordsOf(row.property).size() != 1)
            return "a row names one property";
        for (const std::string& type : wordsOf(fields[1])) {
            if (type.starts_with(LabelCondition))
                row.label = type.substr(LabelCondition.size());
            else
                row.types.push_back(keeps_.typeName(type));
        }
        const auto verdict = named(fields[2], Verdicts);
        if (!verdict)
            return "what Outlook does is kept, dropped, maybe or bookkeeping";
        row.verdict = *verdict;
        row.kind = fields.size() > 3 && !fields[3].empty() ? std::string(fields[3]) : row.property;
        const auto form = named(fields.size() > 4 ? fields[4] : std::string_view(), Forms);
        if (!form)
            return "the form is text, address, date, list or picture";
        row.form = *form;
        if (fields.size() > 5) {
            if (auto problem = readSlots(fields[5], row))
                return problem;
        }
        if (fields.size() > 6) {
            if (auto problem = readSameKindOfRow(fields[6], row))
                return problem;
        }
        for (std::size_t at = 0; at < keeps_.rows_.size(); ++at) {
            if (asksTheSame(keeps_.rows_[at], row))
                return "asks what the row on line " + std::to_string(rowLines_[at]) + " asks";
        }
        keeps_.rows_.push_back(std::move(row));
        rowLines_.push_back(number);
        return std::nullopt;
    }

    std::optional<std::string> readSlots(std::string_view field, KeepRow& row) {
        bool runsOnly = false;
        for (const std::string& slot : wordsOf(field)) {
            if (slot == "+") {
                if (runsOnly)
                    return "one '+' in the slots at most";
                runsOnly = true;
                continue;
            }
            if (!keeps_.slotWords_.contains(slot))
                return "\"" + slot + "\" is not among the slots";
            if (!runsOnly &&
                (row.verdict == KeepVerdict::Dropped || row.verdict == KeepVerdict::Bookkeeping))
                return "Outlook fills no slot from a value it drops: put them after '+'";
            if (!runsOnly)
                row.outlookSlots.push_back(slot);
            row.slots.push_back(slot);
        }
        return std::nullopt;
    }

    std::optional<std::string> readSameKindOfRow(std::string_view field, KeepRow& row) {
        for (const std::string& name : wordsOf(field)) {
            if (const auto group = keeps_.sameKinds_.find(name); group != keeps_.sameKinds_.end())
                row.sameKind.insert(row.sameKind.end(), group->second.begin(), group->second.end());
            else if (keeps_.slotWords_.contains(name))
                row.sameKind.push_back(name);
            else
                return "\"" + name + "\" names neither a kind above nor a slot";
        }
        return std::nullopt;
    }
};

Outcome<OutlookKeeps> OutlookKeeps::FromText(std::string_view text) {
    return KeepsTableReader().read(text);
}

std::string OutlookKeeps::slotWords(std::string_view property) const {
    const auto found = slotWords_.find(property);
    return found != slotWords_.end() ? found->second : std::string(property);
}

const KeepRow* OutlookKeeps::rowFor(std::string_view property,
                                    const std::vector<std::string>& types,
                                    std::string_view label) const {
    const auto best = [&](auto applies) -> const KeepRow* {
        const KeepRow* chosen = nullptr;
        for (const KeepRow& row : rows_) {
            if (applies(row) && rowMatches(row, types, label) &&
                (chosen == nullptr || demands(row) > demands(*chosen)))
                chosen = &row;
        }
        return chosen;
    };
    if (const KeepRow* own = best([&](const KeepRow& row) { return row.property == property; }))
        return own;
    return best([&](const KeepRow& row) {
        return row.property.ends_with('*') &&
               property.starts_with(
                   std::string_view(row.property).substr(0, row.property.size() - 1));
    });
}

std::vector<std::string> OutlookKeeps::contactProperties() const {
    std::vector<std::string> properties;
    const auto add = [&](const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (std::find(properties.begin(), properties.end(), name) == properties.end())
                properties.push_back(name);
    };
    for (const KeepRow& row : rows_) {
        add(row.slots);
        add(row.sameKind);
    }
    return properties;
}

std::string OutlookKeeps::RowKey(const KeepRow& row) {
    std::string key = row.property;
    for (const std::string& type : row.types)
        key.append(";").append(type);
    if (!row.label.empty())
        key.append(";label=").append(row.label);
    return key;
}

bool OutlookKeeps::learn(std::string_view key, KeepVerdict verdict) {
    for (KeepRow& row : rows_) {
        if (RowKey(row) != key)
            continue;
        row.verdict = verdict;
        return true;
    }
    return false;
}

std::string OutlookKeeps::typeName(std::string_view type) const {
    std::string upper = UpperAscii(type);
    const auto found = typeNames_.find(upper);
    return found != typeNames_.end() ? found->second : upper;
}

std::string OutlookKeeps::typeWords(std::string_view type) const {
    if (const auto found = typeWords_.find(typeName(type)); found != typeWords_.end())
        return found->second;
    if (type.size() > 2 && (type[0] == 'X' || type[0] == 'x') && type[1] == '-')
        type.remove_prefix(2);
    std::string words(type);
    if (!words.empty() && words[0] >= 'a' && words[0] <= 'z')
        words[0] = static_cast<char>(words[0] - 'a' + 'A');
    return words;
}

std::string OutlookKeeps::androidTypeWords(std::string_view kind, std::string_view code) const {
    std::string key(kind);
    key += ' ';
    key += code;
    const auto found = androidWords_.find(key);
    return found != androidWords_.end() ? found->second : std::string();
}

OutlookKeeps BuiltInOutlookKeeps() {
    auto keeps = OutlookKeeps::FromText(BuiltInOutlookKeepsText());
    assert(keeps && "the built-in table reads: its test reads it on every build");
    return keeps ? std::move(*keeps) : OutlookKeeps{};
}

} // namespace quorvane

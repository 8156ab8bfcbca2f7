#include "import/carried_words.h"

namespace quorvane {

void CarriedWords::carried(const RestValue& value, std::string where) {
    carried_.push_back({&value, std::move(where)});
}

void CarriedWords::notCarried(const RestValue& value, std::string why) {
    notCarried_.push_back({&value, std::move(why)});
}

bool CarriedWords::onceOnCard(const RestValue& value) const {
    if (value.ordinal > 1)
        return false;
    for (const RestValue& other : rest_.values)
        if (&other != &value && other.property == value.property)
            return false;
    return true;
}

// Neighbours of one property that went the same way are one range:
// "EMAIL 4-5 to notes".
std::string CarriedWords::list(const std::vector<Entry>& entries, std::string_view joiner) const {
    std::string text;
    for (std::size_t at = 0; at < entries.size();) {
        const Entry& first = entries[at];
        std::size_t last = at;
        while (last + 1 < entries.size() &&
               entries[last + 1].value->property == first.value->property &&
               entries[last + 1].words == first.words &&
               entries[last + 1].value->ordinal == entries[last].value->ordinal + 1)
            ++last;
        text.append(text.empty() ? "" : ", ").append(first.value->property);
        if (!onceOnCard(*first.value)) {
            text.append(" ").append(std::to_string(first.value->ordinal));
            if (last > at)
                text.append("-").append(std::to_string(entries[last].value->ordinal));
        }
        if (!first.words.empty())
            text.append(joiner).append(first.words).append(joiner == " (" ? ")" : "");
        at = last + 1;
    }
    return text;
}

std::string CarriedWords::text() const {
    std::string text;
    if (!carried_.empty())
        text = "carried: " + list(carried_, " to ");
    if (!notCarried_.empty())
        text.append(text.empty() ? "" : "; ")
            .append("not carried: ")
            .append(list(notCarried_, " ("));
    return text;
}

} // namespace quorvane

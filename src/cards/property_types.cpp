#include "cards/property_types.h"

#include "cards/card_line.h"
#include "text/ascii_text.h"

#include <algorithm>

namespace quorvane {

namespace {

// `text` without the double quotes around it.
std::string_view unquoted(std::string_view text) {
    text = Trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Calls `visit` with each of `text`'s pieces between `separator`s outside
// double quotes, trimmed.
template <typename Visit> void forEachPiece(std::string_view text, char separator, Visit visit) {
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at < text.size() && text[at] == '"')
            quoted = !quoted;
        if (at == text.size() || (text[at] == separator && !quoted)) {
            if (const std::string_view piece = Trimmed(text.substr(start, at - start));
                !piece.empty())
                visit(piece);
            start = at + 1;
        }
    }
}

} // namespace

PropertyTypes ReadPropertyTypes(std::string_view parameters, const OutlookKeeps& keeps) {
    PropertyTypes types;
    const auto add = [&](std::string_view type, bool words) {
        types.names.push_back(keeps.typeName(type));
        if (words)
            types.written.emplace_back(type);
    };
    forEachPiece(parameters, ';', [&](std::string_view parameter) {
        const std::size_t equals = parameter.find('=');
        if (equals == std::string_view::npos) {
            add(parameter, true);
            return;
        }
        const std::string_view key = Trimmed(parameter.substr(0, equals));
        const std::string_view value = unquoted(parameter.substr(equals + 1));
        if (EqualsIgnoringCase(key, "TYPE"))
            forEachPiece(value, ',', [&](std::string_view type) { add(unquoted(type), true); });
        else if (EqualsIgnoringCase(key, "ENCODING") || EqualsIgnoringCase(key, "VALUE") ||
                 EqualsIgnoringCase(key, "MEDIATYPE"))
            add(value, false);
        else if (EqualsIgnoringCase(key, "PREF"))
            add("PREF", false);
    });
    return types;
}

std::string LabelOfTypes(const PropertyTypes& types, const OutlookKeeps& keeps) {
    std::vector<std::string> words;
    for (const std::string& type : types.written) {
        std::string word = keeps.typeWords(type);
        if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end())
            words.push_back(std::move(word));
    }
    std::string label;
    for (const std::string& word : words) {
        if (!label.empty())
            label += ' ';
        label += word;
    }
    return label;
}

} // namespace quorvane

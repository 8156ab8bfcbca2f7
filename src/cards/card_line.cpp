#include "cards/card_line.h"

namespace quorvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "<word>:VCARD" with blanks allowed around the colon; `text` is trimmed.
// Compared from the front, so that EMAIL or BDAY lines are told apart at
// their second letter.
bool isMarker(std::string_view text, std::string_view word) {
    if (!EqualsIgnoringCase(text.substr(0, word.size()), word))
        return false;
    text.remove_prefix(word.size());
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    if (!text.starts_with(':'))
        return false;
    return EqualsIgnoringCase(trimmed(text.substr(1)), "VCARD");
}

// Where the first colon outside double quotes is, at or after `from`.
std::size_t colonOutsideQuotes(std::string_view line, std::size_t from) {
    bool quoted = false;
    for (std::size_t at = from; at < line.size(); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else if (line[at] == ':' && !quoted)
            return at;
    }
    // A quote left open: the first colon is the best guess at the value.
    return line.find(':', from);
}

// Calls `visit(parameter)` for each ';'-separated parameter, trimmed; a ';'
// inside quotes does not separate.
template <typename Visit> void forEachParameter(std::string_view parameters, Visit visit) {
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= parameters.size(); ++at) {
        if (at < parameters.size() && parameters[at] == '"')
            quoted = !quoted;
        if (at < parameters.size() && (parameters[at] != ';' || quoted))
            continue;
        visit(trimmed(parameters.substr(start, at - start)));
        start = at + 1;
    }
}

} // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t at = 0; at < a.size(); ++at) {
        if (lower(a[at]) != lower(b[at]))
            return false;
    }
    return true;
}

CardLine ClassifyCardLine(std::string_view line) {
    const std::string_view text = trimmed(line);
    if (text.empty())
        return CardLine::Blank;
    // The first letter settles most lines without a look at the rest.
    const char first = lower(text.front());
    if (first == 'b' && isMarker(text, "begin"))
        return CardLine::Begin;
    if (first == 'e' && isMarker(text, "end"))
        return CardLine::End;
    if (isBlank(line.front()))
        return CardLine::Folded;
    const char last = lower(text.back());
    if (last != ':' && last != 'd')
        return CardLine::Property;
    const auto property = SplitPropertyLine(text);
    if (!property || !EqualsIgnoringCase(property->name, "AGENT"))
        return CardLine::Property;
    const std::string_view value = trimmed(property->value);
    if (value.empty())
        return CardLine::AgentAwaitsCard;
    return isMarker(value, "begin") ? CardLine::AgentOpensCard : CardLine::Property;
}

bool ColonMayMarkCard(std::string_view afterColon) {
    while (!afterColon.empty() && isBlank(afterColon.front()))
        afterColon.remove_prefix(1);
    if (afterColon.empty())
        return true;
    const char next = lower(afterColon.front());
    return next == 'v' || next == '\r' || next == '\n';
}

std::optional<PropertyLine> SplitPropertyLine(std::string_view line) {
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ';' && line[nameEnd] != ':')
        ++nameEnd;
    if (nameEnd == line.size())
        return std::nullopt;
    const std::size_t colon = line[nameEnd] == ':' ? nameEnd : colonOutsideQuotes(line, nameEnd);
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view name = line.substr(0, nameEnd);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    const std::string_view parameters =
        colon == nameEnd ? std::string_view{} : line.substr(nameEnd + 1, colon - nameEnd - 1);
    return PropertyLine{trimmed(name), parameters, line.substr(colon + 1)};
}

ValueEncoding ReadValueEncoding(std::string_view parameters) {
    ValueEncoding encoding;
    forEachParameter(parameters, [&](std::string_view parameter) {
        const auto equals = parameter.find('=');
        if (equals == std::string_view::npos) {
            encoding.quotedPrintable |= EqualsIgnoringCase(parameter, "QUOTED-PRINTABLE");
            return;
        }
        const std::string_view key = trimmed(parameter.substr(0, equals));
        std::string_view value = trimmed(parameter.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (EqualsIgnoringCase(key, "CHARSET") && !encoding.charset)
            encoding.charset = value;
        else if (EqualsIgnoringCase(key, "ENCODING"))
            encoding.quotedPrintable = EqualsIgnoringCase(value, "QUOTED-PRINTABLE");
    });
    return encoding;
}

} // namespace quorvane

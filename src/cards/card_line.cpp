#include "cards/card_line.h"

#include "cards/property_head.h"
#include "text/ascii_text.h"
#include "text/byte_words.h"

#include <algorithm>
#include <cstdint>

namespace quorvane {

namespace {

char lower(char c) {
    return LowerAscii(c);
}

// Where the physical line from `start` ends: at its CR or LF, or where
// `text` does.
std::size_t lineEndFrom(std::string_view text, std::size_t start) {
    const auto end = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                                  [](char c) { return c == '\r' || c == '\n'; });
    return static_cast<std::size_t>(end - text.begin());
}

// Where the line after the one whose text ends at `end` starts.
std::size_t afterLineEnd(std::string_view text, std::size_t end) {
    if (end == text.size())
        return end;
    return end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
}

// Whether `text` starts with `word`, given in lower case, in any letter case.
bool startsWithWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t at = 0; at < word.size(); ++at) {
        if (lower(text[at]) != word[at])
            return false;
    }
    return true;
}

// "<word>:VCARD" with blanks allowed around the colon; `word` is in lower
// case and `text` is trimmed. Compared from the front, so that EMAIL or BDAY
// lines are told apart at their second letter.
bool isMarker(std::string_view text, std::string_view word) {
    if (!startsWithWord(text, word))
        return false;
    std::size_t at = word.size();
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at == text.size() || text[at] != ':')
        return false;
    const std::string_view value = Trimmed(text.substr(at + 1));
    return value.size() == 5 && startsWithWord(value, "vcard");
}

// Whether `line` is `marker` (lower case, "<word>:vcard") in any letter case
// and nothing else: the BEGIN and END lines of nearly every card, settled at a
// glance before the general rules are tried.
bool isPlainMarker(std::string_view line, std::string_view marker) {
    if (line.size() != marker.size())
        return false;
    // Setting the 0x20 bit lowers a letter and keeps a colon; only a letter
    // of either case meets a letter, and only a colon or control character
    // 0x1A meets the colon, which is checked for itself.
    for (std::size_t at = 0; at < marker.size(); ++at) {
        if ((line[at] | 0x20) != marker[at])
            return false;
    }
    return line[marker.find(':')] == ':';
}

// Where the last colon before `at` in `text` is, npos for none. A card's
// photo lines hold none, and this looks back over them a word at a time.
std::size_t lastColonBefore(std::string_view text, std::size_t at) {
    for (; at >= 8; at -= 8) {
        if (const std::uint64_t colons = BytesEqualTo(LoadWord(text.data() + at - 8), ':'))
            return at - 8 + LastMarkedByte(colons);
    }
    while (at > 0 && text[at - 1] != ':')
        --at;
    return at > 0 ? at - 1 : std::string_view::npos;
}

// Where the first colon outside double quotes is, at or after `from`.
std::size_t colonOutsideQuotes(std::string_view line, std::size_t from) {
    const std::size_t colon = line.find(':', from);
    // Quotes are rare; without one before it, the first colon is the one.
    if (line.substr(0, colon).find('"', from) == std::string_view::npos)
        return colon;
    bool quoted = false;
    for (std::size_t at = from; at < line.size(); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else if (line[at] == ':' && !quoted)
            return at;
    }
    // A quote left open: the first colon is the best guess at the value.
    return colon;
}

// Calls `visit(parameter)` for each ';'-separated parameter, trimmed; a ';'
// inside quotes does not separate.
template <typename Visit> void forEachParameter(std::string_view parameters, Visit visit) {
    if (parameters.find('"') == std::string_view::npos) {
        // Without quotes, every ';' separates.
        for (;;) {
            const std::size_t end = parameters.find(';');
            visit(Trimmed(parameters.substr(0, end)));
            if (end == std::string_view::npos)
                return;
            parameters.remove_prefix(end + 1);
        }
    }
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= parameters.size(); ++at) {
        if (at < parameters.size() && parameters[at] == '"')
            quoted = !quoted;
        if (at < parameters.size() && (parameters[at] != ';' || quoted))
            continue;
        visit(Trimmed(parameters.substr(start, at - start)));
        start = at + 1;
    }
}

} // namespace

CardLine ClassifyCardLine(std::string_view line) {
    if (isPlainMarker(line, "begin:vcard"))
        return CardLine::Begin;
    if (isPlainMarker(line, "end:vcard"))
        return CardLine::End;
    const std::string_view text = Trimmed(line);
    if (text.empty())
        return CardLine::Blank;
    if (IsBlank(line.front()))
        return CardLine::Folded;
    // The first letter settles most lines without a look at the rest.
    const char first = lower(text.front());
    if (first == 'b' && isMarker(text, "begin"))
        return CardLine::Begin;
    if (first == 'e' && isMarker(text, "end"))
        return CardLine::End;
    const char last = lower(text.back());
    if (last != ':' && last != 'd')
        return CardLine::Property;
    const auto property = SplitPropertyLine(text);
    if (!property || !EqualsIgnoringCase(property->name, "AGENT"))
        return CardLine::Property;
    const std::string_view value = Trimmed(property->value);
    if (value.empty())
        return CardLine::AgentAwaitsCard;
    return isMarker(value, "begin") ? CardLine::AgentOpensCard : CardLine::Property;
}

std::size_t LeadingEndMarkerSize(std::string_view line) {
    if (!startsWithWord(line, "end"))
        return 0;
    std::size_t at = 3;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size() || line[at] != ':')
        return 0;
    ++at;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    return startsWithWord(line.substr(at), "vcard") ? at + 5 : 0;
}

bool ColonMayMarkCard(std::string_view afterColon) {
    while (!afterColon.empty() && IsBlank(afterColon.front()))
        afterColon.remove_prefix(1);
    if (afterColon.empty())
        return true;
    const char next = lower(afterColon.front());
    return next == 'v' || next == '\r' || next == '\n' || next == '\0';
}

bool HoldsBeginMarker(std::string_view text) {
    std::string_view rest = text;
    for (std::size_t at; (at = rest.find_first_of("bB")) != std::string_view::npos;) {
        rest.remove_prefix(at + 1);
        std::size_t next = 0;
        const auto skip = [&](bool blanksToo) {
            while (next < rest.size() && (rest[next] == '\0' || (blanksToo && IsBlank(rest[next]))))
                ++next;
        };
        const auto word = [&](std::string_view lower) {
            for (const char c : lower) {
                skip(false);
                if (next == rest.size() || LowerAscii(rest[next]) != c)
                    return false;
                ++next;
            }
            return true;
        };
        if (!word("egin"))
            continue;
        skip(true);
        if (next == rest.size() || rest[next++] != ':')
            continue;
        skip(true);
        if (word("vcard"))
            return true;
    }
    return false;
}

bool ContinuesSoftBreakAfterEquals(std::string_view text, std::size_t lineStart) {
    // Back to a line that surely starts a property: one with a colon that
    // neither starts with a blank nor follows a line ending in "=". The lines
    // after it hold no colon, or only lines that failed that test; a line
    // without a colon is no property and never quoted-printable.
    std::size_t start = lineStart;
    bool passedColonLines = false;
    for (;;) {
        const std::size_t colon = lastColonBefore(text, start);
        start = colon == std::string_view::npos ? 0 : LineStartBefore(text, colon, 0);
        if (start == 0 || (!IsBlank(text[start]) && !LineBeforeEndsInEquals(text, start)))
            break;
        passedColonLines = true;
    }
    // A base64 photo ends in "=" as often as not: its property is not
    // quoted-printable, and nothing after it can be.
    if (!passedColonLines) {
        const auto property =
            SplitPropertyLine(text.substr(start, lineEndFrom(text, start) - start));
        if (!property || !ReadValueEncoding(property->parameters).quotedPrintable)
            return false;
    }
    std::size_t at = start;
    while (at < lineStart)
        at = LogicalLineAt(text, at).next;
    return at != lineStart;
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
    return PropertyLine{Trimmed(name), parameters, line.substr(colon + 1)};
}

ValueEncoding ReadValueEncoding(std::string_view parameters) {
    ValueEncoding encoding;
    if (parameters.empty())
        return encoding; // as most names are written
    forEachParameter(parameters, [&](std::string_view parameter) {
        const auto equals = parameter.find('=');
        if (equals == std::string_view::npos) {
            encoding.quotedPrintable |= EqualsIgnoringCase(parameter, "QUOTED-PRINTABLE");
            return;
        }
        const std::string_view key = Trimmed(parameter.substr(0, equals));
        std::string_view value = Trimmed(parameter.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (EqualsIgnoringCase(key, "CHARSET") && !encoding.charset)
            encoding.charset = value;
        else if (EqualsIgnoringCase(key, "ENCODING"))
            encoding.quotedPrintable = EqualsIgnoringCase(value, "QUOTED-PRINTABLE");
    });
    return encoding;
}

LogicalLine LogicalLineAt(std::string_view text, std::size_t start) {
    LogicalLine line;
    std::size_t end = lineEndFrom(text, start);
    line.first = text.substr(start, end - start);
    // Most properties are not quoted-printable and few lines end in "=":
    // the parameters are read only when one does.
    std::optional<bool> quotedPrintable;
    const auto softBreakAfter = [&](std::string_view physical) {
        if (!physical.ends_with('='))
            return false;
        if (!quotedPrintable) {
            const auto property = SplitPropertyLine(line.first);
            quotedPrintable = property && ReadValueEncoding(property->parameters).quotedPrintable;
        }
        return *quotedPrintable;
    };
    for (std::string_view physical = line.first;;) {
        line.next = afterLineEnd(text, end);
        if (line.next == text.size() || (!softBreakAfter(physical) && !IsBlank(text[line.next])))
            break;
        end = lineEndFrom(text, line.next);
        physical = text.substr(line.next, end - line.next);
    }
    line.written = text.substr(start, end - start);
    line.softBreaks = quotedPrintable.value_or(false);
    return line;
}

std::string_view Unfolded(const LogicalLine& line, std::string& joined) {
    const std::string_view text = line.written;
    if (text.size() == line.first.size())
        return line.first;
    joined.assign(line.first);
    bool softBreak = line.softBreaks && line.first.ends_with('=');
    for (std::size_t end = line.first.size(); end < text.size();) {
        const std::size_t start = afterLineEnd(text, end);
        end = lineEndFrom(text, start);
        const std::string_view physical = text.substr(start, end - start);
        if (softBreak)
            joined.pop_back();
        joined += softBreak ? physical : physical.substr(1);
        softBreak = line.softBreaks && physical.ends_with('=');
    }
    return joined;
}

} // namespace quorvane

#pragma once
// One line of a card as both the splitter and the name reader see it. They
// must agree on where a nested card starts and ends, so the rules live here
// once. Lines are ASCII-compatible text without their line end.

#include <optional>
#include <string_view>

namespace quorvane {

enum class CardLine {
    Begin,           // BEGIN:VCARD
    End,             // END:VCARD
    AgentOpensCard,  // AGENT:BEGIN:VCARD, a nested card starting on the property's own line
    AgentAwaitsCard, // AGENT: with nothing after it; the nested card follows on the next line
    Blank,           // nothing but blanks
    Folded,          // starts with a blank: the rest of the line before
    Property,        // anything else
};

// What `line` is. BEGIN and END are matched in any letter case, with blanks
// around the colon and around the line; an indented BEGIN or END line still
// counts, since some writers indent whole cards.
CardLine ClassifyCardLine(std::string_view line);

// A property line cut at its colon: "item1.FN;CHARSET=UTF-8:Jane" has the name
// "FN", the parameters "CHARSET=UTF-8" and the value "Jane".
struct PropertyLine {
    std::string_view name;       // without its group prefix and blanks
    std::string_view parameters; // everything between the name and the colon, without the ';'
    std::string_view value;      // everything after the colon, untouched
};

// `line` cut as above; nothing when it holds no colon. A colon inside a
// double-quoted parameter value does not count.
std::optional<PropertyLine> SplitPropertyLine(std::string_view line);

// The value of parameter `key` ("CHARSET"), without quotes or blanks; nothing
// when `parameters` do not hold it. Keys ignore letter case.
std::optional<std::string_view> ParameterValue(std::string_view parameters, std::string_view key);

// Whether the value is quoted-printable: "ENCODING=QUOTED-PRINTABLE", or the
// bare "QUOTED-PRINTABLE" vCard 2.1 writers also use.
bool IsQuotedPrintable(std::string_view parameters);

// Whether `a` and `b` are equal ignoring ASCII letter case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

} // namespace quorvane

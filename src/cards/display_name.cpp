#include "cards/display_name.h"

#include "cards/card_line.h"
#include "cards/charset_decoding.h"
#include "cards/quoted_printable.h"
#include "cards/utf8_text.h"
#include "queue/utf16_text.h"

#include <optional>
#include <vector>

namespace quorvane {

namespace {

struct PhysicalLine {
    std::string_view content; // without its line end
    std::size_t next = 0;     // where the line after it starts
};

PhysicalLine lineAt(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    std::size_t next = end + (end < text.size() ? 1 : 0);
    if (end < text.size() && text[end] == '\r' && next < text.size() && text[next] == '\n')
        ++next;
    return {text.substr(at, end - at), next};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The property starting with `first` joined with the lines that continue it:
// folded lines (a leading blank, which goes) and, for quoted-printable, lines
// after a soft line break (an "=" at the end, which goes). Moves `at` past
// them.
std::string logicalLine(std::string_view text, std::string_view first, bool quotedPrintable,
                        std::size_t& at) {
    std::string logical(first);
    while (at < text.size()) {
        const PhysicalLine next = lineAt(text, at);
        if (quotedPrintable && logical.ends_with('=')) {
            logical.pop_back();
            logical += next.content;
        } else if (!next.content.empty() && isBlank(next.content.front())) {
            logical += next.content.substr(1);
        } else {
            break;
        }
        at = next.next;
    }
    return logical;
}

// "\," "\;" "\\" "\n" undone; any other backslash stays as written, since
// vCard 2.1 writers use it as an ordinary character.
std::string unescaped(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        if (text[at] != '\\' || (next != ',' && next != ';' && next != '\\' && next != ':' &&
                                 next != 'n' && next != 'N')) {
            plain += text[at];
            continue;
        }
        plain += next == 'n' || next == 'N' ? '\n' : next;
        ++at;
    }
    return plain;
}

// N's components, split at the semicolons that are not escaped.
std::vector<std::string_view> components(std::string_view value) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] == '\\') {
            ++at;
            continue;
        }
        if (value[at] == ';') {
            parts.push_back(value.substr(start, at - start));
            start = at + 1;
        }
    }
    parts.push_back(value.substr(start));
    return parts;
}

bool startsWithSpace(std::string_view text, std::size_t& length) {
    for (const std::string_view space : {" ", "\xC2\xA0", "\xE3\x80\x80"}) {
        if (text.starts_with(space)) {
            length = space.size();
            return true;
        }
    }
    return false;
}

bool endsWithSpace(std::string_view text, std::size_t& length) {
    for (const std::string_view space : {" ", "\xC2\xA0", "\xE3\x80\x80"}) {
        if (text.ends_with(space)) {
            length = space.size();
            return true;
        }
    }
    return false;
}

// Well-formed UTF-8 text fit to show on one line: breaks and tabs become
// spaces, other C0 and C1 controls and DEL go, and spaces (ordinary,
// no-break and ideographic) are trimmed from both ends.
std::string shownText(std::string_view text) {
    const std::string wellFormed = WellFormedUtf8(text);
    std::string shown;
    shown.reserve(wellFormed.size());
    for (std::size_t at = 0; at < wellFormed.size(); ++at) {
        const auto byte = static_cast<unsigned char>(wellFormed[at]);
        if (byte == '\n' || byte == '\r' || byte == '\t') {
            shown += ' ';
            continue;
        }
        const bool c1Control =
            byte == 0xC2 && static_cast<unsigned char>(wellFormed[at + 1]) < 0xA0;
        if (c1Control) {
            ++at;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F)
            continue;
        shown += wellFormed[at];
    }
    std::string_view trimmed = shown;
    std::size_t length = 0;
    while (startsWithSpace(trimmed, length))
        trimmed.remove_prefix(length);
    while (endsWithSpace(trimmed, length))
        trimmed.remove_suffix(length);
    return std::string(trimmed);
}

// How a card's values become UTF-8.
struct ValueReading {
    CodePages& codePages;
    // A UTF-16 card is Unicode text already; only bytes that quoted-printable
    // stood for still need their charset.
    bool unicodeText = false;

    std::string text(const PropertyLine& property, bool quotedPrintable) const {
        if (!quotedPrintable && unicodeText)
            return std::string(property.value);
        const std::string bytes =
            quotedPrintable ? DecodeQuotedPrintable(property.value) : std::string(property.value);
        return DecodeCharset(bytes, ParameterValue(property.parameters, "CHARSET"), codePages);
    }
};

std::string nameFromN(std::string_view value) {
    const std::vector<std::string_view> parts = components(value);
    const std::string family = shownText(unescaped(parts[0]));
    const std::string given = parts.size() > 1 ? shownText(unescaped(parts[1])) : std::string();
    if (given.empty() || family.empty())
        return given + family;
    return given + " " + family;
}

std::string nameFromCard(std::string_view text, const ValueReading& reading) {
    std::string fromN;
    int depth = 0;
    for (std::size_t at = 0; at < text.size();) {
        const PhysicalLine line = lineAt(text, at);
        at = line.next;
        switch (ClassifyCardLine(line.content)) {
        case CardLine::Begin:
        case CardLine::AgentOpensCard:
            ++depth;
            continue;
        case CardLine::End:
            if (--depth <= 0)
                return fromN;
            continue;
        case CardLine::Property:
            break;
        default:
            continue;
        }
        if (depth != 1)
            continue;
        const auto head = SplitPropertyLine(line.content);
        if (!head)
            continue;
        const bool isFn = EqualsIgnoringCase(head->name, "FN");
        const bool isN = EqualsIgnoringCase(head->name, "N") && fromN.empty();
        if (!isFn && !isN)
            continue;
        const bool quotedPrintable = IsQuotedPrintable(head->parameters);
        const std::string logical = logicalLine(text, line.content, quotedPrintable, at);
        const auto property = SplitPropertyLine(logical);
        const std::string value = reading.text(*property, quotedPrintable);
        if (isN) {
            fromN = nameFromN(value);
            continue;
        }
        std::string name = shownText(unescaped(value));
        if (!name.empty())
            return name;
    }
    return fromN;
}

} // namespace

std::string CardDisplayName(std::string_view card, TextEncoding encoding, CodePages& codePages,
                            std::size_t number) {
    std::string name;
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const ByteOrder order =
            encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
        name = nameFromCard(Utf8FromUtf16Bytes(card, order), ValueReading{codePages, true});
    } else {
        name = nameFromCard(card, ValueReading{codePages, false});
    }
    if (name.empty())
        return "contact " + std::to_string(number);
    return name;
}

} // namespace quorvane

#include "cards/display_name.h"

#include "cards/card_line.h"
#include "cards/charset_decoding.h"
#include "cards/quoted_printable.h"
#include "cards/utf8_text.h"
#include "queue/utf16_text.h"

#include <optional>
#include <utility>

namespace quorvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Walks a card's text line by line, or straight to the next line with a
// colon: a line without one cannot be a property, a BEGIN or an END, and
// most of a large card's lines are photo data without one.
class CardText {
public:
    explicit CardText(std::string_view text) : text_(text) {}

    bool atEnd(std::size_t at) const { return at >= text_.size(); }

    // The physical line starting at `at`, without its line end; moves `at`
    // past the line end.
    std::string_view line(std::size_t& at) {
        const std::size_t start = at;
        const std::size_t end = lineEnd(start);
        at = end + lineEndSize(end);
        return text_.substr(start, end - start);
    }

    // The first line at or after `at` that holds a colon, moving `at` past
    // it; nothing when none is left. `at` is a line start.
    std::optional<std::string_view> lineWithColon(std::size_t& at) {
        const std::size_t colon = text_.find(':', at);
        if (colon == std::string_view::npos) {
            at = text_.size();
            return std::nullopt;
        }
        // Property lines follow one another, so the colon is most often on
        // the line at hand; only after lines without one is its start looked
        // for.
        if (colon > lineEnd(at)) {
            std::size_t start = colon;
            while (text_[start - 1] != '\r' && text_[start - 1] != '\n')
                --start;
            at = start;
        }
        return line(at);
    }

    // Where `part`, a view into the text, starts in it.
    std::size_t offsetOf(std::string_view part) const {
        return static_cast<std::size_t>(part.data() - text_.data());
    }

private:
    // The first CR or LF at or after `from`, or the end of the text. The
    // next LF is remembered, so that CR-only and LF-only text both cost one
    // pass; it holds for any `from` between where it was looked for and
    // itself, as a second look from an earlier line may come.
    std::size_t lineEnd(std::size_t from) {
        if (from == lastLineStart_)
            return lastLineEnd_;
        lastLineStart_ = from;
        if (lineFeed_ == std::string_view::npos || from < lineFeedFrom_ || lineFeed_ < from) {
            lineFeedFrom_ = from;
            lineFeed_ = text_.find('\n', from);
            if (lineFeed_ == std::string_view::npos)
                lineFeed_ = text_.size();
        }
        const std::size_t carriageReturn = text_.substr(0, lineFeed_).find('\r', from);
        lastLineEnd_ = carriageReturn == std::string_view::npos ? lineFeed_ : carriageReturn;
        return lastLineEnd_;
    }

    std::size_t lineEndSize(std::size_t end) const {
        if (end >= text_.size())
            return 0;
        return text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1;
    }

    std::string_view text_;
    std::size_t lineFeedFrom_ = 0;
    std::size_t lineFeed_ = std::string_view::npos;
    // The line end last looked for, and where its line starts.
    std::size_t lastLineStart_ = std::string_view::npos;
    std::size_t lastLineEnd_ = 0;
};

// The property starting with `first` joined with the lines that continue it:
// folded lines (a leading blank, which goes) and, for quoted-printable, lines
// after a soft line break (an "=" at the end, which goes). Moves `at` past
// them. Most properties are one line, which comes back as it is; a joined
// one is built in `joined`.
std::string_view logicalLine(CardText& card, std::string_view first, bool quotedPrintable,
                             std::size_t& at, std::string& joined) {
    std::string_view logical = first;
    while (!card.atEnd(at)) {
        std::size_t after = at;
        const std::string_view next = card.line(after);
        const bool softBreak = quotedPrintable && logical.ends_with('=');
        const bool folded = !next.empty() && isBlank(next.front());
        if (!softBreak && !folded)
            break;
        if (logical.data() != joined.data())
            joined.assign(logical);
        if (softBreak) {
            joined.pop_back();
            joined += next;
        } else {
            joined += next.substr(1);
        }
        logical = joined;
        at = after;
    }
    return logical;
}

// Component `index` of N's value, whose components end at semicolons that
// are not escaped.
std::string_view component(std::string_view value, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] == '\\') {
            ++at;
            continue;
        }
        if (value[at] != ';')
            continue;
        if (index == 0)
            return value.substr(start, at - start);
        --index;
        start = at + 1;
    }
    return index == 0 ? value.substr(start) : std::string_view();
}

// The byte length of the space (ordinary, no-break or ideographic) that
// `text` starts or ends with, or 0.
std::size_t spaceAt(std::string_view text, bool atEnd) {
    for (const std::string_view space : {" ", "\xC2\xA0", "\xE3\x80\x80"}) {
        if (atEnd ? text.ends_with(space) : text.starts_with(space))
            return space.size();
    }
    return 0;
}

// `text` fit to show on one line: vCard escapes ("\\," "\\;" "\\\" "\\:" "\\n")
// undone, malformed UTF-8 shown as U+FFFD, breaks and tabs as spaces, other
// C0 and C1 controls and DEL dropped, and spaces trimmed from both ends. Any
// other backslash stays as written, since vCard 2.1 writers use it as an
// ordinary character. Worked in place, as every step only shortens the text.
std::string shownValue(std::string text) {
    if (!IsUtf8(text))
        text = WellFormedUtf8(text);
    std::size_t kept = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        if (byte == '\\' && (next == ',' || next == ';' || next == '\\' || next == ':')) {
            text[kept++] = next;
            ++at;
        } else if (byte == '\\' && (next == 'n' || next == 'N')) {
            text[kept++] = ' ';
            ++at;
        } else if (byte == '\n' || byte == '\r' || byte == '\t') {
            text[kept++] = ' ';
        } else if (byte == 0xC2 && static_cast<unsigned char>(next) < 0xA0) {
            ++at; // a C1 control
        } else if (byte >= 0x20 && byte != 0x7F) {
            text[kept++] = static_cast<char>(byte);
        }
    }
    text.resize(kept);
    std::size_t front = 0;
    while (const std::size_t space = spaceAt(std::string_view(text).substr(front), false))
        front += space;
    std::size_t back = text.size();
    while (const std::size_t space =
               spaceAt(std::string_view(text).substr(front, back - front), true))
        back -= space;
    text.erase(back);
    text.erase(0, front);
    return text;
}

// How a card's values become UTF-8.
struct ValueReading {
    CodePages& codePages;
    // A UTF-16 card is Unicode text already; only bytes that quoted-printable
    // stood for still need their charset.
    bool unicodeText = false;

    std::string text(std::string_view value, const ValueEncoding& encoding) const {
        if (!encoding.quotedPrintable && unicodeText)
            return std::string(value);
        if (!encoding.quotedPrintable)
            return DecodeCharset(value, encoding.charset, codePages);
        return DecodeCharset(DecodeQuotedPrintable(value), encoding.charset, codePages);
    }
};

std::string nameFromFn(std::string value) {
    return shownValue(std::move(value));
}

std::string nameFromN(std::string value) {
    const std::string family = shownValue(std::string(component(value, 0)));
    const std::string given = shownValue(std::string(component(value, 1)));
    if (given.empty() || family.empty())
        return given + family;
    return given + " " + family;
}

// Calls `visit(property, line, lineStart, at)` for each property line of the
// card itself, not of a card nested in it, from `at` (where the nesting depth
// is `depth`), until `visit` returns true. `visit` may move `at` past lines
// that continue the property.
template <typename Visit>
void visitOwnProperties(CardText& card, std::size_t at, int depth, Visit visit) {
    for (;;) {
        const auto line = card.lineWithColon(at);
        if (!line)
            return;
        const auto property = SplitPropertyLine(*line);
        // Only these names and indented lines can start, end or nest a card;
        // the rest are told apart by name alone.
        const bool mayNest = isBlank(line->front()) ||
                             EqualsIgnoringCase(property->name, "BEGIN") ||
                             EqualsIgnoringCase(property->name, "END") ||
                             EqualsIgnoringCase(property->name, "AGENT");
        switch (mayNest ? ClassifyCardLine(*line) : CardLine::Property) {
        case CardLine::Begin:
        case CardLine::AgentOpensCard:
            ++depth;
            continue;
        case CardLine::End:
            if (--depth <= 0)
                return;
            continue;
        case CardLine::Property:
            break;
        default:
            continue;
        }
        if (depth == 1 && visit(*property, *line, card.offsetOf(*line), at))
            return;
    }
}

std::string nameFromCard(std::string_view text, const ValueReading& reading) {
    CardText card(text);
    std::string joined;
    // The property's value, unfolded and decoded, as `nameFrom` shows it.
    const auto name = [&](const PropertyLine& head, std::string_view line, std::size_t& at,
                          std::string (*nameFrom)(std::string)) {
        const ValueEncoding encoding = ReadValueEncoding(head.parameters);
        const std::string_view logical =
            logicalLine(card, line, encoding.quotedPrintable, at, joined);
        const auto property = logical.data() == line.data() ? head : *SplitPropertyLine(logical);
        return nameFrom(reading.text(property.value, encoding));
    };

    std::string shown;
    // Nearly every card has an FN; N is only read when it has none, from
    // where the first N was seen.
    std::optional<std::size_t> firstN;
    visitOwnProperties(card, 0, 0,
                       [&](const PropertyLine& head, std::string_view line, std::size_t lineStart,
                           std::size_t& at) {
                           if (!firstN && EqualsIgnoringCase(head.name, "N"))
                               firstN = lineStart;
                           if (!EqualsIgnoringCase(head.name, "FN"))
                               return false;
                           shown = name(head, line, at, nameFromFn);
                           return !shown.empty();
                       });
    if (!shown.empty() || !firstN)
        return shown;
    visitOwnProperties(
        card, *firstN, 1,
        [&](const PropertyLine& head, std::string_view line, std::size_t, std::size_t& at) {
            if (!EqualsIgnoringCase(head.name, "N"))
                return false;
            shown = name(head, line, at, nameFromN);
            return !shown.empty();
        });
    return shown;
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

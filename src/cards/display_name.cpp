#include "cards/display_name.h"

#include "cards/card_line.h"
#include "cards/property_head.h"
#include "cards/value_reading.h"
#include "text/ascii_text.h"
#include "text/byte_words.h"
#include "text/utf16_text.h"
#include "text/utf8_text.h"

#include <cassert>
#include <cstdint>
#include <optional>
#include <utility>

namespace quorvane {

namespace {

// Walks a card's text from one property line to the next by their colons: a
// line without one cannot be a property, a BEGIN or an END, and most of a
// large card's lines are photo data without one. A property's line end is
// only looked for when its line is read whole, which few are: what the walk
// needs of the rest, their names, lies before their colons.
class CardText {
public:
    // `at` is a line start.
    CardText(std::string_view text, std::size_t at) : text_(text), searchFrom_(at) {}

    // The next line that holds a colon, at or after where the walk stands;
    // nothing when none is left. The walk moves to its colon.
    std::optional<PropertyHead> nextProperty() {
        for (;;) {
            const std::size_t colon = text_.find(':', searchFrom_);
            if (colon == std::string_view::npos) {
                searchFrom_ = text_.size();
                return std::nullopt;
            }
            // Looking back from the colon passes over the line's name and
            // parameters only. Reaching where the search started without a
            // line end means the colon is in the value of the line before
            // (a URL, a time), unless the search started at a line start.
            const std::size_t start = LineStartBefore(text_, colon, searchFrom_);
            const bool sameLine = start == searchFrom_ && !atLineStart_;
            searchFrom_ = colon + 1;
            atLineStart_ = false;
            if (sameLine)
                continue;
            // A line whose name cannot matter keeps an empty one, which
            // NameKindOf takes for any other name; an indented line is still
            // told by its first byte.
            if (!NameMayMatter(text_, start))
                return PropertyHead{start, colon, colon, std::string_view()};
            return PropertyHeadAt(text_, start, colon);
        }
    }

    // The first byte of the line `head` stands for.
    char firstByte(const PropertyHead& head) const { return text_[head.start]; }

    // Whether the line `head` stands for is text of a quoted-printable value
    // broken softly on the line before, and no property of its own.
    bool continuesSoftBreak(const PropertyHead& head) const {
        return ContinuesSoftBreak(text_, head.start);
    }

    // The property whose first line starts at `start` (which holds no line
    // end before where the walk stands), read whole; the walk moves past the
    // lines that continue it.
    LogicalLine lineAt(std::size_t start) {
        const LogicalLine line = LogicalLineAt(text_, start);
        searchFrom_ = line.next;
        atLineStart_ = true;
        return line;
    }

private:
    std::string_view text_;
    std::size_t searchFrom_;
    bool atLineStart_ = true;
};

// The unfolded property `line`, whose head the walk found, cut as
// SplitPropertyLine cuts it. The walk knows where its name ends and its first
// colon is, and unfolding changes nothing on the first line; unless a quote
// in its parameters may hide that colon, they are where the cut goes.
PropertyLine cutLine(std::string_view line, const PropertyHead& head) {
    const std::size_t nameEnd = head.nameEnd - head.start;
    const std::size_t colon = head.colon - head.start;
    const std::string_view parameters =
        nameEnd < colon ? line.substr(nameEnd + 1, colon - nameEnd - 1) : std::string_view();
    if (parameters.find('"') != std::string_view::npos)
        return *SplitPropertyLine(line);
    return PropertyLine{head.name, parameters, line.substr(colon + 1)};
}

// Component `index` of N's value, whose components end at semicolons that
// are not escaped.
std::string_view component(std::string_view value, std::size_t index) {
    if (value.find('\\') == std::string_view::npos) {
        // Without a backslash every semicolon ends a component.
        for (; index > 0; --index) {
            const std::size_t end = value.find(';');
            if (end == std::string_view::npos)
                return std::string_view();
            value.remove_prefix(end + 1);
        }
        return value.substr(0, value.find(';'));
    }
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
    if (text.empty())
        return 0;
    // An ASCII byte at the edge settles it without a look at the others.
    const auto edge = static_cast<unsigned char>(atEnd ? text.back() : text.front());
    if (edge < 0x80)
        return edge == ' ' ? 1 : 0;
    for (const std::string_view space : {"\xC2\xA0", "\xE3\x80\x80"}) {
        if (atEnd ? text.ends_with(space) : text.starts_with(space))
            return space.size();
    }
    return 0;
}

// Whether showValue keeps `byte` as it is wherever it stands: not a control
// character, not a backslash, not 0xC2, which leads the C1 controls, and not
// 0xEF, which leads U+FEFF (a byte-order mark some exporters leave at the
// start of a value: invisible, it would still part two equal names).
constexpr bool isKeptAsItIs(unsigned char byte) {
    return byte >= 0x20 && byte != 0x7F && byte != '\\' && byte != 0xC2 && byte != 0xEF;
}

// Makes `text` fit to show on one line: vCard escapes ("\\," "\\;" "\\\" "\\:" "\\n")
// undone, malformed UTF-8 shown as U+FFFD, breaks and tabs as spaces, other
// C0 and C1 controls, DEL and U+FEFF dropped, and spaces trimmed from both ends. Any
// other backslash stays as written, since vCard 2.1 writers use it as an
// ordinary character. Worked in place, as every step only shortens the text.
//
// `text` is well-formed UTF-8 already: every value reaches here through
// DecodeCharset or from a UTF-16 file's text, cut only at ASCII bytes.
void showValue(std::string& text) {
    assert(IsUtf8(text) && "a value is made well-formed UTF-8 before it is shown");
    // Most names need nothing but trimming; nothing moves before the first
    // byte that needs a closer look.
    std::size_t at = 0;
    while (text.size() - at >= 8) {
        const std::uint64_t word = LoadWord(text.data() + at);
        if (HasByteBelow(word, 0x20) || HasByte(word, 0x7F) || HasByte(word, '\\') ||
            HasByte(word, 0xC2) || HasByte(word, 0xEF))
            break;
        at += 8;
    }
    while (at < text.size() && isKeptAsItIs(static_cast<unsigned char>(text[at])))
        ++at;
    std::size_t kept = at;
    for (; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (isKeptAsItIs(byte)) {
            text[kept++] = static_cast<char>(byte);
            continue;
        }
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
        } else if (std::string_view(text).substr(at).starts_with("\xEF\xBB\xBF")) {
            at += 2; // U+FEFF
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
}

// What showValue makes of `value` when that is only trimming it, because the
// value is printable ASCII without a backslash: most names are. Nothing when
// it needs the whole treatment.
std::optional<std::string_view> plainShownValue(std::string_view value) {
    std::size_t at = 0;
    for (; value.size() - at >= 8; at += 8) {
        const std::uint64_t word = LoadWord(value.data() + at);
        if (HasByteBelow(word, 0x20) || HasByte(word, '\\') || (word & HighBits) != 0 ||
            HasByte(word, 0x7F))
            return std::nullopt;
    }
    for (; at < value.size(); ++at) {
        const auto byte = static_cast<unsigned char>(value[at]);
        if (byte < 0x20 || byte >= 0x7F || byte == '\\')
            return std::nullopt;
    }
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    return value;
}

// Room the name reader works in, kept from card to card so that reading a
// name seldom allocates.
struct NameScratch {
    std::string joined;  // a property of several lines, joined
    std::string decoded; // a value's bytes after quoted-printable
    std::string n;       // N's value as UTF-8, before it is cut into its parts
    std::string family;  // N's family name, shown
    std::string utf8;    // a UTF-16 card as UTF-8
};

// "given family" from N's `value`, or whichever of the two it has, into
// `name`.
void nameFromN(std::string_view value, NameScratch& scratch, std::string& name) {
    scratch.family.assign(component(value, 0));
    showValue(scratch.family);
    name.assign(component(value, 1));
    showValue(name);
    if (!name.empty() && !scratch.family.empty())
        name += ' ';
    name += scratch.family;
}

// Calls `visit(kind, head, card)` for each property line of the card itself,
// not of a card nested in it, from where `card` stands (at nesting depth
// `depth`), until `visit` returns true. `visit` may read the line whole and
// the lines that continue it.
template <typename Visit> void visitOwnProperties(CardText& card, int depth, Visit visit) {
    while (const auto head = card.nextProperty()) {
        const NameKind kind = NameKindOf(head->name);
        // Only these names and indented lines can start, end or nest a card;
        // the rest are told apart by name alone, without their line end.
        const bool mayNest = kind == NameKind::MayNest || IsBlank(card.firstByte(*head));
        // As the splitter reads it: "END:VCARD" or "FN:" there is a value's text.
        if ((mayNest || kind != NameKind::Other) && card.continuesSoftBreak(*head))
            continue;
        switch (mayNest ? ClassifyCardLine(card.lineAt(head->start).first) : CardLine::Property) {
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
        if (depth == 1 && kind != NameKind::Other && visit(kind, *head, card))
            return;
    }
}

// Where the line after the card's first line starts when that line is a
// BEGIN line written the plain way, as the splitter hands out nearly every
// card; 0 when it is not, and the walk starts at the top to tell it apart.
std::size_t afterPlainBegin(std::string_view text) {
    constexpr std::string_view begin = "BEGIN:VCARD";
    if (text.size() <= begin.size() || !EqualsIgnoringCase(text.substr(0, begin.size()), begin))
        return 0;
    const std::size_t end = begin.size();
    if (text[end] == '\n')
        return end + 1;
    if (text[end] != '\r')
        return 0;
    return end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
}

// The name the property whose head the walk in `card` has just found gives,
// unfolded and decoded, as showValue shows it, into `name`; the walk moves
// past the lines that continue it. Whether that name has any text.
bool nameFrom(CardText& card, const PropertyHead& head, NameKind kind, const ValueReading& reading,
              NameScratch& scratch, std::string& name) {
    const PropertyLine property = cutLine(Unfolded(card.lineAt(head.start), scratch.joined), head);
    const ValueEncoding encoding = ReadValueEncoding(property.parameters);
    const std::string_view value = property.value;
    if (kind == NameKind::N) {
        reading.text(value, encoding, scratch.decoded, scratch.n);
        nameFromN(scratch.n, scratch, name);
        return !name.empty();
    }
    if (!encoding.quotedPrintable && !encoding.charset) {
        if (const auto shown = plainShownValue(value)) {
            name.assign(*shown);
            return !name.empty();
        }
    }
    reading.text(value, encoding, scratch.decoded, name);
    showValue(name);
    return !name.empty();
}

// The card's name into `name`, or nothing there when it has none.
void nameFromCard(std::string_view text, const ValueReading& reading, NameScratch& scratch,
                  std::string& name) {
    name.clear();
    // Nearly every card has an FN; N is only read when it has none, from
    // where the first N was seen.
    std::optional<std::size_t> firstN;
    const std::size_t afterBegin = afterPlainBegin(text);
    CardText card(text, afterBegin);
    visitOwnProperties(card, afterBegin > 0 ? 1 : 0,
                       [&](NameKind kind, const PropertyHead& head, CardText& at) {
                           if (!firstN && kind == NameKind::N)
                               firstN = head.start;
                           if (kind != NameKind::Fn)
                               return false;
                           return nameFrom(at, head, kind, reading, scratch, name);
                       });
    if (!name.empty() || !firstN)
        return;
    CardText fromN(text, *firstN);
    visitOwnProperties(fromN, 1, [&](NameKind kind, const PropertyHead& head, CardText& at) {
        if (kind != NameKind::N)
            return false;
        return nameFrom(at, head, kind, reading, scratch, name);
    });
}

} // namespace

struct CardNameReader::Scratch : NameScratch {};

CardNameReader::CardNameReader(CodePages& codePages)
    : codePages_(codePages), scratch_(std::make_unique<Scratch>()) {}

CardNameReader::~CardNameReader() = default;

bool CardNameReader::read(std::string_view card, TextEncoding encoding, std::size_t number,
                          std::string& name) {
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const ByteOrder order =
            encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
        scratch_->utf8 = Utf8FromUtf16Bytes(card, order);
        nameFromCard(scratch_->utf8, ValueReading{codePages_, true}, *scratch_, name);
    } else {
        nameFromCard(card, ValueReading{codePages_, false}, *scratch_, name);
    }
    if (!name.empty())
        return true;
    name.assign("contact ");
    name += std::to_string(number);
    return false;
}

std::string CardDisplayName(std::string_view card, TextEncoding encoding, CodePages& codePages,
                            std::size_t number) {
    std::string name;
    CardNameReader(codePages).read(card, encoding, number, name);
    return name;
}

} // namespace quorvane

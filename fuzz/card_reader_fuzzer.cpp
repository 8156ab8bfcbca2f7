// A contacts file holds whatever a phone, a mail program or a person wrote,
// and people join exports byte for byte. The fuzzer builds files from card
// pieces in 8-bit text and UTF-16, joined with byte-order marks or none, the
// Ctrl-Z of `copy` (one byte, or a UTF-16 unit) and other stray bytes, any
// line ends or none, folds, quoted-printable soft breaks, junk and NUL bytes,
// and checks that the splitter finds the very cards a slow reference splitter
// below finds (written from the rules, not from the splitter), whatever
// pieces the file arrives in, with names that read as text and make safe file
// names.

#include "cards/card_file_name.h"
#include "cards/card_reader.h"
#include "cards/memory_byte_source.h"
#include "cards/text_encoding.h"
#include "fake_code_pages.h"
#include "require.h"
#include "text/utf16_text.h"
#include "text/utf8_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

// The reference: the whole file at once, line by line, one rule at a time.
struct Text {
    std::string_view file;
    TextEncoding encoding;

    bool wide() const {
        return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
    }
    std::size_t unit() const { return wide() ? 2 : 1; }
    // The character at `at`, or -1 past the last whole one.
    long at(std::size_t at) const {
        if (at + unit() > file.size())
            return -1;
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(file[i]); };
        if (!wide())
            return byte(at);
        return encoding == TextEncoding::Utf16Le ? byte(at) | byte(at + 1) << 8
                                                 : byte(at) << 8 | byte(at + 1);
    }
    // The line from `from`: its text (ASCII, other characters as 0x80), where
    // its line end starts and where the next line starts.
    std::string line(std::size_t from, std::size_t& contentEnd, std::size_t& next) const {
        std::string text;
        std::size_t at = from;
        for (long c; (c = this->at(at)) >= 0 && c != '\r' && c != '\n'; at += unit())
            text += static_cast<char>(c < 0x80 ? c : 0x80);
        contentEnd = at;
        next = this->at(at) < 0 ? file.size() : at + unit();
        if (this->at(at) == '\r' && this->at(next) == '\n')
            next += unit();
        return text;
    }
};

struct Mark {
    std::size_t size = 0;
    TextEncoding encoding = TextEncoding::SingleByte;
};

Mark markAt(std::string_view file, std::size_t at) {
    const std::string_view rest = file.substr(std::min(at, file.size()));
    if (rest.starts_with("\xEF\xBB\xBF"))
        return {3, TextEncoding::Utf8};
    if (rest.starts_with("\xFF\xFE"))
        return {2, TextEncoding::Utf16Le};
    if (rest.starts_with("\xFE\xFF"))
        return {2, TextEncoding::Utf16Be};
    return {};
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 'a' - 'A') : c;
}

// `text` from `at` reads `word` (lower case) in any letter case, blanks, a
// colon, blanks and "vcard"; `at` moves past it.
bool marker(std::string_view text, std::size_t& at, std::string_view word) {
    for (const std::string_view part : {word, std::string_view(":"), std::string_view("vcard")}) {
        while (part != word && at < text.size() && blank(text[at]))
            ++at;
        for (const char c : part) {
            if (at >= text.size() || lower(text[at]) != c)
                return false;
            ++at;
        }
    }
    return true;
}

// `text` is `word` (lower case), blanks, a colon, blanks and "vcard" with
// nothing but blanks after.
bool wholeMarker(std::string_view text, std::string_view word) {
    std::size_t at = 0;
    if (!marker(text, at, word))
        return false;
    while (at < text.size() && blank(text[at]))
        ++at;
    return at == text.size();
}

std::string trimmed(std::string text) {
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    while (!text.empty() && blank(text.front()))
        text.erase(0, 1);
    return text;
}

// A blank, or a control character that is no line end.
bool stray(long c) {
    return c == ' ' || c == '\t' || c == 0x7F || (c >= 0 && c < 0x20 && c != '\r' && c != '\n');
}

// Whether `line` holds "begin", blanks, a colon, blanks and "vcard" in any
// letter case once its NUL bytes are gone.
bool holdsBegin(std::string line) {
    std::erase(line, '\0');
    for (char& c : line)
        c = lower(c);
    for (std::size_t at = line.find("begin"); at != std::string::npos;
         at = line.find("begin", at + 1)) {
        std::size_t next = at + 5;
        while (next < line.size() && blank(line[next]))
            ++next;
        if (next == line.size() || line[next++] != ':')
            continue;
        while (next < line.size() && blank(line[next]))
            ++next;
        if (line.compare(next, 5, "vcard") == 0)
            return true;
    }
    return false;
}

// Whether the parameters of the property on `line` make its value
// quoted-printable: ENCODING=QUOTED-PRINTABLE, or 2.1's bare QUOTED-PRINTABLE,
// any letter case, the last word on it counting.
bool quotedPrintable(const std::string& line) {
    const std::size_t colon = line.find(':');
    const std::size_t semicolon = line.find(';');
    if (colon == std::string::npos || semicolon > colon)
        return false;
    bool qp = false;
    std::string parameters = line.substr(semicolon + 1, colon - semicolon - 1) + ";";
    for (char& c : parameters)
        c = lower(c);
    for (std::size_t start = 0, end; (end = parameters.find(';', start)) != std::string::npos;
         start = end + 1) {
        const std::string parameter = trimmed(parameters.substr(start, end - start));
        const std::size_t equals = parameter.find('=');
        if (equals == std::string::npos)
            qp = qp || parameter == "quoted-printable";
        else if (trimmed(parameter.substr(0, equals)) == "encoding")
            qp = trimmed(parameter.substr(equals + 1)) == "quoted-printable";
    }
    return qp;
}

enum class Kind { Other, Begin, End, AgentOpens, AgentAwaits };

Kind kindOf(const std::string& line) {
    if (line.empty() || blank(line[0]))
        return Kind::Other; // folded into the line before, or empty
    if (wholeMarker(line, "begin"))
        return Kind::Begin;
    if (wholeMarker(line, "end"))
        return Kind::End;
    const std::size_t colon = line.find(':');
    std::string name = line.substr(0, std::min(colon, line.find(';')));
    name = trimmed(name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1));
    for (char& c : name)
        c = lower(c);
    if (colon == std::string::npos || name != "agent")
        return Kind::Other;
    const std::string value = trimmed(line.substr(colon + 1));
    if (value.empty())
        return Kind::AgentAwaits;
    return wholeMarker(value, "begin") ? Kind::AgentOpens : Kind::Other;
}

struct ReferenceCard {
    std::size_t start, end;
    std::string mark;
    TextEncoding encoding;
    CardEnd how;
    bool markSupplied = false;
    bool hidesCard = false; // no card: text between cards holding a BEGIN:VCARD
};

// The file, whose first part is `unmarked` UTF-16 when it has no mark and
// is written so.
std::vector<ReferenceCard> referenceSplit(std::string_view file, TextEncoding unmarked) {
    Mark mark = markAt(file, 0);
    Text text{file, TextEncoding::SingleByte};
    std::string markBytes;
    bool supplied = false;
    std::vector<ReferenceCard> cards;
    std::optional<std::size_t> open;
    int depth = 0;
    std::size_t agentCardAt = std::string::npos;
    bool hiddenSaid = false;
    // In the open card: whether the property of the last line is
    // quoted-printable and that line ends in "=", and whether `at` is the
    // rest of a line after a joined END:VCARD rather than a line start.
    bool qp = false;
    bool softBreak = false;
    bool restOfLine = false;
    const auto cut = [&](std::size_t end, CardEnd how) {
        cards.push_back({*open, end, markBytes, text.encoding, how, supplied});
        open.reset();
    };
    const auto startPart = [&](std::size_t at, Mark part) {
        text.encoding = part.encoding;
        markBytes = file.substr(at, part.size);
        // UTF-16 without a mark gets the mark of its byte order.
        supplied = part.size == 0 && text.wide();
        if (supplied)
            markBytes = text.encoding == TextEncoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
    };
    startPart(0, mark.size > 0 ? mark : Mark{0, unmarked});
    // Whether the line from `at` in `encoding` is a BEGIN line.
    const auto beginsAt = [&](std::size_t at, TextEncoding encoding) {
        std::size_t contentEnd, next;
        return kindOf(Text{file, encoding}.line(at, contentEnd, next)) == Kind::Begin;
    };
    // In 8-bit text, where UTF-16 without a mark starts with a BEGIN line at
    // `start`, the first byte after the strays from `from`, or at a zero byte
    // passed over right before it; npos where none does. A leading zero byte
    // makes it big-endian, a zero byte second little-endian.
    const auto unmarkedWide = [&](std::size_t from, std::size_t start, Mark& part) {
        const auto zero = [&](std::size_t i) { return i < file.size() && file[i] == '\0'; };
        start -= start > from && zero(start - 1);
        part = {0, zero(start) ? TextEncoding::Utf16Be : TextEncoding::Utf16Le};
        const bool found =
            !text.wide() && (zero(start) || zero(start + 1)) && beginsAt(start, part.encoding);
        return found ? start : std::string::npos;
    };
    for (std::size_t at = mark.size; at < file.size();) {
        const std::size_t agentAt = std::exchange(agentCardAt, std::string::npos);
        const bool rest = std::exchange(restOfLine, false);
        // In UTF-16 text, a part starts with any other mark, and with an
        // 8-bit BEGIN line behind stray bytes.
        mark = markAt(file, at);
        std::size_t eightBit = at;
        while (eightBit < file.size() && stray(static_cast<unsigned char>(file[eightBit])))
            ++eightBit;
        // Any mark behind stray bytes counts in front of a BEGIN line in its
        // encoding (the Ctrl-Z of `copy` is one byte, even after UTF-16).
        const bool otherMark = text.wide() && mark.size > 0 && mark.encoding != text.encoding;
        const Mark behind = markAt(file, eightBit);
        const bool markedPart =
            text.wide() && behind.size > 0 && beginsAt(eightBit + behind.size, behind.encoding);
        if (otherMark || markedPart ||
            (text.wide() && beginsAt(eightBit, TextEncoding::SingleByte))) {
            if (open) {
                cut(at, CardEnd::CutByNextCard);
                continue;
            }
            const std::size_t partAt = otherMark ? at : eightBit;
            const Mark part = otherMark ? mark : markedPart ? behind : Mark{};
            startPart(partAt, part);
            at = partAt + part.size;
            continue;
        }
        // In the open card, a line continues a soft break after a line ending
        // in "=" in a quoted-printable property, and then is no marker.
        std::size_t physicalEnd, afterPhysical;
        const std::string physical = text.line(at, physicalEnd, afterPhysical);
        bool continues = false;
        if (open) {
            if (!rest) {
                continues = (!physical.empty() && blank(physical[0])) || (softBreak && qp);
                qp = continues ? qp : quotedPrintable(physical);
            }
            softBreak = !physical.empty() && physical.back() == '=';
        }
        // A line of 4096 bytes or more is never a marker either: the splitter
        // lets go of such a line as it arrives.
        if (physicalEnd - at >= 4096) {
            if (!open && holdsBegin(physical) && !std::exchange(hiddenSaid, true))
                cards.push_back({0, 0, "", text.encoding, CardEnd::Complete, false, true});
            at = afterPhysical;
            continue;
        }
        // Between cards strays are passed over; in UTF-16 text a mark then
        // counts no more.
        std::size_t start = at;
        while (!open && stray(text.at(start)))
            start += text.unit();
        mark = text.wide() && start > at ? Mark{} : markAt(file, start);
        const bool ownMark = text.wide() ? mark.encoding == text.encoding : mark.size == 3;
        // A part starts at a mark in front of a BEGIN line (in UTF-16 text its
        // own, at the line start), or in 8-bit text at UTF-16 without a mark.
        Mark part = mark;
        const std::size_t partAt =
            mark.size == 0 ? unmarkedWide(at, start, part)
            : (ownMark || !text.wide()) && beginsAt(start + mark.size, mark.encoding)
                ? start
                : std::string::npos;
        if (partAt != std::string::npos) {
            if (open) {
                cut(at, CardEnd::CutByNextCard);
                continue;
            }
            startPart(partAt, part);
            at = partAt + part.size;
            continue;
        }
        std::size_t contentEnd, next;
        const std::size_t lineStart = start + (ownMark ? mark.size : 0);
        const std::string line = text.line(lineStart, contentEnd, next);
        Kind kind = kindOf(line);
        // END:VCARD, strays, and nothing or the next part's BEGIN line (after
        // its mark; in UTF-16 text only with no strays before the mark).
        std::size_t endSize = 0;
        if (kind == Kind::Other && !line.empty() && marker(line, endSize, "end") &&
            endSize < line.size()) {
            std::size_t after = endSize;
            while (after < line.size() && stray(static_cast<unsigned char>(line[after])))
                ++after;
            const std::size_t join = lineStart + after * text.unit();
            const Mark joined = markAt(file, join);
            Mark joinedWide;
            if (after == line.size() ||
                beginsAt(join + joined.size, joined.size > 0 ? joined.encoding : text.encoding) ||
                (joined.size == 0 &&
                 unmarkedWide(lineStart + endSize, join, joinedWide) != std::string::npos)) {
                kind = Kind::End;
                next = lineStart + endSize * text.unit();
                restOfLine = true;
            }
        }
        if (continues && lineStart == at && kind != Kind::Other) {
            kind = Kind::Other;
            next = afterPhysical;
            restOfLine = false;
        }
        switch (kind) {
        case Kind::Begin:
            if (open && agentAt != at) {
                cut(at, CardEnd::CutByNextCard);
                continue;
            }
            depth = open ? depth + 1 : 1;
            if (!open) {
                open = start;
                qp = softBreak = hiddenSaid = false;
            }
            break;
        case Kind::End:
            if (open && --depth == 0)
                cut(next, CardEnd::Complete);
            break;
        case Kind::AgentOpens:
            depth += open ? 1 : 0;
            break;
        case Kind::AgentAwaits:
            agentCardAt = open ? next : std::string::npos;
            break;
        case Kind::Other:
            break;
        }
        if (!open && kind != Kind::End && kind != Kind::Begin && holdsBegin(line) &&
            !std::exchange(hiddenSaid, true))
            cards.push_back({0, 0, "", text.encoding, CardEnd::Complete, false, true});
        at = next;
    }
    if (open)
        cut(file.size(), CardEnd::CutByFileEnd);
    return cards;
}

// The file the fuzzer's bytes describe: parts in an encoding each, with or
// without a mark, of lines from the shapes below, with any line end or none.
std::string utf16(std::string_view utf8, bool littleEndian) {
    return Utf16BytesFromUtf8(utf8, littleEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
}

// Lines that end in "=" only with the bound that no card here reaches: past
// it, a soft break is judged from the text still held.
std::string generate(FuzzedDataProvider& in, bool softBreaks, TextEncoding& unmarked) {
    using namespace std::string_literals;
    static const std::vector<std::string> lines = {"BEGIN:VCARD",
                                                   "END:VCARD",
                                                   "begin : vCard  ",
                                                   "FN:Ann Example",
                                                   "N:Doe;Jo;;;",
                                                   "AGENT:",
                                                   "AGENT:BEGIN:VCARD",
                                                   "item1.AGENT;VALUE=VCARD:BEGIN:VCARD",
                                                   "NOTE:a note folded",
                                                   " END:VCARD",
                                                   "\tBEGIN:VCARD",
                                                   "END:VCARDBEGIN:VCARD",
                                                   "END:VCARD\xEF\xBB\xBF"
                                                   "BEGIN:VCARD",
                                                   "\xEF\xBB\xBF"
                                                   "BEGIN:VCARD",
                                                   "TEL:1\0\0\0 2"s,
                                                   "X-JUNK:" + std::string(300, 'x'),
                                                   "PHOTO;ENCODING=b:" + std::string(5000, 'Q'),
                                                   "FN:Zo\xC3\xAB \xF0\x9F\x8C\xBB",
                                                   "",
                                                   "Exported: 2 contacts",
                                                   "\x1A",
                                                   "\x1A"
                                                   "BEGIN:VCARD",
                                                   "\0\0BEGIN:VCARD"s,
                                                   "END:VCARD\x1A",
                                                   "END:VCARD\0BEGIN:VCARD"s,
                                                   "END:VCARD \x7F\tBEGIN:VCARD",
                                                   "see BEGIN:VCARD"};
    static const std::vector<std::string> softLines = {
        "NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=",
        "note;quoted-printable:b=",
        "LABEL;ENCODING=8BIT;QUOTED-PRINTABLE:=C3=",
        "=41=",
        " folded=",
        "PHOTO;ENCODING=b:QUFB=",
        "X-NOTE;ENCODING=QUOTED-PRINTABLE;ENCODING=b:c="};
    static const std::vector<std::string> lineEnds = {"\r\n", "\n", "\r", ""};
    // Between parts: the Ctrl-Z of `copy a+b` as a byte or a UTF-16 unit,
    // NUL padding, blanks.
    static const std::vector<std::string> strays = {"",        "\x1A",    "\0"s,
                                                    "\x1A\0"s, "\0\x1A"s, " \x1A\0\t"s};
    std::string file;
    int last = 0;
    for (int parts = in.ConsumeIntegralInRange(1, 4); parts > 0 && in.remaining_bytes() > 0;
         --parts) {
        // 8-bit, UTF-8 marked, LE, BE, and LE and BE without a mark: first of
        // all, or after 8-bit text, which they may join right after its
        // END:VCARD.
        int encoding = in.ConsumeIntegralInRange(0, 5);
        // Unless the file's first bytes show 8-bit text (a mark, or a
        // BEGIN:VCARD read a byte at a time), the splitter rightly takes the
        // whole file for the UTF-16 after it.
        const bool eightBitShown =
            file.starts_with("\xEF\xBB\xBF") || file.size() >= 512 || holdsBegin(file);
        if (encoding >= 4 && (last >= 2 || (!file.empty() && !eightBitShown)))
            encoding -= 2;
        const bool unmarkedAfterEnd = encoding >= 4 && file.ends_with("END:VCARD");
        // A UTF-16 line runs on through text in another encoding until its
        // own line end, so a part after a UTF-16 one starts on a line of its own.
        if (!file.empty() && (last >= 2 || encoding >= 2) && !file.ends_with('\n') &&
            !unmarkedAfterEnd)
            file += last >= 2 ? utf16("\r\n", last % 2 == 0) : "\r\n";
        const std::string& before =
            strays[in.ConsumeIntegralInRange<std::size_t>(0, strays.size() - 1)];
        std::string text;
        for (int count = in.ConsumeIntegralInRange(1, 12); count > 0; --count) {
            const std::size_t line = in.ConsumeIntegralInRange<std::size_t>(
                0, lines.size() + (softBreaks ? softLines.size() : 0) - 1);
            text += line < lines.size() ? lines[line] : softLines[line - lines.size()];
            text += lineEnds[in.ConsumeIntegralInRange<std::size_t>(0, lineEnds.size() - 1)];
        }
        if (encoding == 1)
            text = "\xEF\xBB\xBF" + text;
        if (encoding == 2 || encoding == 3)
            text = utf16("\xEF\xBB\xBF" + text, encoding == 2);
        // Told apart by its zero bytes and its BEGIN line at the start.
        if (encoding >= 4 && file.empty()) {
            text = "BEGIN:VCARD\r\nX-PAD:" + std::string(300, 'x') + "\r\n" + text;
            unmarked = encoding == 4 ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        }
        if (encoding >= 4)
            text = utf16(file.empty() ? text : "BEGIN:VCARD\r\n" + text, encoding == 4);
        file += (encoding >= 4 && file.empty() ? "" : before) + text;
        last = encoding;
    }
    return file;
}

std::vector<Card> split(std::string_view file, std::vector<std::size_t> pieces,
                        std::uint64_t largestCard) {
    MemoryByteSource source{std::string(file), std::move(pieces)};
    testing::FakeCodePages codePages;
    CardReader reader(source, codePages, largestCard);
    std::vector<Card> cards;
    // One Card for all, as the import passes it: nothing of one card may
    // stay behind in the next.
    Card card;
    for (;;) {
        auto next = reader.next(card);
        require(next.succeeded(), "a file in memory never fails to read");
        if (!next.value())
            return cards;
        cards.push_back(card);
    }
}

bool hasControl(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

void checkName(const Card& card) {
    require(!card.displayName.empty(), "a display name is never empty");
    require(IsUtf8(card.displayName), "a display name is well-formed UTF-8");
    require(!hasControl(card.displayName), "a display name holds no control character");
    require(card.displayName.front() != ' ' && card.displayName.back() != ' ',
            "a display name is trimmed");
    const std::string name = CardFileName(card.number, card.displayName);
    require(name.ends_with(".vcf") && IsUtf8(name), "a card's file name is UTF-8 ending in .vcf");
    require(name.find_first_of("\\/:*?\"<>|") == std::string::npos && !hasControl(name),
            "a card's file name holds no character Windows forbids");
    require(name.find("..") == std::string::npos, "a card's file name holds no \"..\"");
    const std::string part = SafeFileNamePart(card.displayName);
    require(Utf8PrefixBytes(part, CardFileNameCharacters) == part.size(),
            "a card's file name keeps a bounded part of the name");
}

bool wide(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint64_t largestCard =
        in.ConsumeBool() ? LargestCard : in.ConsumeIntegralInRange(16, 2048);
    TextEncoding unmarked = TextEncoding::SingleByte;
    const std::string file = generate(in, largestCard == LargestCard, unmarked);
    const std::vector<ReferenceCard> expected = referenceSplit(file, unmarked);
    for (const std::vector<std::size_t>& pieces :
         {std::vector<std::size_t>{}, std::vector<std::size_t>{size % 7 + 1, 1, 2, 3}}) {
        const std::vector<Card> cards = split(file, pieces, largestCard);
        require(cards.size() == expected.size(), "the splitter finds the reference's cards");
        std::size_t number = 0;
        for (std::size_t at = 0; at < cards.size(); ++at) {
            const Card& card = cards[at];
            const ReferenceCard& want = expected[at];
            require(card.hidesCard == want.hidesCard,
                    "text that may hide a card is reported where the reference finds it");
            if (want.hidesCard) {
                require(card.number == number, "it is told by the number of the card before");
                continue;
            }
            const std::size_t cardSize = want.end - want.start;
            require(card.number == ++number, "cards are numbered from 1 in order");
            require(card.markSupplied == want.markSupplied,
                    "UTF-16 without a mark gets one, and nothing else does");
            require(card.end == want.how, "a card ends as the reference's does");
            require(card.size == cardSize && card.tooLarge == (cardSize > largestCard),
                    "a card is as large as the reference's, and too large past the bound");
            require(card.bytes ==
                        (card.tooLarge ? "" : want.mark + file.substr(want.start, cardSize)),
                    "a card is its part's mark and the file's own bytes");
            require(wide(card.encoding) == wide(want.encoding) &&
                        (!wide(card.encoding) || card.encoding == want.encoding),
                    "a card's encoding is its part's");
            checkName(card);
        }
    }
    return 0;
}

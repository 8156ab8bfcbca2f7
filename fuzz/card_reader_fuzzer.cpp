// A contacts file holds whatever a phone, a mail program or a person wrote,
// and people join exports byte for byte. The fuzzer builds files from card
// pieces joined with byte-order marks, any line ends or none, folds, junk and
// NUL bytes, and checks that the splitter finds the very cards a slow
// reference splitter below finds (written from the rules, not from the
// splitter), whatever pieces the file arrives in, with names that read as
// text and make safe file names.

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
};

std::vector<ReferenceCard> referenceSplit(std::string_view file) {
    Mark mark = markAt(file, 0);
    Text text{file, mark.size > 0 ? mark.encoding : TextEncoding::SingleByte};
    std::string markBytes(file.substr(0, mark.size));
    std::vector<ReferenceCard> cards;
    std::optional<std::size_t> open;
    int depth = 0;
    std::size_t agentCardAt = std::string::npos;
    const auto cut = [&](std::size_t end, CardEnd how) {
        cards.push_back({*open, end, markBytes, text.encoding, how});
        open.reset();
    };
    // Whether the line from `at` in `encoding` is a BEGIN line.
    const auto beginsAt = [&](std::size_t at, TextEncoding encoding) {
        std::size_t contentEnd, next;
        return kindOf(Text{file, encoding}.line(at, contentEnd, next)) == Kind::Begin;
    };
    for (std::size_t at = mark.size; at < file.size();) {
        const std::size_t agentAt = std::exchange(agentCardAt, std::string::npos);
        // A part starts: in UTF-16 with any other mark at a line start, and
        // with a mark and a BEGIN line, the mark of the text's own kind or,
        // in 8-bit text, a UTF-16 one.
        mark = markAt(file, at);
        const bool ownMark = text.wide() ? mark.encoding == text.encoding : mark.size == 3;
        if ((text.wide() && mark.size > 0 && !ownMark) ||
            (mark.size > 0 && (ownMark || !text.wide()) &&
             beginsAt(at + mark.size, mark.encoding))) {
            if (open) {
                cut(at, CardEnd::CutByNextCard);
                continue;
            }
            text.encoding = mark.encoding;
            markBytes = file.substr(at, mark.size);
            at += mark.size;
            continue;
        }
        std::size_t contentEnd, next;
        const std::size_t lineStart = at + (ownMark ? mark.size : 0);
        const std::string line = text.line(lineStart, contentEnd, next);
        Kind kind = kindOf(line);
        // END:VCARD with the next part's BEGIN line (after its mark) at once.
        std::size_t endSize = 0;
        if (kind == Kind::Other && !line.empty() && marker(line, endSize, "end") &&
            endSize < line.size()) {
            const std::size_t join = lineStart + endSize * text.unit();
            const Mark joined = markAt(file, join);
            if (beginsAt(join + joined.size, joined.size > 0 ? joined.encoding : text.encoding)) {
                kind = Kind::End;
                next = join;
            }
        }
        switch (kind) {
        case Kind::Begin:
            if (open && agentAt != at) {
                cut(at, CardEnd::CutByNextCard);
                continue;
            }
            depth = open ? depth + 1 : 1;
            open = open ? *open : at;
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

std::string generate(FuzzedDataProvider& in) {
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
                                                   "Exported: 2 contacts"};
    static const std::vector<std::string> lineEnds = {"\r\n", "\n", "\r", ""};
    std::string file;
    int last = 0;
    for (int parts = in.ConsumeIntegralInRange(1, 4); parts > 0 && in.remaining_bytes() > 0;
         --parts) {
        const int encoding = in.ConsumeIntegralInRange(0, 3); // 8-bit, UTF-8 marked, LE, BE
        // A UTF-16 line runs on through text in another encoding until its
        // own line end, so a part after a UTF-16 one starts on a line of its own.
        if (!file.empty() && (last >= 2 || encoding >= 2) && !file.ends_with('\n'))
            file += last >= 2 ? utf16("\r\n", last == 2) : "\r\n";
        std::string text;
        for (int count = in.ConsumeIntegralInRange(1, 12); count > 0; --count) {
            text += lines[in.ConsumeIntegralInRange<std::size_t>(0, lines.size() - 1)];
            text += lineEnds[in.ConsumeIntegralInRange<std::size_t>(0, lineEnds.size() - 1)];
        }
        if (encoding == 1)
            text = "\xEF\xBB\xBF" + text;
        if (encoding >= 2)
            text = utf16("\xEF\xBB\xBF" + text, encoding == 2);
        file += text;
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
    const std::string file = generate(in);
    const std::vector<ReferenceCard> expected = referenceSplit(file);
    for (const std::vector<std::size_t>& pieces :
         {std::vector<std::size_t>{}, std::vector<std::size_t>{size % 7 + 1, 1, 2, 3}}) {
        const std::vector<Card> cards = split(file, pieces, largestCard);
        require(cards.size() == expected.size(), "the splitter finds the reference's cards");
        for (std::size_t at = 0; at < cards.size(); ++at) {
            const Card& card = cards[at];
            const ReferenceCard& want = expected[at];
            const std::size_t cardSize = want.end - want.start;
            require(card.number == at + 1, "cards are numbered from 1 in order");
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

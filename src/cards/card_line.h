#pragma once
// One line of a card as both the splitter and the name reader see it. They
// must agree on where a nested card starts and ends, so the rules live here
// once. Lines are ASCII-compatible text without their line end.

#include "text/byte_words.h"

#include <cstddef>
#include <optional>
#include <string>
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
// around the colon and after the line. A line that starts with a blank
// continues the line before it in every vCard version, so an indented
// "END:VCARD" is text in a folded value (a NOTE, say), never a card's end.
CardLine ClassifyCardLine(std::string_view line);

// The length of the END:VCARD that `line` starts with (any letter case,
// blanks around the colon), or 0. Exports joined byte for byte put the next
// file's BEGIN:VCARD right after an END:VCARD that had no line end.
std::size_t LeadingEndMarkerSize(std::string_view line);

// Whether the text after a colon leaves room for the line to start, end or
// nest a card: every line ClassifyCardLine calls Begin, End or Agent... has a
// colon followed, after blanks, by the V of VCARD or by the line's end. A
// zero byte passes too: it is what follows the colon of a UTF-16 BEGIN line
// joined onto an 8-bit file, read a byte at a time. The
// splitter looks closer only at lines that pass, which spares it the lines of
// photos and notes. `afterColon` may stop where the bytes read so far end;
// text that is all blanks passes.
bool ColonMayMarkCard(std::string_view afterColon);

// Whether the character `c` (a byte, or a UTF-16 code unit) is a stray
// between cards: a blank, or a control character other than a line end.
// `copy a+b` ends the file it writes with a Ctrl-Z, which `copy /b` then
// joins on byte for byte, and some tools pad a file out with NUL bytes; such
// bytes in front of a BEGIN line (or between an END:VCARD and the BEGIN line
// joined onto it) are passed over as a byte-order mark there is.
constexpr bool IsStray(unsigned c) {
    return c == ' ' || c == '\t' || c == 0x7F || (c < 0x20 && c != '\r' && c != '\n');
}

// Whether `text` holds a BEGIN:VCARD anywhere (any letter case, blanks around
// the colon), NUL bytes between its characters left out so that UTF-16 text
// read a byte at a time counts too. Between cards, a line that holds one and
// starts no card may hide a contact, which is reported rather than lost.
bool HoldsBeginMarker(std::string_view text);

// Whether the line before the one at `lineStart` in `text` ends in "=", as
// a line broken by a soft line break does.
inline bool LineBeforeEndsInEquals(std::string_view text, std::size_t lineStart) {
    std::size_t end = lineStart;
    if (end > 0 && text[end - 1] == '\n')
        --end;
    if (end > 0 && text[end - 1] == '\r')
        --end;
    return end < lineStart && end > 0 && text[end - 1] == '=';
}

// ContinuesSoftBreak for a line whose line before ends in "=".
bool ContinuesSoftBreakAfterEquals(std::string_view text, std::size_t lineStart);

// Whether the line at `lineStart` in `text` continues a quoted-printable value
// that the line before broke softly (ended in "="), as LogicalLineAt reads
// the lines; such a line is text of the value whatever it reads, so an
// "END:VCARD" or "BEGIN:VCARD" there neither ends nor starts a card. `text`
// starts at a property's first line, such as a card's BEGIN line. Inline up
// to the look at the line before, which settles nearly every line the
// splitter and the name reader ask about.
inline bool ContinuesSoftBreak(std::string_view text, std::size_t lineStart) {
    return LineBeforeEndsInEquals(text, lineStart) &&
           ContinuesSoftBreakAfterEquals(text, lineStart);
}

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

// How a property's value is written, as its parameters say.
struct ValueEncoding {
    std::optional<std::string_view> charset; // CHARSET's value, without quotes or blanks
    // ENCODING=QUOTED-PRINTABLE, or the bare QUOTED-PRINTABLE vCard 2.1
    // writers also use.
    bool quotedPrintable = false;
};

// The value encoding `parameters` describe; parameter names and the encoding
// ignore letter case.
ValueEncoding ReadValueEncoding(std::string_view parameters);

// One property as a card writes it: its first physical line and the lines
// that continue it. A line that starts with a blank continues the line
// before (folding, in every vCard version); in a quoted-printable property
// (as ReadValueEncoding reads the first line's parameters) any line
// continues one that ends in "=" (a soft line break). The name reader, the
// duplicate check and the charset repair all read properties so, and must
// agree on where each ends.
struct LogicalLine {
    std::string_view first;   // the first physical line, without its line end
    std::string_view written; // all its lines as the text holds them, without the last line end
    std::size_t next = 0;     // where the line after it starts; the text's size after the last
    // Whether a line ending in "=" was continued as a soft line break rather
    // than by a fold; only asked, and so only known, when a line ends so.
    bool softBreaks = false;
};

// The logical line whose first physical line starts at `start` in `text`, a
// card's ASCII-compatible text. Line ends are CR LF, LF or CR.
LogicalLine LogicalLineAt(std::string_view text, std::size_t start);

// The text of `line` unfolded: a folded line without its leading blank, a
// soft line break without its "=", and no line end between. A line written
// on one physical line is its own text; one of several is built in `joined`.
std::string_view Unfolded(const LogicalLine& line, std::string& joined);

// `c` in lower case if it is an ASCII capital letter.
constexpr char LowerAscii(char c) {
    // Without a branch: which way one would go is anyone's guess here.
    const bool upper = static_cast<unsigned char>(c - 'A') < 26;
    return static_cast<char>(c + (upper ? 'a' - 'A' : 0));
}

// Whether `a` and `b` are equal ignoring ASCII letter case. Inline, because
// the splitter and the name reader compare names and parameters on every
// line they read, and eight letters at a time, as parameter names and values
// (CHARSET, QUOTED-PRINTABLE) are long enough for it to pay.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    if (a.size() < 8) {
        for (std::size_t at = 0; at < a.size(); ++at) {
            if (LowerAscii(a[at]) != LowerAscii(b[at]))
                return false;
        }
        return true;
    }
    const auto equalAt = [&](std::size_t at) {
        return LowerAsciiWord(LoadWord(a.data() + at)) == LowerAsciiWord(LoadWord(b.data() + at));
    };
    for (std::size_t at = 0; at + 8 < a.size(); at += 8) {
        if (!equalAt(at))
            return false;
    }
    return equalAt(a.size() - 8); // the last eight, overlapping the word before
}

} // namespace quorvane

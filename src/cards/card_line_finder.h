#pragma once
// Finds the lines of a file that may start, end or nest a card, in whatever
// the file stores text as: CR LF, LF or a lone CR, one byte a character or
// two (UTF-16 either way round). The bytes arrive in blocks that may end
// anywhere, even between the CR and LF of one line end or inside a UTF-16
// code unit.
//
// Most of a large contacts file is photo data, line after line of it. Only a
// line with a colon that ColonMayMarkCard lets pass can matter to the
// splitter, so in 8-bit text the finder looks for colons at memchr speed and
// never visits the lines between one by one. UTF-16 files are rare and small;
// their lines are all handed out, and what starts an export joined on at a
// line start is handed out as a line of its own: a byte-order mark of another
// encoding, or after stray bytes any mark in front of a BEGIN line, or a
// BEGIN line read a byte at a time.

#include "cards/read_buffer.h"
#include "cards/text_encoding.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

struct LineSpan {
    std::uint64_t start = 0;      // offset of the line's first byte
    std::uint64_t contentEnd = 0; // offset of its line end (or of the file's end)
    std::uint64_t end = 0;        // offset just past its line end
    // In UTF-16 text: an export joined on byte for byte starts at
    // `contentEnd`, after the stray bytes that are all the line holds: its
    // byte-order mark, or without one its 8-bit BEGIN line. The UTF-16 text
    // ends at `start`.
    bool startsPart = false;
};

class CardLineFinder {
public:
    explicit CardLineFinder(TextEncoding encoding);

    // The first line at or after `from` that may matter, once `buffer` holds
    // all of it with its line end (at the source's end, whatever is left is
    // the last line). Nothing while more bytes are needed, or when no such
    // line is left. `from` is a line start (for UTF-16, a whole number of code
    // units after the byte-order mark); it moves past the lines passed over,
    // so the caller can let go of them, and stays a line start. It never
    // moves back between calls.
    std::optional<LineSpan> find(const ReadBuffer& buffer, std::uint64_t& from);

    // `from` is where the rest of a long line picks up after the reader let
    // go of its start: no line start, so nothing there starts a part.
    void resumeMidLine(std::uint64_t from) { midLine_ = from; }

    // The line's content as ASCII-compatible text for telling what the line
    // is: the bytes themselves, or UTF-16 narrowed into `scratch` with every
    // non-ASCII character as 0x80.
    std::string_view text(const ReadBuffer& buffer, const LineSpan& line,
                          std::string& scratch) const;

private:
    static constexpr std::uint64_t Nowhere = std::numeric_limits<std::uint64_t>::max();

    // Where the next `byte` at or after `from` is, below `to`; Nowhere when
    // none is. Remembers what it found, so that no byte is searched twice
    // however many lines and blocks it is asked about.
    struct ByteSearch {
        char byte;
        std::uint64_t searchedFrom = 0;
        std::uint64_t searchedTo = 0;
        std::uint64_t found = Nowhere;

        std::uint64_t next(const ReadBuffer& buffer, std::uint64_t from, std::uint64_t to);
    };

    std::optional<LineSpan> findInBytes(const ReadBuffer& buffer, std::uint64_t& from);
    // The line from `lineStart` that holds the colon at `colon`.
    std::optional<LineSpan> lineThrough(const ReadBuffer& buffer, std::uint64_t lineStart,
                                        std::uint64_t colon);
    std::optional<LineSpan> lineInBytes(const ReadBuffer& buffer, std::uint64_t from);
    std::uint64_t lastLineStart(const ReadBuffer& buffer, std::uint64_t from);
    std::optional<LineSpan> lineInUnits(const ReadBuffer& buffer, std::uint64_t from);
    // The size of a byte-order mark of another encoding (UTF-8, or UTF-16 the
    // other way round) at `from`, a line start in UTF-16 text; 0 for none,
    // nothing while too few bytes have arrived to tell. Such a mark starts an
    // export joined on byte for byte, whose line ends this text's units would
    // never meet, so it is handed out as a line of its own at once and the
    // reader reads on in the mark's encoding.
    std::optional<std::uint64_t> foreignMarkSize(const ReadBuffer& buffer,
                                                 std::uint64_t from) const;
    // Where an export joined on starts after the stray bytes at `from`, a
    // line start in UTF-16 text: at a mark in front of a BEGIN line in the
    // mark's encoding, or at an 8-bit BEGIN line (a UTF-16 line never reads
    // as one a byte at a time). The strays are read a byte at a time, as
    // `copy` appends its Ctrl-Z as one byte even to UTF-16 text, which puts
    // what follows out of step with its code units. Nothing when there is
    // none, and in `undecided` whether too few bytes have arrived to tell.
    std::optional<std::uint64_t> joinedPartAt(const ReadBuffer& buffer, std::uint64_t from,
                                              bool& undecided) const;
    unsigned unitAt(const ReadBuffer& buffer, std::uint64_t offset) const;

    TextEncoding encoding_;
    // 8-bit text: where the search for the next colon picks up.
    std::uint64_t colonsSearchedTo_ = 0;
    ByteSearch lineFeeds_{'\n'};
    ByteSearch carriageReturns_{'\r'};
    // 8-bit text: the start of the last line seen, and how far back from the
    // end of the bytes read that was looked for.
    std::uint64_t lastLineStart_ = 0;
    std::uint64_t lastLineSearchedTo_ = 0;
    // UTF-16: where the line starting at unitsFrom_ holds no line end before.
    std::uint64_t unitsFrom_ = Nowhere;
    std::uint64_t unitsSearchedTo_ = 0;
    std::uint64_t midLine_ = Nowhere;
};

} // namespace quorvane

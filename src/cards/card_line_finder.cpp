#include "cards/card_line_finder.h"

#include "cards/card_line.h"
#include "text/byte_order_mark.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

namespace {

constexpr unsigned LineFeed = '\n';
constexpr unsigned CarriageReturn = '\r';

// Blanks between a colon and what decides whether its line may matter are
// rare and few; past this many the line is looked at anyway.
constexpr std::uint64_t ColonLookAhead = 64;

// How far past a UTF-16 line start the start of a joined export, strays in
// front and its BEGIN line included, is looked for: far enough for any a
// person or a tool writes, and well short of what the reader holds of a line
// before it lets go of it.
constexpr std::uint64_t JoinedPartLookAhead = 256;

bool isLineEnd(unsigned char byte) {
    return byte == '\n' || byte == '\r';
}

// ColonMayMarkCard for the bytes after a colon, up to `end`, settled on the
// first byte for nearly every colon without a call.
bool colonMayMarkCard(const char* afterColon, const char* end) {
    if (afterColon == end)
        return true;
    switch (*afterColon) {
    case 'v':
    case 'V':
    case '\r':
    case '\n':
    case '\0':
        return true;
    case ' ':
    case '\t':
        break;
    default:
        return false;
    }
    const auto lookAhead =
        std::min<std::size_t>(static_cast<std::size_t>(end - afterColon), ColonLookAhead);
    return ColonMayMarkCard(std::string_view(afterColon, lookAhead));
}

// Whether the line at `from`, read in `encoding`, is a BEGIN line, judged at
// its line end before `to`, or at `to` where the source ends; nothing while
// the bytes that have arrived leave it open. Past a lookahead that ends
// before them, it is none.
std::optional<bool> beginLineAt(const ReadBuffer& buffer, std::uint64_t from, std::uint64_t to,
                                TextEncoding encoding) {
    const std::uint64_t unit = IsUtf16(encoding) ? 2 : 1;
    std::string line;
    for (std::uint64_t at = from; at + unit <= to; at += unit) {
        unsigned c = buffer.byteAt(at);
        if (unit == 2)
            c = encoding == TextEncoding::Utf16Le ? c | buffer.byteAt(at + 1) << 8
                                                  : c << 8 | buffer.byteAt(at + 1);
        if (c == LineFeed || c == CarriageReturn)
            return ClassifyCardLine(line) == CardLine::Begin;
        if (line.empty() && (c | 0x20) != 'b')
            return false;
        line += static_cast<char>(c < 0x80 ? c : 0x80);
    }
    if (to < buffer.end())
        return false;
    if (!buffer.sourceEnded())
        return std::nullopt;
    return ClassifyCardLine(line) == CardLine::Begin;
}

} // namespace

CardLineFinder::CardLineFinder(TextEncoding encoding) : encoding_(encoding) {}

std::optional<LineSpan> CardLineFinder::find(const ReadBuffer& buffer, std::uint64_t& from) {
    if (from >= buffer.end())
        return std::nullopt;
    if (IsUtf16(encoding_))
        return lineInUnits(buffer, from);
    return findInBytes(buffer, from);
}

std::uint64_t CardLineFinder::ByteSearch::next(const ReadBuffer& buffer, std::uint64_t from,
                                               std::uint64_t to) {
    const bool known = from >= searchedFrom && from <= searchedTo;
    if (known && found != Nowhere && found >= from)
        return found;
    if (!known || found != Nowhere) {
        searchedFrom = from;
        searchedTo = from;
    }
    if (searchedTo < to) {
        const std::string_view bytes = buffer.bytes(searchedTo, to);
        const void* hit = std::memchr(bytes.data(), byte, bytes.size());
        found = hit ? searchedTo +
                          static_cast<std::uint64_t>(static_cast<const char*>(hit) - bytes.data())
                    : Nowhere;
        searchedTo = found == Nowhere ? to : found + 1;
    }
    return found;
}

std::optional<LineSpan> CardLineFinder::findInBytes(const ReadBuffer& buffer, std::uint64_t& from) {
    const std::uint64_t to = buffer.end();
    // Colons before colonsSearchedTo_ were all turned down when last looked
    // at; the one there, if any, is where the last line handed out stood, and
    // is looked at again in case that line is asked for once more.
    const std::uint64_t searchFrom = std::max(from, colonsSearchedTo_);
    // Most of the work of splitting is here: every colon of every property
    // line passes through this loop, so it runs on raw bytes rather than
    // through the buffer's offset arithmetic.
    const char* const first = buffer.bytes(searchFrom, to).data();
    const char* const last = first + (to - searchFrom);
    for (const char* at = first;;) {
        const auto* hit =
            static_cast<const char*>(std::memchr(at, ':', static_cast<std::size_t>(last - at)));
        if (!hit) {
            colonsSearchedTo_ = to;
            from = buffer.sourceEnded() ? to : lastLineStart(buffer, from);
            return std::nullopt;
        }
        at = hit + 1;
        if (!colonMayMarkCard(at, last))
            continue;
        const std::uint64_t colon = searchFrom + static_cast<std::uint64_t>(hit - first);
        colonsSearchedTo_ = colon;
        std::uint64_t lineStart = colon;
        while (lineStart > from && !isLineEnd(buffer.byteAt(lineStart - 1)))
            --lineStart;
        from = lineStart;
        return lineThrough(buffer, lineStart, colon);
    }
}

std::optional<LineSpan> CardLineFinder::lineThrough(const ReadBuffer& buffer,
                                                    std::uint64_t lineStart, std::uint64_t colon) {
    // A line that may start or end a card has little or nothing after its
    // colon ("VCARD"), so its line end is looked for byte by byte before a
    // search that pays off only over long lines.
    const std::uint64_t to = buffer.end();
    const std::uint64_t shortEnd = std::min(to, colon + 1 + ColonLookAhead);
    for (std::uint64_t at = colon + 1; at < shortEnd; ++at) {
        const unsigned char byte = buffer.byteAt(at);
        if (byte == '\n')
            return LineSpan{lineStart, at, at + 1};
        if (byte != '\r')
            continue;
        if (at + 1 < to)
            return LineSpan{lineStart, at, at + (buffer.byteAt(at + 1) == '\n' ? 2 : 1)};
        // A CR at the end of what has arrived may be the first half of CR LF.
        if (!buffer.sourceEnded())
            return std::nullopt;
        return LineSpan{lineStart, at, at + 1};
    }
    return lineInBytes(buffer, lineStart);
}

std::uint64_t CardLineFinder::lastLineStart(const ReadBuffer& buffer, std::uint64_t from) {
    const std::uint64_t to = buffer.end();
    const std::uint64_t floor = std::max(from, lastLineSearchedTo_);
    for (std::uint64_t at = to; at > floor; --at) {
        if (isLineEnd(buffer.byteAt(at - 1))) {
            lastLineStart_ = at;
            break;
        }
    }
    lastLineSearchedTo_ = to;
    return std::max(from, lastLineStart_);
}

std::optional<LineSpan> CardLineFinder::lineInBytes(const ReadBuffer& buffer, std::uint64_t from) {
    const std::uint64_t to = buffer.end();
    const std::uint64_t lineFeed = lineFeeds_.next(buffer, from, to);
    const std::uint64_t carriageReturn = carriageReturns_.next(buffer, from, to);
    const std::uint64_t lineEnd = std::min(lineFeed, carriageReturn);
    if (lineEnd == Nowhere) {
        if (buffer.sourceEnded())
            return LineSpan{from, to, to};
        return std::nullopt;
    }
    if (lineEnd == lineFeed)
        return LineSpan{from, lineEnd, lineEnd + 1};
    // A CR at the end of what has arrived may be the first half of CR LF.
    if (lineEnd + 1 == to && !buffer.sourceEnded())
        return std::nullopt;
    const bool pair = lineEnd + 1 < to && buffer.byteAt(lineEnd + 1) == '\n';
    return LineSpan{from, lineEnd, lineEnd + (pair ? 2 : 1)};
}

unsigned CardLineFinder::unitAt(const ReadBuffer& buffer, std::uint64_t offset) const {
    const unsigned first = buffer.byteAt(offset);
    const unsigned second = buffer.byteAt(offset + 1);
    return encoding_ == TextEncoding::Utf16Le ? first | second << 8 : first << 8 | second;
}

std::optional<LineSpan> CardLineFinder::lineInUnits(const ReadBuffer& buffer, std::uint64_t from) {
    const std::uint64_t to = buffer.end();
    if (unitsFrom_ != from) {
        unitsFrom_ = from;
        unitsSearchedTo_ = from;
    }
    if (unitsSearchedTo_ == from && from != midLine_) {
        const std::optional<std::uint64_t> mark = foreignMarkSize(buffer, from);
        if (!mark)
            return std::nullopt;
        if (*mark > 0)
            return LineSpan{from, from, from, true};
        bool undecided = false;
        if (const auto part = joinedPartAt(buffer, from, undecided))
            return LineSpan{from, *part, *part, true};
        if (undecided)
            return std::nullopt;
    }
    std::uint64_t at = unitsSearchedTo_;
    for (; at + 2 <= to; at += 2) {
        const unsigned unit = unitAt(buffer, at);
        if (unit == LineFeed)
            return LineSpan{from, at, at + 2};
        if (unit != CarriageReturn)
            continue;
        if (at + 4 <= to)
            return LineSpan{from, at, at + (unitAt(buffer, at + 2) == LineFeed ? 4 : 2)};
        if (buffer.sourceEnded())
            return LineSpan{from, at, at + 2};
        break; // the unit after the CR has yet to arrive
    }
    unitsSearchedTo_ = at;
    if (buffer.sourceEnded())
        return LineSpan{from, to, to};
    return std::nullopt;
}

std::optional<std::uint64_t> CardLineFinder::foreignMarkSize(const ReadBuffer& buffer,
                                                             std::uint64_t from) const {
    const std::string_view head =
        buffer.bytes(from, std::min(buffer.end(), from + Utf8ByteOrderMark.size()));
    const std::string_view otherOrder =
        encoding_ == TextEncoding::Utf16Le ? Utf16BeByteOrderMark : Utf16LeByteOrderMark;
    if (head.starts_with(otherOrder))
        return otherOrder.size();
    if (head.starts_with(Utf8ByteOrderMark))
        return Utf8ByteOrderMark.size();
    // The start of a UTF-8 mark waits for the bytes that may complete it.
    if (Utf8ByteOrderMark.starts_with(head) && !buffer.sourceEnded())
        return std::nullopt;
    return 0;
}

std::optional<std::uint64_t>
CardLineFinder::joinedPartAt(const ReadBuffer& buffer, std::uint64_t from, bool& undecided) const {
    const std::uint64_t to = std::min(buffer.end(), from + JoinedPartLookAhead);
    std::uint64_t start = from;
    while (start < to && IsStray(buffer.byteAt(start)))
        ++start;
    const std::string_view head =
        buffer.bytes(start, std::min(to, start + Utf8ByteOrderMark.size()));
    const DetectedEncoding mark = ByteOrderMarkAt(head);
    // The start of a mark, or no byte yet past the strays, waits for more.
    const auto cutShort = [&](std::string_view whole) {
        return head.size() < whole.size() && whole.starts_with(head);
    };
    if (mark.byteOrderMarkSize == 0 && to == buffer.end() && !buffer.sourceEnded() &&
        (cutShort(Utf8ByteOrderMark) || cutShort(Utf16LeByteOrderMark) ||
         cutShort(Utf16BeByteOrderMark))) {
        undecided = true;
        return std::nullopt;
    }
    const std::optional<bool> begins =
        beginLineAt(buffer, start + mark.byteOrderMarkSize, to, mark.encoding);
    undecided = !begins;
    if (!begins || !*begins)
        return std::nullopt;
    return start;
}

std::string_view CardLineFinder::text(const ReadBuffer& buffer, const LineSpan& line,
                                      std::string& scratch) const {
    if (!IsUtf16(encoding_))
        return buffer.bytes(line.start, line.contentEnd);
    scratch.clear();
    for (std::uint64_t at = line.start; at + 2 <= line.contentEnd; at += 2) {
        const unsigned unit = unitAt(buffer, at);
        scratch += static_cast<char>(unit < 0x80 ? unit : 0x80);
    }
    return scratch;
}

} // namespace quorvane

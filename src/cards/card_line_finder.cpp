#include "cards/card_line_finder.h"

#include "cards/card_line.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

namespace {

constexpr unsigned LineFeed = '\n';
constexpr unsigned CarriageReturn = '\r';

// Blanks between a colon and what decides whether its line may matter are
// rare and few; past this many the line is looked at anyway.
constexpr std::uint64_t ColonLookAhead = 64;

bool isLineEnd(unsigned char byte) {
    return byte == '\n' || byte == '\r';
}

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

} // namespace

CardLineFinder::CardLineFinder(TextEncoding encoding) : encoding_(encoding) {}

std::optional<LineSpan> CardLineFinder::find(const ReadBuffer& buffer, std::uint64_t& from) {
    if (from >= buffer.end())
        return std::nullopt;
    if (isUtf16(encoding_))
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
    for (std::uint64_t searchAt = from;;) {
        const std::uint64_t colon = colons_.next(buffer, searchAt, to);
        if (colon == Nowhere) {
            from = buffer.sourceEnded() ? to : lastLineStart(buffer, from);
            return std::nullopt;
        }
        const std::uint64_t lookAheadEnd = std::min(to, colon + 1 + ColonLookAhead);
        if (!ColonMayMarkCard(buffer.bytes(colon + 1, lookAheadEnd))) {
            searchAt = colon + 1;
            continue;
        }
        std::uint64_t lineStart = colon;
        while (lineStart > from && !isLineEnd(buffer.byteAt(lineStart - 1)))
            --lineStart;
        from = lineStart;
        return lineInBytes(buffer, lineStart);
    }
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

std::string_view CardLineFinder::text(const ReadBuffer& buffer, const LineSpan& line,
                                      std::string& scratch) const {
    if (!isUtf16(encoding_))
        return buffer.bytes(line.start, line.contentEnd);
    scratch.clear();
    for (std::uint64_t at = line.start; at + 2 <= line.contentEnd; at += 2) {
        const unsigned unit = unitAt(buffer, at);
        scratch += static_cast<char>(unit < 0x80 ? unit : 0x80);
    }
    return scratch;
}

} // namespace quorvane

#include "cards/card_reader.h"

#include "cards/card_line.h"
#include "text/byte_order_mark.h"

#include <utility>

namespace quorvane {

namespace {

// Large enough that reading costs little more per byte than it ever will,
// small enough to sit in the processor's cache while it is split.
constexpr std::size_t BlockSize = 64 * 1024;

// A line this long cannot be a BEGIN, END or AGENT line worth finding;
// outside a card (or in one too large to hold) it is skipped as it arrives
// rather than held whole, so that a file of junk without line ends cannot
// fill the memory.
constexpr std::uint64_t LongestJunkLine = 4096;

// What is kept of such a line when it is let go, so that a BEGIN:VCARD that
// the end of the bytes read cut in two is still seen whole in its rest.
constexpr std::uint64_t JunkLineOverlap = 64;

} // namespace

CardReader::CardReader(ByteSource& source, CodePages& codePages, std::uint64_t largestCard)
    : source_(source), names_(codePages), buffer_(BlockSize), largestCard_(largestCard) {}

Outcome<bool> CardReader::next(Card& card) {
    if (failure_)
        return *failure_;
    if (!encodingKnown_)
        detectEncoding();
    while (!done_) {
        if (const auto line = lines_.find(buffer_, scan_)) {
            if (take(*line, card))
                return true;
            continue;
        }
        if (buffer_.sourceEnded()) {
            done_ = true;
            if (cardStart_) {
                cut(buffer_.end(), CardEnd::CutByFileEnd, card);
                return true;
            }
            break;
        }
        if (pendingFailure_) {
            failure_ = std::move(pendingFailure_);
            return *failure_;
        }
        if (letGoOfHeldBytes() && handOutHiddenCard(card))
            return true;
        const std::uint64_t keepFrom = cardStart_ && !tooLarge_ ? *cardStart_ : scan_;
        if (auto read = buffer_.readMore(source_, keepFrom); !read) {
            failure_ = read.failure();
            return *failure_;
        }
    }
    return false;
}

void CardReader::detectEncoding() {
    while (buffer_.end() < EncodingDetectionBytes && !buffer_.sourceEnded()) {
        if (auto read = buffer_.readMore(source_, 0); !read) {
            pendingFailure_ = read.failure();
            break;
        }
    }
    const DetectedEncoding detected = DetectTextEncoding(buffer_.bytes(0, buffer_.end()));
    lines_ = CardLineFinder(detected.encoding);
    enterPart(0, detected);
    encodingKnown_ = true;
}

void CardReader::enterPart(std::uint64_t at, const DetectedEncoding& part) {
    encoding_ = part.encoding;
    markSupplied_ = IsUtf16(encoding_) && part.byteOrderMarkSize == 0;
    if (markSupplied_)
        byteOrderMark_ = std::string(encoding_ == TextEncoding::Utf16Le ? Utf16LeByteOrderMark
                                                                        : Utf16BeByteOrderMark);
    else
        byteOrderMark_ = buffer_.bytes(at, at + part.byteOrderMarkSize);
    scan_ = at + part.byteOrderMarkSize;
}

unsigned CardReader::unitAt(std::uint64_t at, TextEncoding encoding) const {
    const unsigned first = buffer_.byteAt(at);
    if (!IsUtf16(encoding))
        return first;
    const unsigned second = buffer_.byteAt(at + 1);
    return encoding == TextEncoding::Utf16Le ? first | second << 8 : first << 8 | second;
}

std::uint64_t CardReader::afterStrays(std::uint64_t from, std::uint64_t to) const {
    if (!IsUtf16(encoding_)) {
        while (from < to && IsStray(buffer_.byteAt(from)))
            ++from;
        return from;
    }
    while (from + 2 <= to && IsStray(unitAt(from, encoding_)))
        from += 2;
    return from;
}

bool CardReader::beginsAt(std::uint64_t from, std::uint64_t to, TextEncoding encoding) {
    beginScratch_.clear();
    const std::uint64_t unit = IsUtf16(encoding) ? 2 : 1;
    for (std::uint64_t at = from; at + unit <= to; at += unit) {
        const unsigned c = unitAt(at, encoding);
        if (c == '\r' || c == '\n')
            break;
        beginScratch_ += static_cast<char>(c < 0x80 ? c : 0x80);
    }
    return ClassifyCardLine(beginScratch_) == CardLine::Begin;
}

bool CardReader::take(const LineSpan& line, Card& card) {
    // The rest of a long line skipped in part cannot matter either, nor can
    // a line as long that arrived whole: what a line is does not depend on
    // where the blocks of the file happened to end.
    const bool junkRest = junkResumesAt_ == line.start;
    junkResumesAt_.reset();
    if (junkRest || line.contentEnd - line.start >= LongestJunkLine) {
        scan_ = line.end;
        return !cardStart_ && holdsBegin(line.start, line.contentEnd) && handOutHiddenCard(card);
    }
    if (line.startsPart) {
        const std::uint64_t markEnd =
            std::min(buffer_.end(), line.contentEnd + Utf8ByteOrderMark.size());
        return beginPart(line.start, line.contentEnd,
                         ByteOrderMarkAt(buffer_.bytes(line.contentEnd, markEnd)), card);
    }
    const std::optional<std::uint64_t> agentCardAt = std::exchange(agentCardAt_, std::nullopt);
    // Within a card a blank in front folds the line onto the one before. A
    // stray UTF-16 unit starts with a stray byte either way round.
    std::uint64_t start = line.start;
    if (!cardStart_ && start < line.contentEnd && IsStray(buffer_.byteAt(start)))
        start = afterStrays(start, line.contentEnd);
    // In UTF-16 text the finder hands out every mark that starts a part as a
    // line of its own; a mark of the text's own at a line start is all that
    // is left, and is read past.
    const DetectedEncoding mark = !IsUtf16(encoding_) || start == line.start
                                      ? ByteOrderMarkAt(buffer_.bytes(start, line.contentEnd))
                                      : DetectedEncoding{};
    const bool ownMark =
        mark.byteOrderMarkSize > 0 &&
        (IsUtf16(encoding_) ? mark.encoding == encoding_ : !IsUtf16(mark.encoding));
    // 8-bit text may hold a UTF-16 mark by chance, so it counts only in front
    // of a BEGIN line, and so do the zero bytes of UTF-16 without a mark.
    if (mark.byteOrderMarkSize > 0 && !ownMark &&
        beginsAt(start + mark.byteOrderMarkSize, line.contentEnd, mark.encoding))
        return beginPart(start, start, mark, card);
    if (mark.byteOrderMarkSize == 0 && !IsUtf16(encoding_)) {
        if (const auto wide = unmarkedUtf16At(line.start, start, line.contentEnd))
            return beginPart(line.start, wide->start, {wide->encoding, 0}, card);
    }
    const std::uint64_t textStart = start + (ownMark ? mark.byteOrderMarkSize : 0);
    const LineSpan textSpan{textStart, line.contentEnd, line.end};
    const std::string_view text = lines_.text(buffer_, textSpan, lineScratch_);
    CardLine kind = ClassifyCardLine(text);
    std::uint64_t lineEnd = line.end;
    if (kind == CardLine::Property) {
        if (const auto joined = joinedEnd(text, textStart, line)) {
            kind = CardLine::End;
            lineEnd = *joined;
        }
    }
    const bool marksCard = kind != CardLine::Property && kind != CardLine::Blank &&
                           kind != CardLine::Folded && textStart == line.start;
    if (cardStart_ && marksCard && continuesSoftBreak(line)) {
        kind = CardLine::Property;
        lineEnd = line.end;
    }
    if (kind == CardLine::Begin && textStart > start)
        return beginPart(start, start, mark, card);
    if (!cardStart_) {
        scan_ = lineEnd;
        if (kind == CardLine::Begin) {
            cardStart_ = start;
            depth_ = 1;
            hiddenCardHandedOut_ = false;
            return false;
        }
        // The rest of a line with a joined END is looked at by itself.
        return kind != CardLine::End && HoldsBeginMarker(text) && handOutHiddenCard(card);
    }
    switch (kind) {
    case CardLine::Begin:
        if (agentCardAt != line.start) {
            // This line starts the next card; it is looked at again then.
            cut(line.start, CardEnd::CutByNextCard, card);
            return true;
        }
        ++depth_;
        break;
    case CardLine::AgentOpensCard:
        ++depth_;
        break;
    case CardLine::AgentAwaitsCard:
        agentCardAt_ = line.end;
        break;
    case CardLine::End:
        if (--depth_ == 0) {
            scan_ = lineEnd;
            cut(lineEnd, CardEnd::Complete, card);
            return true;
        }
        break;
    default:
        break;
    }
    scan_ = lineEnd;
    return false;
}

bool CardReader::beginPart(std::uint64_t lineStart, std::uint64_t partStart,
                           const DetectedEncoding& part, Card& card) {
    if (cardStart_) {
        // The part starts the next card; this line is looked at again.
        scan_ = lineStart;
        cut(lineStart, CardEnd::CutByNextCard, card);
        return true;
    }
    if (IsUtf16(part.encoding) || IsUtf16(encoding_))
        lines_ = CardLineFinder(part.encoding);
    enterPart(partStart, part);
    return false;
}

std::optional<CardReader::UnmarkedUtf16>
CardReader::unmarkedUtf16At(std::uint64_t from, std::uint64_t at, std::uint64_t to) {
    // A zero byte passed over in front of the first letter is read as that
    // letter's high byte. It may as well be NUL padding in front of
    // little-endian text: the bytes are the same, and big-endian text has
    // nothing else to tell it by.
    if (at > from && buffer_.byteAt(at - 1) == 0)
        --at;
    if (at + 2 > to)
        return std::nullopt;
    TextEncoding order = TextEncoding::Utf16Be;
    if (buffer_.byteAt(at) != 0) {
        if (buffer_.byteAt(at + 1) != 0)
            return std::nullopt;
        order = TextEncoding::Utf16Le;
    }
    if (!beginsAt(at, to, order))
        return std::nullopt;
    return UnmarkedUtf16{at, order};
}

std::optional<std::uint64_t> CardReader::joinedEnd(std::string_view text, std::uint64_t textStart,
                                                   const LineSpan& line) {
    const std::size_t marker = LeadingEndMarkerSize(text);
    if (marker == 0 || marker == text.size())
        return std::nullopt;
    const std::uint64_t unit = IsUtf16(encoding_) ? 2 : 1;
    const std::uint64_t at = textStart + marker * unit;
    // Strays after it (the Ctrl-Z of `copy`) belong to no card.
    const std::uint64_t next = afterStrays(at, line.contentEnd);
    if (line.contentEnd - next < unit)
        return at;
    const DetectedEncoding mark = ByteOrderMarkAt(buffer_.bytes(next, line.contentEnd));
    if (beginsAt(next + mark.byteOrderMarkSize, line.contentEnd,
                 mark.byteOrderMarkSize > 0 ? mark.encoding : encoding_))
        return at;
    if (mark.byteOrderMarkSize == 0 && !IsUtf16(encoding_) &&
        unmarkedUtf16At(at, next, line.contentEnd))
        return at;
    return std::nullopt;
}

bool CardReader::continuesSoftBreak(const LineSpan& line) {
    // A card past the bound is held from where its bytes were let go on, a
    // line start nearly always, which the rule takes for a property's start.
    std::uint64_t from = std::max(*cardStart_, buffer_.start());
    if (!IsUtf16(encoding_))
        return ContinuesSoftBreak(buffer_.bytes(from, line.end),
                                  static_cast<std::size_t>(line.start - from));
    const std::uint64_t unit = 2;
    from += (from - *cardStart_) & 1;
    // Only after a line ending in "=", which few are; looked at before the
    // text is narrowed for the rule.
    std::uint64_t at = line.start;
    if (at >= from + unit && unitAt(at - unit, encoding_) == '\n')
        at -= unit;
    if (at >= from + unit && unitAt(at - unit, encoding_) == '\r')
        at -= unit;
    if (at == line.start || at < from + unit || unitAt(at - unit, encoding_) != '=')
        return false;
    const LineSpan held{from, line.contentEnd, line.end};
    return ContinuesSoftBreak(lines_.text(buffer_, held, cardScratch_),
                              static_cast<std::size_t>((line.start - from) / unit));
}

bool CardReader::holdsBegin(std::uint64_t from, std::uint64_t to) {
    return HoldsBeginMarker(lines_.text(buffer_, LineSpan{from, to, to}, lineScratch_));
}

bool CardReader::handOutHiddenCard(Card& card) {
    if (std::exchange(hiddenCardHandedOut_, true))
        return false;
    card.number = cardsSeen_;
    card.bytes.clear();
    card.displayName.clear();
    card.named = false;
    card.end = CardEnd::Complete;
    card.encoding = encoding_;
    card.tooLarge = false;
    card.size = 0;
    card.markSupplied = false;
    card.hidesCard = true;
    return true;
}

void CardReader::cut(std::uint64_t end, CardEnd how, Card& card) {
    const std::uint64_t start = *cardStart_;
    cardStart_.reset();
    card.number = ++cardsSeen_;
    card.end = how;
    card.encoding = encoding_;
    card.size = end - start;
    card.tooLarge = tooLarge_ || card.size > largestCard_;
    card.markSupplied = markSupplied_;
    card.hidesCard = false;
    card.bytes.clear();
    if (tooLarge_) {
        // Never stored, so never matched: whose name it is matters not.
        tooLarge_ = false;
        card.named = false;
        card.displayName.swap(tooLargeName_);
        return;
    }
    const std::string_view text = buffer_.bytes(start, end);
    if (!card.tooLarge) {
        card.bytes.assign(byteOrderMark_);
        card.bytes += text;
    }
    card.named = names_.read(text, encoding_, card.number, card.displayName);
}

bool CardReader::letGoOfHeldBytes() {
    const std::uint64_t held = buffer_.end() - scan_;
    if (cardStart_ && !tooLarge_) {
        // What the card surely holds: the lines passed, and the line at hand
        // once it is too long to start the next card.
        const std::uint64_t cardHolds = held > LongestJunkLine ? buffer_.end() : scan_;
        if (cardHolds - *cardStart_ <= largestCard_)
            return false;
        // Past the bound the card is let go as it is read on to its end; its
        // name is read now, from the part held, which holds it in every card
        // that has one near its top.
        tooLarge_ = true;
        names_.read(buffer_.bytes(*cardStart_, buffer_.end()), encoding_, cardsSeen_ + 1,
                    tooLargeName_);
    }
    if (held <= LongestJunkLine)
        return false;
    const bool hidesCard = !cardStart_ && holdsBegin(scan_, buffer_.end());
    // UTF-16 stays aligned to its code units.
    const std::uint64_t letGo = held - JunkLineOverlap;
    scan_ += IsUtf16(encoding_) ? letGo & ~std::uint64_t{1} : letGo;
    junkResumesAt_ = scan_;
    lines_.resumeMidLine(scan_);
    return hidesCard;
}

} // namespace quorvane

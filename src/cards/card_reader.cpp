#include "cards/card_reader.h"

#include "cards/card_line.h"
#include "cards/display_name.h"

namespace quorvane {

namespace {

// Large enough that reading costs little more per byte than it ever will,
// small enough to sit in the processor's cache while it is split.
constexpr std::size_t BlockSize = 64 * 1024;

// Outside a card, a line longer than this cannot be a BEGIN line worth
// finding; it is skipped as it arrives rather than held whole, so that a file
// of junk without line ends cannot fill the memory.
constexpr std::uint64_t LongestJunkLine = 4096;

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

} // namespace

CardReader::CardReader(ByteSource& source, CodePages& codePages)
    : source_(source), codePages_(codePages), buffer_(BlockSize) {}

Outcome<std::optional<Card>> CardReader::next() {
    if (failure_)
        return *failure_;
    if (!encodingKnown_)
        detectEncoding();
    while (!done_) {
        if (const auto line = lines_.find(buffer_, scan_)) {
            if (auto card = take(*line))
                return std::optional<Card>(std::move(*card));
            continue;
        }
        if (buffer_.sourceEnded()) {
            done_ = true;
            if (cardStart_)
                return std::optional<Card>(cut(buffer_.end(), false));
            break;
        }
        if (pendingFailure_) {
            failure_ = std::move(pendingFailure_);
            return *failure_;
        }
        skipLongJunkLine();
        const std::uint64_t keepFrom = cardStart_ ? *cardStart_ : scan_;
        if (auto read = buffer_.readMore(source_, keepFrom); !read) {
            failure_ = read.failure();
            return *failure_;
        }
    }
    return std::optional<Card>();
}

void CardReader::detectEncoding() {
    while (buffer_.end() < EncodingDetectionBytes && !buffer_.sourceEnded()) {
        if (auto read = buffer_.readMore(source_, 0); !read) {
            pendingFailure_ = read.failure();
            break;
        }
    }
    const DetectedEncoding detected = DetectTextEncoding(buffer_.bytes(0, buffer_.end()));
    encoding_ = detected.encoding;
    lines_ = CardLineFinder(encoding_);
    byteOrderMark_ = buffer_.bytes(0, detected.byteOrderMarkSize);
    scan_ = detected.byteOrderMarkSize;
    encodingKnown_ = true;
}

std::optional<Card> CardReader::take(const LineSpan& line) {
    // The rest of a junk line skipped in part is junk too.
    const bool junkRest = junkResumesAt_ == line.start;
    junkResumesAt_.reset();
    if (junkRest) {
        scan_ = line.end;
        return std::nullopt;
    }
    const CardLine kind = ClassifyCardLine(lines_.text(buffer_, line, lineScratch_));
    if (!cardStart_) {
        if (kind == CardLine::Begin) {
            cardStart_ = line.start;
            depth_ = 1;
            agentAwaitsCard_ = false;
        }
        scan_ = line.end;
        return std::nullopt;
    }
    switch (kind) {
    case CardLine::Begin:
        // This line starts the next card; it is looked at again then.
        if (!agentAwaitsCard_)
            return cut(line.start, false);
        agentAwaitsCard_ = false;
        ++depth_;
        break;
    case CardLine::AgentOpensCard:
        ++depth_;
        break;
    case CardLine::AgentAwaitsCard:
        agentAwaitsCard_ = true;
        break;
    case CardLine::End:
        agentAwaitsCard_ = false;
        if (--depth_ == 0) {
            scan_ = line.end;
            return cut(line.end, true);
        }
        break;
    default:
        break;
    }
    scan_ = line.end;
    return std::nullopt;
}

Card CardReader::cut(std::uint64_t end, bool terminated) {
    const std::string_view text = buffer_.bytes(*cardStart_, end);
    cardStart_.reset();
    Card card;
    card.number = ++cardsSeen_;
    card.terminated = terminated;
    card.bytes.reserve(byteOrderMark_.size() + text.size());
    card.bytes = byteOrderMark_;
    card.bytes += text;
    card.displayName = CardDisplayName(text, encoding_, codePages_, card.number);
    return card;
}

void CardReader::skipLongJunkLine() {
    const std::uint64_t held = buffer_.end() - scan_;
    if (cardStart_ || held <= LongestJunkLine)
        return;
    // UTF-16 stays aligned to its code units.
    scan_ += isUtf16(encoding_) ? held & ~std::uint64_t{1} : held;
    junkResumesAt_ = scan_;
}

} // namespace quorvane

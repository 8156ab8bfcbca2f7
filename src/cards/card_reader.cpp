#include "cards/card_reader.h"

#include "cards/card_line.h"

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
    : source_(source), names_(codePages), buffer_(BlockSize) {}

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
                cut(buffer_.end(), false, card);
                return true;
            }
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
    encoding_ = detected.encoding;
    lines_ = CardLineFinder(encoding_);
    byteOrderMark_ = buffer_.bytes(0, detected.byteOrderMarkSize);
    scan_ = detected.byteOrderMarkSize;
    encodingKnown_ = true;
}

bool CardReader::take(const LineSpan& line, Card& card) {
    // The rest of a junk line skipped in part is junk too.
    const bool junkRest = junkResumesAt_ == line.start;
    junkResumesAt_.reset();
    if (junkRest) {
        scan_ = line.end;
        return false;
    }
    const CardLine kind = ClassifyCardLine(lines_.text(buffer_, line, lineScratch_));
    if (!cardStart_) {
        if (kind == CardLine::Begin) {
            cardStart_ = line.start;
            depth_ = 1;
            agentAwaitsCard_ = false;
        }
        scan_ = line.end;
        return false;
    }
    switch (kind) {
    case CardLine::Begin:
        // This line starts the next card; it is looked at again then.
        if (!agentAwaitsCard_) {
            cut(line.start, false, card);
            return true;
        }
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
            cut(line.end, true, card);
            return true;
        }
        break;
    default:
        break;
    }
    scan_ = line.end;
    return false;
}

void CardReader::cut(std::uint64_t end, bool terminated, Card& card) {
    const std::string_view text = buffer_.bytes(*cardStart_, end);
    cardStart_.reset();
    card.number = ++cardsSeen_;
    card.terminated = terminated;
    card.bytes.assign(byteOrderMark_);
    card.bytes += text;
    names_.read(text, encoding_, card.number, card.displayName);
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

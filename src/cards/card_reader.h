#pragma once
// Splits a vCard file into its cards. Outlook, asked to open a .vcf, reads
// only the first card in it, and phone and mail exports hold hundreds in one
// file; the import run hands Outlook one card at a time instead.

#include "cards/card_line_finder.h"
#include "cards/display_name.h"
#include "cards/read_buffer.h"
#include "cards/text_encoding.h"
#include "platform/byte_source.h"
#include "platform/code_pages.h"
#include "platform/outcome.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

struct Card {
    std::size_t number = 0; // 1-based place in the file, counting top-level cards only
    // The card's bytes exactly as the file holds them, from the start of its
    // BEGIN line through its END line and that line's line end (if it has
    // one), with the file's byte-order mark in front when the file has one:
    // written to a file of its own, it reads as the original did, UTF-16
    // included. Nothing is re-encoded, unfolded or rewritten.
    std::string bytes;
    std::string displayName; // see CardDisplayName: UTF-8, never empty
    // False for a card cut off before its END:VCARD line: by the end of the
    // file, or by the BEGIN:VCARD of the next card (a BEGIN that does not
    // follow an AGENT property cannot be a nested card).
    bool terminated = true;
};

class CardReader {
public:
    // Both must outlive the reader.
    CardReader(ByteSource& source, CodePages& codePages);
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    // Puts the next card into `card` and says true; false after the last
    // one, or the source's failure (cards handed out before it stay good).
    // After the end or a failure, every call gives the same again and leaves
    // `card` alone. Every field of `card` is written over, in the room its
    // strings already have: passing the same Card each time spares a file
    // of many cards an allocation per card.
    //
    // A card starts at a BEGIN:VCARD line and ends at its END:VCARD line,
    // matched in any letter case with blanks around the colon, after lines
    // ending in CR LF, LF or CR. Lines outside cards are skipped. A card
    // nested in another through AGENT stays inside it: a BEGIN:VCARD on the
    // AGENT line itself, or the next BEGIN:VCARD line after an AGENT line with
    // nothing after its colon. The reader holds at most about one card and a
    // block of the file at a time.
    Outcome<bool> next(Card& card);

    // How the file stores its text, known once next() has been called.
    TextEncoding encoding() const { return encoding_; }

private:
    void detectEncoding();
    // Whether `line` completes or cuts off a card, which then is in `card`.
    bool take(const LineSpan& line, Card& card);
    void cut(std::uint64_t end, bool terminated, Card& card);
    void skipLongJunkLine();

    ByteSource& source_;
    CardNameReader names_;
    ReadBuffer buffer_;
    TextEncoding encoding_ = TextEncoding::SingleByte;
    CardLineFinder lines_{TextEncoding::SingleByte};
    std::string byteOrderMark_;
    std::string lineScratch_;
    std::optional<Failure> failure_;
    // A failure met while looking for the encoding; the cards already read
    // come first.
    std::optional<Failure> pendingFailure_;
    bool encodingKnown_ = false;
    bool done_ = false;

    std::uint64_t scan_ = 0; // where the next line to look at starts
    std::optional<std::uint64_t> cardStart_;
    int depth_ = 0;
    bool agentAwaitsCard_ = false;
    // Where the rest of a long junk line picks up after its start was let go.
    std::optional<std::uint64_t> junkResumesAt_;
    std::size_t cardsSeen_ = 0;
};

} // namespace quorvane

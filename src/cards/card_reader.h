#pragma once
// Splits a vCard file into its cards. Outlook, asked to open a .vcf, reads
// only the first card in it, and phone and mail exports hold hundreds in one
// file; the import run hands Outlook one card at a time instead.

#include "base/outcome.h"
#include "cards/card_line_finder.h"
#include "cards/display_name.h"
#include "cards/read_buffer.h"
#include "cards/text_encoding.h"
#include "platform/byte_source.h"
#include "platform/code_pages.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

// How a card came to its end in the file.
enum class CardEnd {
    Complete,      // at its own END:VCARD line
    CutByNextCard, // cut off by the next card's BEGIN:VCARD (or the next joined export)
    CutByFileEnd,  // cut off by the end of the file
};

// The largest card held whole. A contact's photo is a few hundred kilobytes
// even from a phone camera (Outlook and the phones shrink them to a thumbnail
// before export), so no real contact comes near 16 MB; a bigger "card" is a
// file whose END:VCARD was lost, and holding it whole would only grow the
// memory with the file, up to failing on a file of gigabytes.
inline constexpr std::uint64_t LargestCard = 16 * 1024 * 1024;

struct Card {
    std::size_t number = 0; // 1-based place in the file, counting top-level cards only
    // The card's bytes exactly as the file holds them, from the start of its
    // BEGIN line through its END line and that line's line end (if it has
    // one), with the byte-order mark of its part of the file in front (the
    // file's own, or the one in front of an export joined on): written to a
    // file of its own, it reads as the original did, UTF-16 included.
    // Nothing is re-encoded, unfolded or rewritten. Empty when tooLarge.
    std::string bytes;
    std::string displayName; // see CardDisplayName: UTF-8, never empty
    bool named = false;      // the name is the card's own, not "contact <number>"
    CardEnd end = CardEnd::Complete;
    TextEncoding encoding = TextEncoding::SingleByte; // how `bytes` store their text
    // Larger than the reader's bound (LargestCard unless lowered): its bytes
    // were let go while it was read, and its name comes from the part held.
    bool tooLarge = false;
    std::uint64_t size = 0; // the card's bytes in the file, without a byte-order mark
    // The mark in front of `bytes` is not the file's own: UTF-16 text without
    // one gets the mark of its byte order, as Outlook reads a card file
    // without one as 8-bit text and refuses it.
    bool markSupplied = false;
    // No card, but text between cards that holds a BEGIN:VCARD where no card
    // can start ("see BEGIN:VCARD", "AGENT:BEGIN:VCARD" outside a card), so a
    // contact may be lost there: reported rather than dropped unsaid, once
    // for all such text between two cards. `number` is that of the card
    // before (0 before the first); the other fields say nothing.
    bool hidesCard = false;
};

class CardReader {
public:
    // Both must outlive the reader. A card larger than `largestCard` bytes
    // is handed out without its bytes (see Card::tooLarge).
    CardReader(ByteSource& source, CodePages& codePages, std::uint64_t largestCard = LargestCard);
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
    // ending in CR LF, LF or CR. Lines outside cards are skipped, and a line
    // that starts with a blank continues the one before it, never starting
    // or ending a card. A card nests in another only as an AGENT's value: a
    // BEGIN:VCARD on the AGENT line itself, or the BEGIN:VCARD line right
    // after an AGENT line with nothing after its colon; any other BEGIN:VCARD
    // starts the next card and cuts off the one before.
    //
    // Files joined byte for byte are split as their parts would be: a
    // byte-order mark in front of a BEGIN line (at a line start, or right
    // after an END:VCARD that has no line end) starts a part in the mark's
    // encoding, and "END:VCARDBEGIN:VCARD" on one line ends one card and
    // starts the next. In UTF-16 text, a mark of another encoding at a line
    // start switches to it whatever follows.
    //
    // Text joined on without a mark is told by its BEGIN line. In UTF-16
    // text, one read a byte at a time at a line start, after stray bytes
    // (see IsStray), is 8-bit text; in 8-bit text, one whose letters each
    // have a zero byte after them is UTF-16 little-endian, and before them
    // big-endian, and its cards get the mark of its byte order.
    //
    // Between cards, stray characters are passed over in front of a BEGIN
    // line and in front of the mark in front of one (at a UTF-16 line start
    // a byte at a time, as the Ctrl-Z of `copy` is one byte whatever the
    // text), and after an END:VCARD, whose card ends right there when the
    // rest of its line is strays or a BEGIN line. A line of 4 KB or more is
    // no BEGIN, END or AGENT line, however it reads.
    //
    // A line between cards that holds a BEGIN:VCARD and starts no card is
    // handed out as a card that hides one (see Card::hidesCard).
    //
    // Within a card, a line that continues a quoted-printable value
    // (ContinuesSoftBreak) starts, ends and nests nothing; in a card past the
    // bound that is judged from the text held.
    //
    // The reader holds a few blocks of the file and at most about
    // `largestCard` bytes of one card, whatever the file.
    Outcome<bool> next(Card& card);

    // How the file stores its text where the reader stands: known once next()
    // has been called, and changed by a joined part in another encoding.
    TextEncoding encoding() const { return encoding_; }

private:
    void detectEncoding();
    // Reads on from `at` in the encoding of a part that starts there: at its
    // mark, or without one at its text, which in UTF-16 gets the mark of its
    // byte order.
    void enterPart(std::uint64_t at, const DetectedEncoding& part);
    // Whether `line` completes or cuts off a card, which then is in `card`.
    bool take(const LineSpan& line, Card& card);
    // For the line from `lineStart` on which a joined part starts at
    // `partStart`: whether it cut off a card.
    bool beginPart(std::uint64_t lineStart, std::uint64_t partStart, const DetectedEncoding& part,
                   Card& card);
    struct UnmarkedUtf16 {
        std::uint64_t start;
        TextEncoding encoding;
    };
    // In 8-bit text: UTF-16 without a mark whose BEGIN line stands at `at`,
    // up to `to`, on a line (or the rest of one) that starts at `from`.
    std::optional<UnmarkedUtf16> unmarkedUtf16At(std::uint64_t from, std::uint64_t at,
                                                 std::uint64_t to);
    // Where the END:VCARD that `text` (the line from `textStart`) starts
    // with ends, when a BEGIN line of a joined export follows it at once.
    std::optional<std::uint64_t> joinedEnd(std::string_view text, std::uint64_t textStart,
                                           const LineSpan& line);
    // Whether the bytes from `from` up to the first line end before `to`,
    // read in `encoding`, are a BEGIN line.
    bool beginsAt(std::uint64_t from, std::uint64_t to, TextEncoding encoding);
    // The UTF-16 code unit or the byte at `at`, as `encoding` stores text.
    unsigned unitAt(std::uint64_t at, TextEncoding encoding) const;
    // Where the stray characters from `from` on, before `to`, end.
    std::uint64_t afterStrays(std::uint64_t from, std::uint64_t to) const;
    // Whether the card at hand has `line` continue a quoted-printable value.
    bool continuesSoftBreak(const LineSpan& line);
    // Whether the bytes from `from` to `to`, outside a card, hold a BEGIN:VCARD.
    bool holdsBegin(std::uint64_t from, std::uint64_t to);
    // Puts into `card` the text between cards that hides one, unless such
    // text since the last card was handed out already; whether it did.
    bool handOutHiddenCard(Card& card);
    void cut(std::uint64_t end, CardEnd how, Card& card);
    // Whether the bytes it let go of, outside a card, held a BEGIN:VCARD.
    bool letGoOfHeldBytes();

    ByteSource& source_;
    CardNameReader names_;
    ReadBuffer buffer_;
    std::uint64_t largestCard_;
    TextEncoding encoding_ = TextEncoding::SingleByte;
    CardLineFinder lines_{TextEncoding::SingleByte};
    std::string byteOrderMark_; // of the part of the file being read
    std::string lineScratch_;
    std::string beginScratch_;
    std::string cardScratch_;
    std::optional<Failure> failure_;
    // A failure met while looking for the encoding; the cards already read
    // come first.
    std::optional<Failure> pendingFailure_;
    bool encodingKnown_ = false;
    bool done_ = false;

    std::uint64_t scan_ = 0; // where the next line to look at starts
    std::optional<std::uint64_t> cardStart_;
    int depth_ = 0;
    // Where the line after an AGENT line with an empty value starts, when the
    // last line looked at was one: a BEGIN line there is the agent's card.
    std::optional<std::uint64_t> agentCardAt_;
    // The card at hand has grown past largestCard_ and its bytes are let go;
    // its name was read from what was held.
    bool tooLarge_ = false;
    std::string tooLargeName_;
    // Where the rest of a long line picks up after its start was let go.
    std::optional<std::uint64_t> junkResumesAt_;
    std::size_t cardsSeen_ = 0;
    bool markSupplied_ = false;
    // Text that hides a card was handed out since the last card started.
    bool hiddenCardHandedOut_ = false;
};

} // namespace quorvane

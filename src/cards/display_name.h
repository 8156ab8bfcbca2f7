#pragma once
// The name a card goes by in the progress text and the run's record.

#include "cards/text_encoding.h"
#include "platform/code_pages.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

// The display name of `card`: the card's text from its BEGIN line through its
// END line, without a byte-order mark, stored in `encoding`. `number` is the
// card's 1-based place in its file.
//
// The first FN with any text in it, else "given family" from the first N
// (family;given;additional;prefix;suffix) that has either, else
// "contact <number>". Only the card's own properties count, not those of a
// card nested in it (an AGENT). Folded lines are unfolded, quoted-printable
// decoded, CHARSET honoured (see DecodeCharset; a UTF-16 file's own text is
// Unicode already and only quoted-printable bytes go by it), and the
// backslash escapes of vCard 3.0 and 4.0 undone. Line breaks and tabs in a
// name become spaces, other control characters are dropped, and blanks at
// either end are trimmed. The result is never empty and always well-formed
// UTF-8.
std::string CardDisplayName(std::string_view card, TextEncoding encoding, CodePages& codePages,
                            std::size_t number);

// CardDisplayName for card after card of a file. The splitter reads a name
// for every card, so the reader keeps its working room from one to the next
// and writes each name over the last: most names then cost no allocation.
class CardNameReader {
public:
    // `codePages` must outlive the reader.
    explicit CardNameReader(CodePages& codePages);
    ~CardNameReader();
    CardNameReader(const CardNameReader&) = delete;
    CardNameReader& operator=(const CardNameReader&) = delete;

    // Sets `name` to CardDisplayName(card, encoding, codePages, number);
    // false when that is the stand-in "contact <number>": the card has no
    // name of its own, and two such cards are not one person.
    bool read(std::string_view card, TextEncoding encoding, std::size_t number, std::string& name);

private:
    struct Scratch;

    CodePages& codePages_;
    std::unique_ptr<Scratch> scratch_;
};

} // namespace quorvane

// A contacts file holds whatever a phone, a mail program or a person wrote.
// Splitting it must not crash, must hand out cards that are the file's own
// bytes in the file's order, with names that read as text and make safe file
// names, and must split the same however the file arrives in pieces.

#include "cards/card_file_name.h"
#include "cards/card_reader.h"
#include "cards/memory_byte_source.h"
#include "cards/text_encoding.h"
#include "fake_code_pages.h"
#include "require.h"
#include "text/utf8_text.h"

#include <string>
#include <string_view>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

std::vector<Card> split(std::string_view file, std::vector<std::size_t> pieces) {
    MemoryByteSource source{std::string(file), std::move(pieces)};
    testing::FakeCodePages codePages;
    CardReader reader(source, codePages);
    std::vector<Card> cards;
    // One Card for all, as the import passes it: nothing of one card may
    // stay behind in the next.
    Card card;
    for (;;) {
        auto next = reader.next(card);
        require(next.succeeded(), "a file in memory never fails to read");
        if (!next.value())
            return cards;
        cards.push_back(card);
    }
}

bool sameCards(const std::vector<Card>& a, const std::vector<Card>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t at = 0; at < a.size(); ++at) {
        if (a[at].bytes != b[at].bytes || a[at].displayName != b[at].displayName ||
            a[at].terminated != b[at].terminated || a[at].number != b[at].number)
            return false;
    }
    return true;
}

bool hasControl(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

void checkFileName(const Card& card) {
    const std::string name = CardFileName(card.number, card.displayName);
    require(name.ends_with(".vcf"), "a card's file name ends in .vcf");
    require(IsUtf8(name), "a card's file name is well-formed UTF-8");
    require(name.find_first_of("\\/:*?\"<>|") == std::string::npos && !hasControl(name),
            "a card's file name holds no character Windows forbids");
    require(name.find("..") == std::string::npos, "a card's file name holds no \"..\"");
    const std::string part = SafeFileNamePart(card.displayName);
    require(Utf8PrefixBytes(part, CardFileNameCharacters) == part.size(),
            "a card's file name keeps a bounded part of the name");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::vector<Card> cards = split(file, {});

    const std::string_view mark = file.substr(0, DetectTextEncoding(file).byteOrderMarkSize);
    std::size_t from = mark.size();
    for (std::size_t at = 0; at < cards.size(); ++at) {
        const Card& card = cards[at];
        require(card.number == at + 1, "cards are numbered from 1 in order");
        require(card.bytes.starts_with(mark), "a card carries the file's byte-order mark");
        const std::string_view body = std::string_view(card.bytes).substr(mark.size());
        require(!body.empty(), "a card is never empty");
        const std::size_t found = file.find(body, from);
        require(found != std::string_view::npos, "a card is the file's own bytes, after the last");
        from = found + body.size();
        require(!card.displayName.empty(), "a display name is never empty");
        require(IsUtf8(card.displayName), "a display name is well-formed UTF-8");
        require(!hasControl(card.displayName), "a display name holds no control character");
        require(card.displayName.front() != ' ' && card.displayName.back() != ' ',
                "a display name is trimmed");
        checkFileName(card);
    }

    require(sameCards(split(file, {size % 7 + 1, 1, 2, 3}), cards),
            "a file split the same whatever pieces it arrives in");
    return 0;
}

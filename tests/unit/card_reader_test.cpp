#include "cards/card_reader.h"
#include "cards/memory_byte_source.h"

#include "card_samples.h"
#include "fake_code_pages.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct Reading {
    std::vector<Card> cards;
    std::vector<std::size_t> hiddenCards; // the numbers of the cards before them
    std::optional<Failure> failure;
    TextEncoding encoding = TextEncoding::SingleByte;
};

Reading readAll(ByteSource& source, std::uint64_t largestCard = LargestCard) {
    FakeCodePages codePages;
    CardReader reader(source, codePages, largestCard);
    Reading reading;
    // One Card for all, as the import passes it: nothing of one card may
    // stay behind in the next.
    Card card;
    for (;;) {
        auto next = reader.next(card);
        if (!next) {
            reading.failure = next.failure();
            break;
        }
        if (!next.value())
            break;
        if (card.hidesCard)
            reading.hiddenCards.push_back(card.number);
        else
            reading.cards.push_back(card);
    }
    reading.encoding = reader.encoding();
    return reading;
}

// How a source hands the file out: blocks that end inside BEGIN lines, between
// the CR and LF of a line end and inside UTF-16 code units.
struct Pieces {
    std::string name;
    std::vector<std::size_t> sizes; // empty: as much as the reader asks for
};

void PrintTo(const Pieces& pieces, std::ostream* out) {
    *out << pieces.name;
}

const std::vector<Pieces> PieceSizes = {
    {"Whole", {}},       {"OneByte", {1}},    {"TwoBytes", {2}},
    {"ThreeBytes", {3}}, {"SevenBytes", {7}}, {"OneToSeven", {1, 2, 3, 4, 5, 6, 7}},
};

class CardReaderSampleTest : public ::testing::TestWithParam<std::tuple<SampleFile, Pieces>> {};

TEST_P(CardReaderSampleTest, FindsEveryCardWithItsOwnBytesNameAndEnd) {
    const auto& [sample, pieces] = GetParam();
    MemoryByteSource source(sample.bytes(), pieces.sizes);
    const Reading reading = readAll(source);

    ASSERT_FALSE(reading.failure) << reading.failure->description;
    EXPECT_EQ(reading.encoding, sample.encoding);
    const std::vector<SamplePart> expected = sample.cards();
    ASSERT_EQ(reading.cards.size(), expected.size());
    // Junk between cards that holds a BEGIN:VCARD is reported, whatever the blocks.
    const bool hides = std::ranges::any_of(sample.parts, [](SamplePart part) {
        std::erase(part.bytes, '\0');
        return !part.displayName && part.bytes.find("BEGIN:VCARD") != std::string::npos;
    });
    EXPECT_EQ(reading.hiddenCards.size(), hides ? 1u : 0u);
    for (std::size_t at = 0; at < expected.size(); ++at) {
        SCOPED_TRACE("card " + std::to_string(at + 1));
        const Card& card = reading.cards[at];
        EXPECT_EQ(card.number, at + 1);
        // UTF-16 without a mark gets one, or Outlook reads it as 8-bit text.
        const bool supplied = sample.byteOrderMark.empty() && IsUtf16(sample.encoding);
        EXPECT_EQ(card.markSupplied, supplied);
        EXPECT_EQ(card.bytes,
                  (supplied ? Utf16BytesFromUtf8(Utf8ByteOrderMark,
                                                 sample.encoding == TextEncoding::Utf16Le
                                                     ? ByteOrder::LittleEndian
                                                     : ByteOrder::BigEndian)
                            : sample.byteOrderMark) +
                      expected[at].bytes);
        EXPECT_EQ(card.displayName, *expected[at].displayName);
        EXPECT_EQ(card.end == CardEnd::Complete, expected[at].terminated);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, CardReaderSampleTest,
                         ::testing::Combine(::testing::ValuesIn(SampleFiles()),
                                            ::testing::ValuesIn(PieceSizes)),
                         [](const auto& info) {
                             return std::get<0>(info.param).name + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST(CardReaderTest, CardsOfEveryShapeInOneFileAreItsCardRegionsExactly) {
    std::string file;
    std::string cardRegions;
    for (const SampleFile& sample : SampleFiles()) {
        // One file holds one kind of text, and a cut-off card would run into
        // the next sample.
        if (!sample.byteOrderMark.empty() || sample.encoding != TextEncoding::SingleByte)
            continue;
        bool endsWithCard = false;
        for (const SamplePart& part : sample.parts) {
            if (!part.terminated)
                continue;
            file += part.bytes;
            endsWithCard = part.displayName.has_value();
            if (endsWithCard)
                cardRegions += part.bytes;
        }
        // The next sample starts on a line of its own; the line end that
        // takes belongs to a card that ended the file without one.
        if (!file.ends_with('\n') && !file.ends_with('\r')) {
            file += "\r\n";
            if (endsWithCard)
                cardRegions += "\r\n";
        }
    }
    MemoryByteSource source(file, {1, 2, 3, 4, 5, 6, 7});
    const Reading reading = readAll(source);

    ASSERT_FALSE(reading.failure);
    std::string cardBytes;
    for (const Card& card : reading.cards)
        cardBytes += card.bytes;
    EXPECT_EQ(cardBytes, cardRegions);
}

// Files in the shapes that joining exports, folding and stray bytes give,
// each with the cards it must give.
struct ShapeCard {
    std::string name;
    CardEnd end;
    bool tooLarge;
    // When given: what the card is read in, whose mark (supplied or not, as
    // said) and BEGIN and FN lines its bytes start with.
    std::optional<TextEncoding> encoding = std::nullopt;
    bool markSupplied = false;
};

struct ShapeCase {
    std::string name;
    std::string file;
    std::vector<ShapeCard> cards;
    std::uint64_t largestCard = LargestCard;
};

std::string card(std::string_view name, std::string_view end = "END:VCARD\r\n") {
    return "BEGIN:VCARD\r\nFN:" + std::string(name) + "\r\n" + std::string(end);
}

std::string utf16(std::string_view text) {
    return "\xFF\xFE" + Utf16BytesFromUtf8(text, ByteOrder::LittleEndian);
}

// `text` as `encoding` stores it, behind the encoding's mark if `marked`.
std::string encoded(std::string text, TextEncoding encoding, bool marked = false) {
    if (marked && encoding != TextEncoding::SingleByte)
        text = std::string(Utf8ByteOrderMark) + text;
    if (!IsUtf16(encoding))
        return text;
    return Utf16BytesFromUtf8(text, encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian
                                                                      : ByteOrder::BigEndian);
}

constexpr auto Complete = CardEnd::Complete;
constexpr auto CutByNext = CardEnd::CutByNextCard;
constexpr auto CutByEnd = CardEnd::CutByFileEnd;
const std::string Bom = "\xEF\xBB\xBF";

TEST(CardReaderTest, FindsEveryCardWhateverTheShapeOfTheFile) {
    const std::string photo = "PHOTO;ENCODING=b:" + std::string(3000, 'Q') + "\r\n";
    std::vector<ShapeCase> cases = {
        {"JoinedWithMarks",
         Bom + card("A") + Bom + card("B") + Bom + card("C"),
         {{"A", Complete, false}, {"B", Complete, false}, {"C", Complete, false}}},
        {"JoinedWithoutLineEnds",
         card("A", "END:VCARD") + Bom + card("B", "END:VCARD") + card("C", "end : vcard"),
         {{"A", Complete, false}, {"B", Complete, false}, {"C", Complete, false}}},
        {"Utf16JoinedWithMidTextMark",
         utf16(card("A")) + utf16(card("B", "END:VCARD")) + utf16(card("C")),
         {{"A", Complete, false}, {"B", Complete, false}, {"C", Complete, false}}},
        {"Utf8JoinedWithUtf16",
         card("A") + utf16(card("B")),
         {{"A", Complete, false}, {"B", Complete, false}}},
        {"FoldedMarkersInANote",
         card("A", "NOTE:one\r\n END:VCARD\r\n\tBEGIN:VCARD\r\n end:vcard\r\nEND:VCARD\r\n") +
             card("B"),
         {{"A", Complete, false}, {"B", Complete, false}}},
        {"AgentNestedOnTheLineAndOnTheNext",
         card("A", "AGENT:BEGIN:VCARD\r\nFN:X\r\nEND:VCARD\r\nEND:VCARD\r\n") +
             card("B", "AGENT:\r\nBEGIN:VCARD\r\nFN:Y\r\nEND:VCARD\r\nEND:VCARD\r\n"),
         {{"A", Complete, false}, {"B", Complete, false}}},
        {"EmptyAgentInACardWithoutEnd",
         card("A", "AGENT:\r\nTEL:1\r\n") + card("B"),
         {{"A", CutByNext, false}, {"B", Complete, false}}},
        {"StrayNulBytes",
         card("A", "NOTE:" + std::string(300, '\0') + "\r\nEND:VCARD\r\n"),
         {{"A", Complete, false}}},
        {"CutByTheNextCardAndByTheFileEnd",
         card("A", "") + card("B", "TEL:1"),
         {{"A", CutByNext, false}, {"B", CutByEnd, false}}},
        {"LargerThanTheBound",
         card("Big", photo + "END:VCARD\r\n") + card("Small") + card("Cut", photo),
         {{"Big", Complete, true}, {"Small", Complete, false}, {"Cut", CutByEnd, true}},
         1024},
    };
    using enum TextEncoding;
    // UTF-16 exports, marked or not, then a Ctrl-Z as a byte or a code unit
    // and an export that starts with its own mark.
    for (const TextEncoding first : {Utf16Le, Utf16Be})
        for (const bool marked : {true, false})
            for (const std::string& ctrlZ : {std::string("\x1A"), encoded("\x1A", first)})
                for (const TextEncoding second : {Utf16Le, Utf16Be, Utf8})
                    cases.push_back({"Utf16CtrlZThenMarked" + std::to_string(cases.size()),
                                     encoded(card("A") + card("B"), first, marked) + ctrlZ +
                                         encoded(card("C"), second, true),
                                     {{"A", Complete, false, first, !marked},
                                      {"B", Complete, false, first, !marked},
                                      {"C", Complete, false, second}}});
    // 8-bit exports, then UTF-16 without a mark, on a line of its own or
    // right after END:VCARD.
    for (const TextEncoding first : {SingleByte, Utf8})
        for (const std::string join : {"\r\n", "\r\n\x1A", "\x1A"})
            for (const TextEncoding second : {Utf16Le, Utf16Be})
                cases.push_back({"EightBitThenUnmarkedUtf16" + std::to_string(cases.size()),
                                 encoded(card("A") + card("B", "END:VCARD" + join), first, true) +
                                     encoded(card("C") + card("D"), second),
                                 {{"A", Complete, false, first},
                                  {"B", Complete, false, first},
                                  {"C", Complete, false, second, true},
                                  {"D", Complete, false, second, true}}});
    for (const ShapeCase& shape : cases) {
        for (const Pieces& pieces : {PieceSizes[0], PieceSizes[5]}) {
            SCOPED_TRACE(shape.name + " " + pieces.name);
            MemoryByteSource source(shape.file, pieces.sizes);
            const Reading reading = readAll(source, shape.largestCard);
            ASSERT_FALSE(reading.failure);
            EXPECT_EQ(reading.cards.size(), shape.cards.size());
            for (std::size_t at = 0; at < std::min(shape.cards.size(), reading.cards.size());
                 ++at) {
                const Card& card = reading.cards[at];
                const auto& [name, end, tooLarge, encoding, markSupplied] = shape.cards[at];
                EXPECT_EQ(card.displayName, name);
                EXPECT_EQ(card.end, end) << name;
                EXPECT_EQ(card.tooLarge, tooLarge) << name;
                EXPECT_EQ(card.bytes.empty(), tooLarge) << name;
                EXPECT_EQ(card.tooLarge, card.size > shape.largestCard) << name;
                if (!encoding)
                    continue;
                EXPECT_EQ(card.encoding, *encoding) << name;
                EXPECT_EQ(card.markSupplied, markSupplied) << name;
                EXPECT_TRUE(
                    card.bytes.starts_with(encoded("BEGIN:VCARD\r\nFN:" + name, *encoding, true)))
                    << name;
            }
        }
    }
}

TEST(CardReaderTest, AUtf16CardCutInsideItsLastCodeUnitKeepsTheOddByte) {
    const std::string file =
        "\xFF\xFE" + Utf16BytesFromUtf8("BEGIN:VCARD\r\nFN:Odd\r\nTEL:1", ByteOrder::LittleEndian) +
        "2";
    for (const Pieces& pieces : PieceSizes) {
        SCOPED_TRACE(pieces.name);
        MemoryByteSource source(file, pieces.sizes);
        const Reading reading = readAll(source);
        ASSERT_EQ(reading.cards.size(), 1u);
        EXPECT_EQ(reading.cards[0].bytes, file);
        EXPECT_EQ(reading.cards[0].displayName, "Odd");
        EXPECT_EQ(reading.cards[0].end, CardEnd::CutByFileEnd);
    }
}

// A source that fails once it has handed out `failAt` bytes, as a file on a
// network share does when the connection drops.
class FailingByteSource final : public ByteSource {
public:
    FailingByteSource(std::string bytes, std::size_t failAt, std::vector<std::size_t> pieces)
        : inner_(bytes.substr(0, failAt), std::move(pieces)) {}

    Outcome<std::size_t> read(std::span<char> buffer) override {
        ++reads;
        auto read = inner_.read(buffer);
        if (read && read.value() == 0)
            return Failure{"The network path was not found."};
        return read;
    }

    int reads = 0;

private:
    MemoryByteSource inner_;
};

TEST(CardReaderTest, AReadFailureMidwayComesAfterTheCardsBeforeItInTheSourcesWords) {
    const SampleFile sample = IphoneLineFeeds();
    const std::string file = sample.bytes();
    const std::size_t firstCardSize = sample.parts[0].bytes.size();
    for (const Pieces& pieces : PieceSizes) {
        SCOPED_TRACE(pieces.name);
        FailingByteSource source(file, firstCardSize + 20, pieces.sizes);
        FakeCodePages codePages;
        CardReader reader(source, codePages);

        Card card;
        auto first = reader.next(card);
        ASSERT_TRUE(first);
        ASSERT_TRUE(first.value());
        EXPECT_EQ(card.displayName, "Johnny Appleseed");

        for (int call = 0; call < 2; ++call) {
            auto failed = reader.next(card);
            ASSERT_FALSE(failed);
            EXPECT_EQ(failed.failure().description, "The network path was not found.");
        }
        EXPECT_EQ(card.displayName, "Johnny Appleseed") << "a failure leaves the card alone";
        const int readsBeforeLastCall = source.reads;
        (void)reader.next(card);
        EXPECT_EQ(source.reads, readsBeforeLastCall) << "a failed source is not asked again";
    }
}

TEST(CardReaderTest, AFailureBeforeTheFirstByteIsReportedToo) {
    FailingByteSource source("BEGIN:VCARD\r\n", 0, {});
    const Reading reading = readAll(source);
    EXPECT_TRUE(reading.cards.empty());
    ASSERT_TRUE(reading.failure);
    EXPECT_EQ(reading.failure->description, "The network path was not found.");
}

TEST(CardReaderTest, AfterTheLastCardEveryCallSaysThereAreNoMore) {
    MemoryByteSource source(Version4().bytes());
    FakeCodePages codePages;
    CardReader reader(source, codePages);
    Card card;
    auto first = reader.next(card);
    ASSERT_TRUE(first && first.value());
    const std::string bytes = card.bytes;
    for (int call = 0; call < 3; ++call) {
        auto after = reader.next(card);
        ASSERT_TRUE(after);
        EXPECT_FALSE(after.value());
    }
    EXPECT_EQ(card.bytes, bytes) << "the end leaves the card alone";
}

} // namespace

// The word-at-a-time byte tests the splitter and the name reader stand on,
// checked against the plain byte-by-byte answer in every position, and the
// text checks built on them where a word's edge falls inside the text.

#include "cards/card_line.h"
#include "text/byte_words.h"
#include "text/utf8_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace quorvane;

namespace {

// Eight bytes, `filler` everywhere but `byte` at `place`.
std::uint64_t wordWith(unsigned char filler, unsigned char byte, unsigned place) {
    std::array<char, 8> bytes{};
    bytes.fill(static_cast<char>(filler));
    bytes[place] = static_cast<char>(byte);
    return LoadWord(bytes.data());
}

TEST(ByteWordTest, EveryByteValueInEveryPlaceIsFoundWhereItIs) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        for (unsigned place = 0; place < 8; ++place) {
            SCOPED_TRACE("byte " + std::to_string(byte) + " at " + std::to_string(place));
            const std::uint64_t word = wordWith(byte == 'x' ? 'y' : 'x', byte, place);
            const auto value = static_cast<unsigned char>(byte);
            EXPECT_TRUE(HasByte(word, value));
            const std::uint64_t marks = BytesEqualTo(word, value);
            ASSERT_NE(marks, 0u);
            EXPECT_EQ(FirstMarkedByte(marks), place);
            EXPECT_EQ(LastMarkedByte(marks), place);
            EXPECT_EQ(HasByteBelow(word, 0x20), byte < 0x20);
        }
    }
}

TEST(ByteWordTest, AMatchDoesNotMarkTheByteAboveIt) {
    // The shortcut that only says whether there is a match borrows from the
    // byte above a zero difference, so 0x01 above a match looks like one.
    // LineStartBefore takes the last marked byte as the line end; a false
    // mark would cut a name short.
    const std::uint64_t word = LoadWord("ab\n\x0b"
                                        "cdef");
    const std::uint64_t marks = BytesEqualTo(word, '\n');
    EXPECT_EQ(FirstMarkedByte(marks), 2u);
    EXPECT_EQ(LastMarkedByte(marks), 2u);
}

TEST(ByteWordTest, OnlyCapitalLettersAreLowered) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        for (unsigned place = 0; place < 8; ++place) {
            const std::uint64_t lowered = LowerAsciiWord(wordWith('Q', byte, place));
            const auto expected = static_cast<unsigned char>(LowerAscii(static_cast<char>(byte)));
            EXPECT_EQ(lowered, wordWith('q', expected, place))
                << "byte " << byte << " at " << place;
        }
    }
}

TEST(EqualsIgnoringCaseTest, ComparesEveryByteWhateverTheLength) {
    const std::string word = "quoted-printable-and-more";
    for (std::size_t length = 0; length <= word.size(); ++length) {
        const std::string lower = word.substr(0, length);
        std::string upper = lower;
        for (char& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        EXPECT_TRUE(EqualsIgnoringCase(lower, upper)) << length;
        // One byte off in each place, the last word's overlap included.
        for (std::size_t place = 0; place < length; ++place) {
            std::string off = upper;
            off[place] = '_';
            EXPECT_FALSE(EqualsIgnoringCase(lower, off)) << length << " at " << place;
        }
    }
    EXPECT_FALSE(EqualsIgnoringCase("charset", "charsets"));
}

TEST(EqualsIgnoringCaseTest, BytesThatDifferByTheCaseBitAreNotLettersToFold) {
    // '@' and '`', '[' and '{', and the Latin-1 pair 0xC4 and 0xE4 differ by
    // 0x20 as letters do, but only ASCII letters ignore case.
    EXPECT_FALSE(EqualsIgnoringCase("AB@DEFGHIJ", "ab`defghij"));
    EXPECT_FALSE(EqualsIgnoringCase("ABCDEFGH[", "abcdefgh{"));
    EXPECT_FALSE(EqualsIgnoringCase("ENCODING\xC4", "encoding\xE4"));
    EXPECT_TRUE(EqualsIgnoringCase("ENCODING\xC4", "encoding\xC4"));
}

TEST(Utf8TextTest, AFaultIsFoundInAnyPlaceAfterRunsOfAscii) {
    for (std::size_t place = 0; place < 20; ++place) {
        std::string text(20, 'a');
        text[place] = '\xC3'; // a lead byte without its continuation
        EXPECT_FALSE(IsUtf8(text)) << place;
        text.insert(place + 1, "\xA9");
        EXPECT_TRUE(IsUtf8(text)) << place;
    }
    EXPECT_FALSE(IsUtf8(std::string(16, 'a') + "\xC0\xAF"));    // overlong, after two words
    EXPECT_FALSE(IsUtf8(std::string(8, 'a') + "\xED\xA0\x80")); // a surrogate
}

TEST(CardLineTest, PlainBeginAndEndLinesAreToldInAnyLetterCase) {
    EXPECT_EQ(ClassifyCardLine("BEGIN:VCARD"), CardLine::Begin);
    EXPECT_EQ(ClassifyCardLine("bEgIn:VcArD"), CardLine::Begin);
    EXPECT_EQ(ClassifyCardLine("end:vcard"), CardLine::End);
    // A control character 0x1A folds onto the colon the way letters fold.
    EXPECT_EQ(ClassifyCardLine("BEGIN\x1AVCARD"), CardLine::Property);
    EXPECT_EQ(ClassifyCardLine("END\x1AVCARD"), CardLine::Property);
    EXPECT_EQ(ClassifyCardLine("BEGIN:VCARE"), CardLine::Property);
    EXPECT_EQ(ClassifyCardLine("BEGIN:VCARDS"), CardLine::Property);
}

} // namespace

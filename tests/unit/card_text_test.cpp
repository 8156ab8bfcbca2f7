// The text-level pieces the card reader stands on: telling a file's encoding,
// quoted-printable, and CHARSET names.

#include "cards/charset_names.h"
#include "cards/quoted_printable.h"
#include "cards/text_encoding.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace std::string_literals;

namespace {

struct EncodingCase {
    std::string name;
    std::string head;
    TextEncoding encoding;
    std::size_t byteOrderMarkSize;
};

void PrintTo(const EncodingCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class TextEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(TextEncodingTest, IsToldFromTheFirstBytes) {
    const DetectedEncoding detected = DetectTextEncoding(GetParam().head);
    EXPECT_EQ(detected.encoding, GetParam().encoding);
    EXPECT_EQ(detected.byteOrderMarkSize, GetParam().byteOrderMarkSize);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextEncodingTest,
    ::testing::Values(
        EncodingCase{"Utf8Mark",
                     "\xEF\xBB\xBF"
                     "BEGIN:VCARD",
                     TextEncoding::Utf8, 3},
        EncodingCase{"Utf16LittleEndianMark",
                     "\xFF\xFE"
                     "B\0E\0"s,
                     TextEncoding::Utf16Le, 2},
        EncodingCase{"Utf16BigEndianMark", "\xFE\xFF\0B\0E"s, TextEncoding::Utf16Be, 2},
        EncodingCase{"Utf16LittleEndianByItsZeros", "B\0E\0G\0I\0N\0:\0v\0c\0a\0r\0d\0"s,
                     TextEncoding::Utf16Le, 0},
        EncodingCase{"Utf16BigEndianByItsZeros", "\0B\0E\0G\0I\0N\0 \0:\0V\0C\0A\0R\0D"s,
                     TextEncoding::Utf16Be, 0},
        EncodingCase{"Utf16WithCyrillicFirst",
                     "\x18\x04\x32\x04\x30\x04\r\0\n\0B\0E\0G\0I\0N\0:\0V\0C\0A\0R\0D\0"s,
                     TextEncoding::Utf16Le, 0},
        EncodingCase{"Ascii", "BEGIN:VCARD\r\nVERSION:2.1\r\n", TextEncoding::SingleByte, 0},
        EncodingCase{"Utf8WithoutMark", "BEGIN:VCARD\r\nFN:Zo\xC3\xAB\r\n", TextEncoding::Utf8, 0},
        EncodingCase{"Windows1252", "BEGIN:VCARD\r\nFN:J\xFCrgen\r\n", TextEncoding::SingleByte, 0},
        EncodingCase{"AStrayNulInJunkIsNotUtf16",
                     "junk\0 before the first card\r\nBEGIN:VCARD\r\n"s, TextEncoding::SingleByte,
                     0},
        EncodingCase{"Utf8CutAtTheEndOfTheFirstBlock",
                     "FN:\xC3\xA9" + std::string(EncodingDetectionBytes - 6, 'a') + "\xC3\xA9",
                     TextEncoding::Utf8, 0}),
    [](const auto& info) { return info.param.name; });

struct QuotedPrintableCase {
    std::string name;
    std::string encoded;
    std::string bytes;
};

void PrintTo(const QuotedPrintableCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class QuotedPrintableTest : public ::testing::TestWithParam<QuotedPrintableCase> {};

TEST_P(QuotedPrintableTest, GivesTheBytesItStandsFor) {
    std::string bytes = "left over from the last value";
    DecodeQuotedPrintable(GetParam().encoded, bytes);
    EXPECT_EQ(bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Values, QuotedPrintableTest,
    ::testing::Values(QuotedPrintableCase{"HexPairs", "=41=42c", "ABc"},
                      QuotedPrintableCase{"LowerCaseHex", "=c3=a9", "\xC3\xA9"},
                      QuotedPrintableCase{"SoftBreakCrLf", "soft=\r\nbreak", "softbreak"},
                      QuotedPrintableCase{"SoftBreakLf", "soft=\nbreak", "softbreak"},
                      QuotedPrintableCase{"SoftBreakCr", "soft=\rbreak", "softbreak"},
                      QuotedPrintableCase{"SoftBreakInsideACharacter", "=E4=\r\n=B8=89",
                                          "\xE4\xB8\x89"},
                      QuotedPrintableCase{"TrailingEquals", "end=", "end"},
                      QuotedPrintableCase{"EqualsBeforeNonHexIsKept", "a=G1=", "a=G1"},
                      QuotedPrintableCase{"HalfAPairAtTheEndIsKept", "half=4", "half=4"},
                      QuotedPrintableCase{"ZeroByte", "a=00b", "a\0b"s}),
    [](const auto& info) { return info.param.name; });

struct CharsetCase {
    std::string name;
    std::string charset;
    std::optional<unsigned> codePage;
};

void PrintTo(const CharsetCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class CharsetNameTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetNameTest, MapsToTheWindowsCodePage) {
    EXPECT_EQ(CodePageForCharset(GetParam().charset), GetParam().codePage);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CharsetNameTest,
    ::testing::Values(CharsetCase{"Utf8InBlanks", " utf8 ", 65001u},
                      CharsetCase{"Cp1250", "cp1250", 1250u},
                      CharsetCase{"Quoted", "\"UTF-8\"", 65001u},
                      CharsetCase{"Windows1251UpperCase", "WINDOWS-1251", 1251u},
                      CharsetCase{"Latin1", "ISO-8859-1", 28591u},
                      CharsetCase{"Latin9", "iso-8859-15", 28605u},
                      CharsetCase{"NoIso8859Part12", "iso-8859-12", std::nullopt},
                      CharsetCase{"Unknown", "x-unknown", std::nullopt},
                      CharsetCase{"NumberMissing", "windows-", std::nullopt},
                      CharsetCase{"NumberNotANumber", "cp12x", std::nullopt},
                      CharsetCase{"Empty", "", std::nullopt}),
    [](const auto& info) { return info.param.name; });

} // namespace

#include "cards/display_name.h"

#include "fake_code_pages.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct NameCase {
    std::string name;
    std::string properties; // the card's lines between BEGIN and END
    std::string expected;
};

void PrintTo(const NameCase& nameCase, std::ostream* out) {
    *out << nameCase.name;
}

class DisplayNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DisplayNameTest, ReadsTheNameAsAPersonWouldWriteIt) {
    FakeCodePages codePages;
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n" + GetParam().properties + "\r\nEND:VCARD\r\n";
    EXPECT_EQ(CardDisplayName(card, TextEncoding::SingleByte, codePages, 7), GetParam().expected);
}

std::string caseName(const ::testing::TestParamInfo<NameCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    WhichProperty, DisplayNameTest,
    ::testing::Values(
        NameCase{"FnBeatsN", "N:Doe;John\r\nFN:Johnny D", "Johnny D"},
        NameCase{"NIsGivenThenFamily", "N:Doe;John;Quincy;Mr.;Jr.", "John Doe"},
        NameCase{"NWithOnlyAFamily", "N:Doe", "Doe"},
        NameCase{"NWithOnlyAGiven", "N:;Cher;;;", "Cher"},
        NameCase{"BlankFnFallsBackToN", "FN: \t \r\nN:Doe;Jane", "Jane Doe"},
        NameCase{"FirstUsableFnWins", "FN:\r\nFN:Second Try\r\nFN:Third", "Second Try"},
        NameCase{"FirstUsableNWins", "N:;;;;\r\nN:Roe;Rita", "Rita Roe"},
        NameCase{"NBeforeABlankFnWithLineFeeds", "N:Doe;Jane\nFN:\nNOTE:x", "Jane Doe"},
        NameCase{"NoNameIsContactAndNumber", "TEL:+1 555 0100", "contact 7"},
        NameCase{"BlankNamesAreContactAndNumber", "FN:  \r\nN:;;;;", "contact 7"},
        NameCase{"GroupPrefixAndLetterCase", "item1.fn:Grouped Name", "Grouped Name"},
        NameCase{"NameStartingLikeFn", "FNX:Not A Name\r\nN:Real;Rae", "Rae Real"},
        NameCase{"NestedAgentNameDoesNotCount",
                 "N:Parent;Pat\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Agent Al\r\nEND:VCARD",
                 "Pat Parent"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    LinesAndEscapes, DisplayNameTest,
    ::testing::Values(
        NameCase{"FoldedWithTheBlankDropped", "FN:Alexan\r\n der Graham", "Alexander Graham"},
        NameCase{"FoldedAfterAWordKeepsItsSpace", "FN:Very Long\r\n  Name", "Very Long Name"},
        NameCase{"BlanksAroundColonAndValue", "FN  :  Spaced Out  ", "Spaced Out"},
        NameCase{"ColonInsideAQuotedParameter", "FN;X-NOTE=\"a:b\":Quoted Param", "Quoted Param"},
        NameCase{"BackslashEscapes", "FN:Smith\\, John\\; Jr.\\\\Esq", "Smith, John; Jr.\\Esq"},
        NameCase{"EscapedLineBreaksBecomeSpaces", "FN:Line\\nBreak\\NAgain", "Line Break Again"},
        NameCase{"EscapedSemicolonStaysInAComponent", "N:Doe\\;Smith;Jane;;;", "Jane Doe;Smith"},
        NameCase{"UnknownEscapeIsKept", "FN:C:\\Temp", "C:\\Temp"},
        NameCase{"ControlsGoTabsBecomeSpaces",
                 "FN:Bell\x07Ringer\x7F\tand\xC2\x85"
                 "C1",
                 "BellRinger andC1"},
        NameCase{"UnicodeSpacesAreTrimmed", "FN:\xC2\xA0Name\xE3\x80\x80", "Name"},
        // A byte-order mark left at a value's start would part two equal names.
        NameCase{"ByteOrderMarkInAValueGoes", "FN:\xEF\xBB\xBFZo\xC3\xAB \xEF\xBC\xA1",
                 "Zo\xC3\xAB \xEF\xBC\xA1"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    EncodingsAndCharsets, DisplayNameTest,
    ::testing::Values(
        NameCase{"BareQuotedPrintableInTheAnsiCodePage", "FN;QUOTED-PRINTABLE:Ren=E9e", "Renée"},
        NameCase{"QuotedPrintableInWindows1251",
                 "FN;CHARSET=WINDOWS-1251;QUOTED-PRINTABLE:=CF=E5=F2=FF", "Петя"},
        NameCase{"PlainWindows1251", "FN;CHARSET=windows-1251:\xC0\xED\xED\xE0", "Анна"},
        NameCase{"SoftBreakInsideACharacterLowerCaseHex",
                 "FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Andr=c3=\r\n=a9", "André"},
        NameCase{"SoftBreakBeforeLineFeedOnly",
                 "FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Bj=C3=\n=B6rk", "Björk"},
        NameCase{"SoftBreakKeepsTheBlankAfterIt", "FN;ENCODING=QUOTED-PRINTABLE:Mary=\r\n Ann",
                 "Mary Ann"},
        NameCase{"Utf8WithoutCharset", "FN:Zo\xC3\xAB", "Zoë"},
        NameCase{"AnsiWithoutCharset", "FN:J\xFCrgen", "Jürgen"},
        NameCase{"BrokenUtf8ShowsReplacement", "FN;CHARSET=UTF-8:Bad\xFF", "Bad\uFFFD"},
        NameCase{"UnknownCharsetFallsBackToAnsi", "FN;CHARSET=x-unknown:J\xFCrgen", "Jürgen"},
        NameCase{"UninstalledCodePageFallsBackToAnsi", "FN;CHARSET=Shift_JIS:caf\xE9", "café"},
        NameCase{"FailedCodePageFallsBackToAnsi", "FN;CHARSET=windows-1251:caf\xE9\x98", "café˜"}),
    caseName);

TEST(DisplayNameTest, AUtf16CardIsReadInItsOwnByteOrder) {
    FakeCodePages codePages;
    // "FN:Zoë 🌻" with its markers, big-endian.
    const std::string card("\0B\0E\0G\0I\0N\0:\0V\0C\0A\0R\0D\0\n"
                           "\0F\0N\0:\0Z\0o\0\xEB\0 \xD8\x3C\xDF\x3B\0\n"
                           "\0E\0N\0D\0:\0V\0C\0A\0R\0D",
                           58);
    EXPECT_EQ(CardDisplayName(card, TextEncoding::Utf16Be, codePages, 1), "Zoë 🌻");
}

} // namespace

// How the name reader finds a card's property lines, going from colon to
// colon, and the names it reads from cards where a colon, a fold or a soft
// line break could lead it to the wrong line, split from a file in pieces
// that put block ends everywhere.

#include "cards/card_reader.h"
#include "cards/display_name.h"
#include "cards/memory_byte_source.h"
#include "cards/property_head.h"

#include "fake_code_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

// Where a line starts and what its name is, a byte at a time.
std::size_t lineStartByBytes(std::string_view text, std::size_t at, std::size_t floor) {
    while (at > floor && text[at - 1] != '\n' && text[at - 1] != '\r')
        --at;
    return at;
}

std::string_view nameByBytes(std::string_view text, std::size_t start, std::size_t colon) {
    std::size_t end = start;
    while (end < colon && text[end] != ';')
        ++end;
    std::string_view name = text.substr(start, end - start);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    return name;
}

TEST(PropertyHeadTest, LineStartsAndNamesAreThoseFoundByteByByte) {
    // Line ends, dots and semicolons at every distance from the colon, so
    // that each falls in every place of the words read.
    const std::vector<std::string> prefixes = {"",
                                               "N",
                                               "FN",
                                               "item1.FN",
                                               "item12345678.N",
                                               "a.b.c.FN",
                                               "X-ABLABEL;TYPE=a.FN",
                                               "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE",
                                               " FN ",
                                               "item1. N\t",
                                               "grp.LONGERNAME;x=1",
                                               "FN;",
                                               ";FN",
                                               "TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref"};
    const std::vector<std::string> before = {
        "", "x:y\r\n", "VALUE\n", "abc\r", "0123456789\r\n", "photo data without a colon\r\n "};
    for (const std::string& prefix : prefixes) {
        for (const std::string& lead : before) {
            for (std::size_t pad = 0; pad < 9; ++pad) {
                const std::string text = std::string(pad, 'p') + lead + prefix + ":value\r\n";
                const std::size_t colon = text.find(':', pad + lead.size() + prefix.size());
                SCOPED_TRACE("\"" + text + "\"");
                for (std::size_t floor = 0; floor <= colon; ++floor) {
                    const std::size_t start = LineStartBefore(text, colon, floor);
                    ASSERT_EQ(start, lineStartByBytes(text, colon, floor)) << "floor " << floor;
                }
                const std::size_t start = lineStartByBytes(text, colon, 0);
                const PropertyHead head = PropertyHeadAt(text, start, colon);
                EXPECT_EQ(head.start, start);
                EXPECT_EQ(head.colon, colon);
                EXPECT_EQ(head.name, nameByBytes(text, start, colon));
                EXPECT_EQ(text[head.nameEnd], text.find(';', start) < colon ? ';' : ':');
            }
        }
    }
}

TEST(PropertyHeadTest, OnlyTheNamesThatMatterAreToldApart) {
    EXPECT_EQ(NameKindOf("FN"), NameKind::Fn);
    EXPECT_EQ(NameKindOf("fn"), NameKind::Fn);
    EXPECT_EQ(NameKindOf("n"), NameKind::N);
    EXPECT_EQ(NameKindOf("End"), NameKind::MayNest);
    EXPECT_EQ(NameKindOf("BEGIN"), NameKind::MayNest);
    EXPECT_EQ(NameKindOf("agent"), NameKind::MayNest);
    for (const char* other : {"", "F", "FX", "FNX", "NN", "TEL", "EMAIL", "PHOTO", "BEGIX"})
        EXPECT_EQ(NameKindOf(other), NameKind::Other) << other;
}

struct NameCase {
    std::string name;
    std::string card; // one card, BEGIN line to END line
    std::string expected;
};

void PrintTo(const NameCase& nameCase, std::ostream* out) {
    *out << nameCase.name;
}

class CardNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CardNameTest, IsReadFromTheRightLines) {
    const std::string file = "junk: before\r\n" + GetParam().card + "BEGIN:VCARD\r\nEND:VCARD\r\n";
    FakeCodePages codePages;
    EXPECT_EQ(CardDisplayName(GetParam().card, TextEncoding::SingleByte, codePages, 1),
              GetParam().expected);
    for (const std::vector<std::size_t>& pieces :
         {std::vector<std::size_t>{}, {1}, {3}, {7}, {1, 2, 3, 4, 5, 6, 7}, {64}}) {
        MemoryByteSource source(file, pieces);
        CardReader reader(source, codePages);
        Card card;
        auto next = reader.next(card);
        ASSERT_TRUE(next && next.value());
        EXPECT_EQ(card.bytes, GetParam().card);
        EXPECT_EQ(card.displayName, GetParam().expected)
            << pieces.size() << " piece sizes, the first " << (pieces.empty() ? 0 : pieces[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CardNameTest,
    ::testing::Values(
        NameCase{"FnWithTextThatReadsAsNothing",
                 "BEGIN:VCARD\r\nFN:\x07\r\nN:Doe;Jane\r\nFN:Second Try\r\nEND:VCARD\r\n",
                 "Second Try"},
        NameCase{"FnWithTextThatReadsAsNothingThenOnlyN",
                 "BEGIN:VCARD\r\nFN:\x07\r\nN:Doe;Jane\r\nEND:VCARD\r\n", "Jane Doe"},
        NameCase{"FoldedEmptyLookingFn", "BEGIN:VCARD\r\nFN:\r\n Folded Name\r\nEND:VCARD\r\n",
                 "Folded Name"},
        NameCase{"SoftBreakTakesInTheNextFnLine",
                 "BEGIN:VCARD\r\nFN;QUOTED-PRINTABLE:=\r\nFN:Second\r\nEND:VCARD\r\n", "FN:Second"},
        NameCase{"SoftBreakTakesInTheNextNLine",
                 "BEGIN:VCARD\r\nN;QUOTED-PRINTABLE:=\r\nN:Roe;Rita\r\nEND:VCARD\r\n",
                 "Rita N:Roe"},
        // The first N line's soft break takes in the second, and the two make
        // a name with neither family nor given name; the second is not read
        // again on its own.
        NameCase{"SoftBreakTakesInTheNextNLineWholly",
                 "BEGIN:VCARD\r\nN;QUOTED-PRINTABLE:;;=\r\nN:Taken;In\r\nEND:VCARD\r\n",
                 "contact 1"},
        NameCase{"EmptyNThenN", "BEGIN:VCARD\r\nFN:\r\nN:;;;;\r\nN:Roe;Rita\r\nEND:VCARD\r\n",
                 "Rita Roe"},
        NameCase{"NoNameAtAll", "BEGIN:VCARD\r\nFN:  \r\nN:;;;;\r\nTEL:1\r\nEND:VCARD\r\n",
                 "contact 1"},
        NameCase{"ColonInTheValueBefore",
                 "BEGIN:VCARD\r\nURL:http://host.FN:8080/\r\nFN:After Url\r\nEND:VCARD\r\n",
                 "After Url"},
        NameCase{"LongGroupPrefix", "BEGIN:VCARD\r\nitem123456789.Fn:Grouped\r\nEND:VCARD\r\n",
                 "Grouped"},
        NameCase{"ShortGroupPrefix", "BEGIN:VCARD\r\nN:Doe;Jo\r\nx.FN:Short Group\r\nEND:VCARD\r\n",
                 "Short Group"},
        NameCase{"DotInAParameterIsNoGroup",
                 "BEGIN:VCARD\r\nX-LABEL;TYPE=a.FN:Not A Name\r\nN:Real;Rae\r\nEND:VCARD\r\n",
                 "Rae Real"},
        // Lines that open or close a nested card are read whole however
        // their name starts; the owner's FN after the nested card counts.
        NameCase{"FnAfterAnInlineAgent",
                 "BEGIN:VCARD\r\nN:Owner;Olga\r\nAGENT:BEGIN:VCARD\r\nFN:Inline Agent\r\n"
                 "END:VCARD\r\nFN:Olga The Owner\r\nEND:VCARD\r\n",
                 "Olga The Owner"},
        // An indented END is text folded into the line before, so the FN
        // after it is still the agent's.
        NameCase{"FnAfterAFoldedNestedEnd",
                 "BEGIN:VCARD\r\nN:Owner;Olga\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Agent Al\r\n"
                 " END:VCARD\r\nFN:Agent Al Again\r\nEND:VCARD\r\nEND:VCARD\r\n",
                 "Olga Owner"},
        NameCase{"IndentedFnContinuesAnotherLine",
                 "BEGIN:VCARD\r\nNOTE:a\r\n item1.FN:Folded In\r\nN:Doe;Jo\r\nEND:VCARD\r\n",
                 "Jo Doe"},
        NameCase{"ColonInAQuotedParameter",
                 "BEGIN:VCARD\r\nFN;X-NOTE=\"a:b\":Quoted Param\r\nEND:VCARD\r\n", "Quoted Param"},
        NameCase{"QuoteClosedOnAFoldedLine",
                 "BEGIN:VCARD\r\nFN;X=\"a:b\r\n c\":Name\r\nEND:VCARD\r\n", "Name"},
        NameCase{"FnAfterAPhoto",
                 "BEGIN:VCARD\nPHOTO;ENCODING=b:" + std::string(300, 'Q') + "\n " +
                     std::string(300, 'R') + "\nFN:After The Photo\nEND:VCARD\n",
                 "After The Photo"},
        NameCase{"CarriageReturnsOnly",
                 "BEGIN:VCARD\rVERSION:2.1\rN:Doe;Jane\rFN:Jane D\rEND:VCARD\r", "Jane D"},
        NameCase{"ColonsBackToBack",
                 "BEGIN:VCARD\r\n::\r\n:FN:x\r\nFN::Colon First\r\nEND:VCARD\r\n", ":Colon First"}),
    [](const auto& info) { return info.param.name; });

} // namespace

// Cards as phones, web exports and old Outlook write them, and what the
// charset repair makes of each: the whole card is compared, so every line
// that needed no repair is checked byte for byte as well.

#include "cards/charset_repair.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace std::string_literals;

namespace {

struct RepairCase {
    std::string name;
    std::string card;
    std::string repaired; // empty: no repair
    std::vector<std::string> properties;
    TextEncoding encoding = TextEncoding::Utf8;
};

void PrintTo(const RepairCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class CharsetRepairTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(CharsetRepairTest, AddsUtf8CharsetWhereOutlookWouldMisreadAndNothingElse) {
    const RepairCase& c = GetParam();
    const auto repair = RepairMissingCharsets(c.card, c.encoding);
    if (c.repaired.empty()) {
        EXPECT_FALSE(repair) << repair->bytes;
        return;
    }
    ASSERT_TRUE(repair);
    EXPECT_EQ(repair->bytes, c.repaired);
    EXPECT_EQ(repair->properties, c.properties);
}

const std::string vcard21 = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
const std::string vcard30 = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
const std::string end = "END:VCARD\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cards, CharsetRepairTest,
    ::testing::Values(
        RepairCase{
            "QuotedPrintableWithASoftBreakInsideACharacter",
            vcard21 + "N;ENCODING=QUOTED-PRINTABLE:=C3=85ngstr=C3=B6m;Zo=C3=\r\n=AB\r\n" +
                "FN;QUOTED-PRINTABLE:Zo=C3=AB =C3=85ngstr=C3=B6m\r\nTEL;CELL:+1 555=\r\n" + end,
            vcard21 + "N;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=C3=85ngstr=C3=B6m;Zo=C3=\r\n" +
                "=AB\r\nFN;QUOTED-PRINTABLE;CHARSET=UTF-8:Zo=C3=AB =C3=85ngstr=C3=B6m\r\n" +
                "TEL;CELL:+1 555=\r\n" + end,
            {"N", "FN"}},
        RepairCase{"Version3Utf8WithoutCharsetAndLfLineEnds",
                   "BEGIN:VCARD\nVERSION:3.0\nfn:Jos\xC3\xA9 M\xC3\xBCller\nN:M\xC3\xBCller;"
                   "Jos\xC3\xA9;;;\nFN:again \xC3\xA9\nEND:VCARD\n",
                   "BEGIN:VCARD\nVERSION:3.0\nfn;CHARSET=UTF-8:Jos\xC3\xA9 M\xC3\xBCller\n"
                   "N;CHARSET=UTF-8:M\xC3\xBCller;Jos\xC3\xA9;;;\n"
                   "FN;CHARSET=UTF-8:again \xC3\xA9\nEND:VCARD\n",
                   {"FN", "N"}},
        RepairCase{"Version4WithAByteOrderMark",
                   "\xEF\xBB\xBF"
                   "BEGIN:VCARD\r\nVERSION:4.0\r\nFN;PREF=1:\xC5\x81ukasz\r\n" +
                       end,
                   "\xEF\xBB\xBF"
                   "BEGIN:VCARD\r\nVERSION:4.0\r\nFN;PREF=1;CHARSET=UTF-8:\xC5\x81ukasz\r\n" +
                       end,
                   {"FN"}},
        RepairCase{"Windows1252WithoutCharsetIsReadRightAlready",
                   vcard21 + "FN:Fran\xE7ois P\xE9rez\r\nN:P\xE9rez;Fran\xE7ois\r\n" + end,
                   "",
                   {},
                   TextEncoding::SingleByte},
        RepairCase{"ANamedCharsetIsLeftAlone",
                   vcard21 + "FN;CHARSET=ISO-8859-1:Jos\xC3\xA9\r\n" +
                       "N;ENCODING=QUOTED-PRINTABLE;charset=utf-8:=C3=A9\r\n" + end,
                   "",
                   {}},
        RepairCase{"AFoldedNoteWithTheFoldInsideACharacter",
                   vcard30 + "FN:Ann\r\nNOTE:caf\xC3\r\n \xA9 au lait\r\n\tand more\r\n" + end,
                   vcard30 +
                       "FN:Ann\r\nNOTE;CHARSET=UTF-8:caf\xC3\r\n \xA9 au lait\r\n\tand more\r\n" +
                       end,
                   {"NOTE"}},
        RepairCase{"GroupedPropertiesAndAQuotedParameterWithColonAndSemicolon",
                   vcard30 +
                       "item1.ADR;type=HOME:;;Stra\xC3\x9F"
                       "e 1;Berlin\r\n" +
                       "item1.X-ABLabel;X-NOTE=\"a:b;c\":Zuhause \xC3\xA4\r\n" +
                       "item2.ADR:;;Gr\xC3\xBCn 2\r\n" +
                       "URL;X=\"http://x\":http://\xC3\xA9.example\r\n" + end,
                   vcard30 +
                       "item1.ADR;type=HOME;CHARSET=UTF-8:;;Stra\xC3\x9F"
                       "e 1;Berlin\r\n" +
                       "item1.X-ABLabel;X-NOTE=\"a:b;c\";CHARSET=UTF-8:Zuhause \xC3\xA4\r\n" +
                       "item2.ADR;CHARSET=UTF-8:;;Gr\xC3\xBCn 2\r\n" +
                       "URL;X=\"http://x\";CHARSET=UTF-8:http://\xC3\xA9.example\r\n" + end,
                   {"ADR", "X-ABLABEL", "URL"}},
        RepairCase{"ANestedAgentCardIsRepairedLineByLine",
                   vcard21 + "FN:Boss\r\nAGENT:BEGIN:VCARD\r\nFN:Agn\xC3\xA8s\r\nEND:VCARD\r\n" +
                       end,
                   vcard21 + "FN:Boss\r\nAGENT:BEGIN:VCARD\r\nFN;CHARSET=UTF-8:Agn\xC3\xA8s\r\n" +
                       "END:VCARD\r\n" + end,
                   {"FN"}},
        RepairCase{"Utf16NeedsNone",
                   "\xFF\xFE"
                   "F\0N\0:\0\xE9\0\r\0\n\0"s,
                   "",
                   {},
                   TextEncoding::Utf16Le},
        RepairCase{"AsciiNeedsNone",
                   vcard21 + "FN;TYPE=CELL:Ann=\r\nNOTE;QUOTED-PRINTABLE:=41=42\r\n" + end,
                   "",
                   {},
                   TextEncoding::SingleByte}),
    [](const auto& info) { return info.param.name; });

} // namespace

// Cards as phones, web exports and old Outlook write them, and what the
// charset repair makes of each: the whole card is compared, so every line
// that needed no repair is checked byte for byte too.

#include "cards/charset_repair.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace std::string_literals;

namespace {

struct RepairCase {
    std::string name, card, repaired; // repaired: empty for none
    std::vector<std::string> properties;
    TextEncoding encoding = TextEncoding::Utf8;
};

void PrintTo(const RepairCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class CharsetRepairTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(CharsetRepairTest, AddsUtf8CharsetWhereOutlookWouldMisreadAndNothingElse) {
    const auto repair = RepairMissingCharsets(GetParam().card, GetParam().encoding);
    ASSERT_EQ(repair.has_value(), !GetParam().repaired.empty()) << (repair ? repair->bytes : "");
    if (repair) {
        EXPECT_EQ(repair->bytes, GetParam().repaired);
        EXPECT_EQ(repair->properties, GetParam().properties);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CharsetRepairTest,
    ::testing::Values(
        // Android: quoted-printable with a soft break inside "ë"; beside it a
        // Windows-1252 name, a named charset and ASCII with a trailing "=".
        RepairCase{
            "Version21",
            "VERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:Zo=C3=\r\n=AB\r\nFN;QUOTED-PRINTABLE:"
            "=C3=85sa\r\nORG:Caf\xE9\r\nNOTE;CHARSET=ISO-8859-1:\xC3\xA9\r\nTEL:555=\r\n",
            "VERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Zo=C3=\r\n=AB\r\nFN;"
            "QUOTED-PRINTABLE;CHARSET=UTF-8:=C3=85sa\r\nORG:Caf\xE9\r\nNOTE;CHARSET=ISO-8859-"
            "1:\xC3\xA9\r\nTEL:555=\r\n",
            {"N", "FN"}},
        // iPhone: LF line ends, groups, a quoted parameter holding ':' and
        // ';', and a note folded inside "é".
        RepairCase{
            "Version30",
            "VERSION:3.0\nfn:Jos\xC3\xA9\nitem1.ADR;type=HOME:;;\xC3\x9F\nitem1.X-ABLabel;X-A="
            "\"a:b;c\":\xC3\xA4\nNOTE:caf\xC3\n \xA9\n\tau lait\nitem2.ADR:\xC3\xBC\n",
            "VERSION:3.0\nfn;CHARSET=UTF-8:Jos\xC3\xA9\nitem1.ADR;type=HOME;CHARSET=UTF-8:;;"
            "\xC3\x9F\nitem1.X-ABLabel;X-A=\"a:b;c\";CHARSET=UTF-8:\xC3\xA4\nNOTE;CHARSET=UTF-"
            "8:caf\xC3\n \xA9\n\tau lait\nitem2.ADR;CHARSET=UTF-8:\xC3\xBC\n",
            {"FN", "ADR", "X-ABLABEL", "NOTE"}},
        RepairCase{"Version40WithAByteOrderMark",
                   "\xEF\xBB\xBFVERSION:4.0\r\nFN:\xC5\x81\r\n",
                   "\xEF\xBB\xBFVERSION:4.0\r\nFN;CHARSET=UTF-8:\xC5\x81\r\n",
                   {"FN"}},
        RepairCase{"OutlookWindows1252", "FN:Fran\xE7ois\r\n", "", {}, TextEncoding::SingleByte},
        RepairCase{"Utf16",
                   "\xFF\xFE"
                   "F\0N\0:\0\xE9\0"s,
                   "",
                   {},
                   TextEncoding::Utf16Le}),
    [](const auto& info) { return info.param.name; });

} // namespace

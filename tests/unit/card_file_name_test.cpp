#include "cards/card_file_name.h"

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

struct FileNameCase {
    std::string name;
    std::size_t number;
    std::string displayName;
    std::string fileName;
};

void PrintTo(const FileNameCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class CardFileNameTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(CardFileNameTest, IsSafeOnWindows) {
    EXPECT_EQ(CardFileName(GetParam().number, GetParam().displayName), GetParam().fileName);
}

const std::string SixtyE = [] {
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "\xC3\xA9";
    return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Names, CardFileNameTest,
    ::testing::Values(
        FileNameCase{"Plain", 7, "Jane Doe", "0007 Jane Doe.vcf"},
        FileNameCase{"NumberWiderThanFourDigits", 12345, "A", "12345 A.vcf"},
        FileNameCase{"ForbiddenCharacters", 7, "a/b\\c:d*e?f\"g<h>i|j",
                     "0007 a_b_c_d_e_f_g_h_i_j.vcf"},
        FileNameCase{"Controls", 7, "Tab\there\x7F", "0007 Tab_here_.vcf"},
        FileNameCase{"DotsOnly", 7, "..", "0007.vcf"},
        FileNameCase{"RunsOfDots", 7, "Dr... Who..", "0007 Dr. Who.vcf"},
        FileNameCase{"BlanksAndDotsAtTheEnds", 7, " . Spaces and dots. . ",
                     "0007 Spaces and dots.vcf"},
        FileNameCase{"DeviceName", 7, "CON", "0007 _CON.vcf"},
        FileNameCase{"DeviceNameWithExtension", 7, "con.txt", "0007 _con.txt.vcf"},
        FileNameCase{"DeviceNameWithBlanksBeforeTheDot", 7, "aux  .tar.gz",
                     "0007 _aux  .tar.gz.vcf"},
        FileNameCase{"PortName", 7, "Com1", "0007 _Com1.vcf"},
        FileNameCase{"PortNameWithSuperscript", 7, "LPT\xC2\xB9", "0007 _LPT\xC2\xB9.vcf"},
        FileNameCase{"DeviceNameBehindATrailingBlank", 7, "NUL ", "0007 _NUL.vcf"},
        FileNameCase{"NotQuiteDeviceNames", 7, "CONSOLE COM10", "0007 CONSOLE COM10.vcf"},
        FileNameCase{"LongNameCutBetweenCharacters", 7, SixtyE + "\xC3\xA9\xC3\xA9",
                     "0007 " + SixtyE + ".vcf"},
        FileNameCase{"CutExposingABlank", 7, std::string(59, 'a') + " bcd",
                     "0007 " + std::string(59, 'a') + ".vcf"},
        FileNameCase{"CutExposingADeviceName", 7, "NUL" + std::string(57, ' ') + "xyz",
                     "0007 _NUL.vcf"},
        FileNameCase{"BrokenUtf8", 7, "Bad\xFF", "0007 Bad\uFFFD.vcf"},
        FileNameCase{"Empty", 7, "", "0007.vcf"}),
    [](const auto& info) { return info.param.name; });

} // namespace

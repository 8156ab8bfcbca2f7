#include "app/skin.h"
#include "app/skin_reader.h"
#include "fakes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

constexpr const char* ProgramFolder = "C:\\Program Files\\Quorvane";
constexpr const char* SkinPath = "C:\\Program Files\\Quorvane\\x\\o.cjs";

// Files by path. Only those in `ordinary` pass the directory listing; the
// rest exist but are hidden, system files or folders. Reads are logged into
// the window's call list so the order of the whole start-up shows.
class FakeSkinFiles final : public SkinFiles {
public:
    explicit FakeSkinFiles(std::vector<std::string>& log) : log_(log) {}

    std::map<std::string, Outcome<std::string>> contents;
    std::set<std::string> ordinary;

    void addOrdinary(const std::string& path, const std::string& text) {
        contents.insert_or_assign(path, Outcome<std::string>(text));
        ordinary.insert(path);
    }

    std::string programFolder() const override { return ProgramFolder; }
    bool ordinaryFileExists(std::string_view path) const override {
        return ordinary.contains(std::string(path));
    }
    Outcome<std::string> readText(std::string_view path) const override {
        log_.push_back("read " + std::string(path));
        const auto found = contents.find(std::string(path));
        if (found == contents.end())
            return Failure{"The system cannot find the file specified."};
        return found->second;
    }

private:
    std::vector<std::string>& log_;
};

class SkinTest : public ::testing::Test {
protected:
    FakeWindow window;
    FakeSkinFiles files{window.calls};
};

TEST_F(SkinTest, WithoutAnOrdinarySkinFileNothingChanges) {
    ApplySkin(window, files);
    EXPECT_TRUE(window.calls.empty());

    // A hidden or system o.cjs, or a folder of that name, is there but is not
    // listed: it is not even read.
    files.contents.insert_or_assign(SkinPath,
                                    Outcome<std::string>("[window]\nbackground = #000000\n"));
    ApplySkin(window, files);
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(window.messages.empty());

    // Only the exact path counts, not a skin beside the program.
    files.addOrdinary(std::string(ProgramFolder) + "\\o.cjs", "");
    ApplySkin(window, files);
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(SkinTest, TheBackgroundTurnsButtonFaceBeforeTheSkinIsReadThenTheStyleReachesTheWindow) {
    files.addOrdinary(SkinPath, "[list]\nbackground = #102030\n");
    ApplySkin(window, files);
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"background 8000000F", std::string("read ") + SkinPath,
                                        "skinStyle"}));
    ASSERT_EQ(window.skinStyles.size(), 1u);
    EXPECT_EQ(window.skinStyles[0].list.background, Colour{0x302010});
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(SkinTest, AnEmptySkinStillGivesTheButtonFaceBackground) {
    files.addOrdinary(SkinPath, "");
    ApplySkin(window, files);
    EXPECT_EQ(window.calls.front(), "background 8000000F");
    ASSERT_EQ(window.skinStyles.size(), 1u);
    EXPECT_EQ(window.skinStyles[0], SkinStyle{});
}

TEST_F(SkinTest, AMalformedSkinIsReportedOnceWithFileAndLineAndTheWindowStartsUnskinned) {
    files.addOrdinary(SkinPath, "# a skin\n[list]\ntext = #102030\nfont = Calibri, big\n");
    ApplySkin(window, files);

    ASSERT_EQ(window.messages.size(), 1u);
    const Message& message = window.messages[0];
    EXPECT_EQ(message.style, MessageStyle::Exclamation);
    EXPECT_NE(message.text.find(SkinPath), std::string::npos) << message.text;
    EXPECT_NE(message.text.find("line 4"), std::string::npos) << message.text;
    EXPECT_NE(message.text.find("\"big\""), std::string::npos) << message.text;
    // Nothing of the skin reached the window, and the white design-time
    // background is back before the box shows.
    EXPECT_TRUE(window.skinStyles.empty());
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"background 8000000F", std::string("read ") + SkinPath,
                                        "background 00FFFFFF", "message " + message.text}));
}

TEST_F(SkinTest, AnUnreadableSkinIsReportedWithTheSystemsReason) {
    files.ordinary.insert(SkinPath);
    files.contents.insert_or_assign(SkinPath, Outcome<std::string>(Failure{"Access is denied."}));
    ApplySkin(window, files);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].text.find(SkinPath), std::string::npos);
    EXPECT_NE(window.messages[0].text.find("Access is denied."), std::string::npos);
    EXPECT_TRUE(window.skinStyles.empty());
    EXPECT_EQ(window.calls.back(), "message " + window.messages[0].text);
}

// --- the format --------------------------------------------------------------

TEST(SkinReaderTest, ReadsEverySectionWithColoursInWindowsByteOrder) {
    const SkinReading reading = ReadSkin("\xEF\xBB\xBF; written on Windows\r\n"
                                         "[Window]\r\n"
                                         "  Background =  #D4E4F4  \r\n"
                                         "\r\n"
                                         "[list]\r\n"
                                         "background=#ffffff\r\n"
                                         "text = #1A2B3C\r\n"
                                         "font = Segoe UI, 11.25, bold\r\n"
                                         "[toolbar]\r\n"
                                         "font = Carlito, 12, italic, bold\r\n"
                                         "[progress]\r\n"
                                         "fill = #00FF00\r\n"
                                         "fill-text = #000000\r\n"
                                         "font = Arial, 9");
    ASSERT_FALSE(reading.fault) << reading.fault->line << ": " << reading.fault->reason;
    EXPECT_EQ(reading.style.window.background, Colour{0xF4E4D4});
    EXPECT_EQ(reading.style.list.text, Colour{0x3C2B1A});
    EXPECT_EQ(reading.style.list.font, (SkinFont{"Segoe UI", 11.25, true, false}));
    EXPECT_EQ(reading.style.toolbar.font, (SkinFont{"Carlito", 12, true, true}));
    EXPECT_FALSE(reading.style.toolbar.background);
    EXPECT_EQ(reading.style.progress.fill, Colour{0x00FF00});
    EXPECT_EQ(reading.style.progress.fillText, Colour{0});
    EXPECT_EQ(reading.style.progress.font, (SkinFont{"Arial", 9, false, false}));
}

TEST(SkinReaderTest, ALaterValueForTheSameKeyWinsAndSectionsMayRepeat) {
    const SkinReading reading =
        ReadSkin("[list]\ntext = #000001\n[window]\n[list]\ntext = #000002\n");
    ASSERT_FALSE(reading.fault);
    EXPECT_EQ(reading.style.list.text, Colour{0x020000});
}

// Found by the skin reader fuzzer: the C library's number reader also takes
// hexadecimal and exponents, so "0x20" passed as a 32-point font.
TEST(SkinReaderTest, AFontSizeIsWrittenInDecimalOnly) {
    for (const std::string size : {"0x20", "0X1A", "1e1", "5E0", "0x1p4", "1.5e1"}) {
        const SkinReading reading = ReadSkin("[list]\nfont = Calibri, " + size + "\n");
        ASSERT_TRUE(reading.fault) << size;
        EXPECT_NE(reading.fault->reason.find("\"" + size + "\" is not a font size"),
                  std::string::npos)
            << reading.fault->reason;
    }
    const SkinReading reading = ReadSkin("[list]\nfont = Calibri, 010.50\n");
    ASSERT_FALSE(reading.fault) << reading.fault->reason;
    EXPECT_EQ(reading.style.list.font->points, 10.5);
}

struct FaultCase {
    const char* text;
    int line;
    const char* mentions;
};

class SkinFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SkinFaultTest, NamesTheLineAndWhatIsWrong) {
    const SkinReading reading = ReadSkin(GetParam().text);
    ASSERT_TRUE(reading.fault);
    EXPECT_EQ(reading.fault->line, GetParam().line);
    EXPECT_NE(reading.fault->reason.find(GetParam().mentions), std::string::npos)
        << reading.fault->reason;
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, SkinFaultTest,
    ::testing::Values(
        FaultCase{"background = #FFFFFF\n", 1, "before the first [section]"},
        FaultCase{"[window]\n\n[menu]\n", 3, "[menu] is not a section"},
        FaultCase{"[window\n", 1, "closing ]"},
        FaultCase{"[window]\ntext = #000000\n", 2, "\"text\" is not a key of [window]"},
        FaultCase{"[list]\nfill = #000000\n", 2, "it takes background, text, font"},
        FaultCase{"[list]\ncolour #000000\n", 2, "neither a [section] nor a key = value"},
        FaultCase{"[list]\ntext = #12345\n", 2, "#RRGGBB"},
        FaultCase{"[list]\ntext = #12345G\n", 2, "\"#12345G\" is not a colour"},
        FaultCase{"[list]\ntext = red\n", 2, "is not a colour"},
        FaultCase{"[list]\r\n# fine\r\nfont = Calibri\r\n", 3, "a name and a size"},
        FaultCase{"[list]\nfont = , 11\n", 2, "font name"},
        FaultCase{"[list]\nfont = Calibri, 11pt\n", 2, "\"11pt\" is not a font size"},
        FaultCase{"[list]\nfont = Calibri, 0\n", 2, "not a font size"},
        FaultCase{"[list]\nfont = Calibri, 500\n", 2, "not a font size"},
        FaultCase{"[list]\nfont = Calibri, 11, heavy\n", 2, "\"heavy\" is not bold or italic"},
        FaultCase{"[list]\nfont = An Extremely Long Font Family Name\u00e9, 11\n", 2,
                  "font name"}));

} // namespace

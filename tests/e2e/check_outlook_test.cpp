// Check Outlook… against the stand-in: every assumption holds against an
// Outlook that behaves as documented; each way the stand-in can be told to
// differ fails that assumption, in words, and the next run carries what the
// check learned. The check's folder never outlives it.

#include "import_fixture.h"

#include "support/script_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class CheckOutlook : public ImportTest {
protected:
    // What a check learns stays for later runs; no other test may inherit it.
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Trelvik\\Quorvane\\OutlookCheck");
    }

    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t found = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++found;
        return found;
    }

    // The report the check's output names.
    static std::string reportOf(const std::string& output) {
        const std::string mark = "The report: ";
        const auto at = output.find(mark);
        if (at == std::string::npos)
            return {};
        const std::string path =
            output.substr(at + mark.size(), output.find('\n', at) - at - mark.size());
        std::ifstream in(std::filesystem::path(win32::toWide(path)), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Every folder the check made was deleted.
    void expectNothingLeft() const {
        for (const std::wstring& line : readLines(logFile)) {
            if (line.starts_with(L"Folders.Add ")) {
                EXPECT_GT(logLines(L"Folder.Delete " + line.substr(12)), 0u)
                    << win32::toUtf8(line) << " was not deleted";
            }
        }
    }
};

TEST_F(CheckOutlook, EachAssumptionPassesOrFailsInWordsAsTheStandInBehaves) {
    struct Case {
        const wchar_t* name; // of the stand-in's switch; none for Outlook as documented
        const wchar_t* value;
        std::vector<std::string> inReport; // whole lines' beginnings
        std::size_t failures;
    };
    const Case cases[] = {
        {nullptr,
         nullptr,
         {"passed  A work phone: in Business, as expected.",
          "passed  A phone without a type: Outlook keeps it, in Other; Quorvane no longer "
          "carries it."},
         0},
        {L"Keeps",
         L"less",
         {"passed  A phone without a type: Outlook drops it; Quorvane carries it."},
         0},
        {L"Keeps",
         L"more",
         {"FAILED  A PCS phone: expected to be dropped; Outlook kept it in",
          "passed  A nickname: Outlook keeps it, in Nickname; Quorvane no longer carries it."},
         2},
        {L"Utf8WithoutCharset",
         L"1",
         {"FAILED  A name without CHARSET is read in the Windows code page: expected "
          "\"Jos\xC3\x83\xC2\xA9 M\xC3\x83\xC2\xBCller\"; Outlook read \"Jos\xC3\xA9 "
          "M\xC3\xBCller\"."},
         1},
        {L"SavesEveryCard",
         L"1",
         {"FAILED  Outlook reads only a file's first contact: expected the first of two alone; "
          "Outlook stored 2 contact(s)"},
         1},
        {L"FailGetTable",
         L"1",
         {"FAILED  The folder's table lists what the duplicate check compares: Outlook would not "
          "list the folder",
          "FAILED  A contact imported again is found already there"},
         2},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name ? win32::toUtf8(test.name) : "as documented");
        resetStandIn(logFile, savedFile);
        // The user's own contact, which the check must neither touch nor tell.
        setStandIn(L"PreloadFile", file(L"own.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ursula "
                                                    "User\r\nTEL:+1 555 0100\r\nEND:VCARD\r\n"));
        if (test.name && std::wstring(test.value) == L"1")
            setStandIn(test.name, 1);
        else if (test.name)
            setStandIn(test.name, std::wstring(test.value));
        const auto started = std::chrono::steady_clock::now();
        const ScriptRun check = runQuorvaneScript(L"/check", 120s);
        const auto took = std::chrono::steady_clock::now() - started;
        ASSERT_TRUE(check.ended) << check.output;
        EXPECT_EQ(check.exitCode, 0) << check.output;
        const std::string report = reportOf(check.output);
        ASSERT_FALSE(report.empty()) << check.output;
        for (const std::string& line : test.inReport)
            EXPECT_NE(report.find("\r\n" + line), std::string::npos) << line << "\n" << report;
        EXPECT_EQ(count(report, "FAILED  "), test.failures) << report;
        EXPECT_NE(report.find("Outlook 16.0.0.0"), std::string::npos) << report;
        EXPECT_EQ(count(report, "Ursula"), 0u) << "the report holds the user's own contact";
        expectNothingLeft();
        std::printf("The check took %.1f s against the stand-in.\n",
                    std::chrono::duration<double>(took).count());
    }
}

TEST_F(CheckOutlook, TheNextRunCarriesWhatTheCheckLearned) {
    // An Outlook that keeps nicknames: once checked, a run stops reading
    // them back to carry them.
    setStandIn(L"Keeps", std::wstring(L"more"));
    ASSERT_EQ(runQuorvaneScript(L"/check", 120s).exitCode, 0);
    resetStandIn(logFile, savedFile);
    setStandIn(L"Keeps", std::wstring(L"more"));
    const std::wstring card = file(L"nick.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nick Learned\r\n"
                                                "NICKNAME:Nicky\r\nEND:VCARD\r\n");
    const ScriptRun run = runQuorvaneScript(L"/import /quiet \"" + card + L"\"", 60s);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(savedPaths(savedFile).size(), 1u);
    EXPECT_EQ(logLines(L"get NickName"), 0u);
}

} // namespace

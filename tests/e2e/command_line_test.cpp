// quorvane.exe run from a script: /import and /undo without a person, the
// exit codes a log-on script tests, and files handed over on the command
// line ("Open with", "Send to").

#include "import_fixture.h"
#include "run_records.h"

#include "support/child_process.h"
#include "support/script_run.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class CommandLine : public ImportTest {
protected:
    // A folder of three people in two files, one of them below; each with
    // an e-mail address, by which a second run knows them.
    std::wstring contactsFolder() {
        const auto person = [](const std::string& name) {
            return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nEMAIL:" + name.substr(0, 2) +
                   "@example.com\r\nEND:VCARD\r\n";
        };
        const std::wstring cardsFolder = folder + L"\\cards";
        makeFolders(cardsFolder + L"\\more");
        writeFile(cardsFolder + L"\\team.vcf", person("Ann Script") + person("Bo Script"));
        writeFile(cardsFolder + L"\\more\\cy.vcf", person("Cy Script"));
        return cardsFolder;
    }

    static std::string describe(const ScriptRun& run) {
        return "exit " + std::to_string(run.exitCode) + ", output:\n" + run.output;
    }
};

TEST_F(CommandLine, AQuietImportStoresEveryContactOnceAndAnUndoTakesThemBack) {
    // Each run reaches an Outlook of its own: the mailbox outlives them.
    setStandIn(L"StoreFile", folder + L"\\mailbox.txt");
    const std::wstring cards = contactsFolder();
    const ScriptRun first = runQuorvaneScript(L"/import /quiet " + test::quoted(cards), 120s);
    ASSERT_TRUE(first.ended) << describe(first);
    EXPECT_EQ(first.exitCode, 0) << describe(first);
    EXPECT_FALSE(first.showedWindow);
    EXPECT_EQ(savedPaths(savedFile).size(), 3u);
    EXPECT_NE(first.output.find("3 contacts stored"), std::string::npos) << describe(first);
    EXPECT_NE(first.output.find("The record of this run: "), std::string::npos);

    // A log-on script runs it again at every log-on: nothing is stored twice.
    const ScriptRun again = runQuorvaneScript(L"-IMPORT -Quiet " + test::quoted(cards), 120s);
    EXPECT_EQ(again.exitCode, 0) << describe(again);
    EXPECT_EQ(savedPaths(savedFile).size(), 3u);
    EXPECT_NE(again.output.find("3 contacts already there"), std::string::npos) << describe(again);

    const ScriptRun undo = runQuorvaneScript(L"/undo /quiet", 120s);
    EXPECT_EQ(undo.exitCode, 0) << describe(undo);
    EXPECT_EQ(logLines(L"Delete "), 3u);
}

TEST_F(CommandLine, ExitCodesTellAScriptWhatHappened) {
    const std::wstring one = file(L"one.vcf", cards({"Dee Script"}));
    struct Case {
        const char* what;
        std::wstring arguments;
        const wchar_t* failingSwitch; // set on the stand-in for this case
        int exitCode;
        const char* said; // in the output
        std::size_t stored;
    };
    const Case cases[] = {
        {"an unknown switch", L"/imprt /quiet " + test::quoted(one), nullptr, 2,
         "Unknown switch: /imprt", 0},
        {"a file that is not there, beside one that is",
         L"/import /quiet " + test::quoted(folder + L"\\missing.vcf") + L" " + test::quoted(one),
         nullptr, 1, "missing.vcf", 1},
        {"a Save Outlook refuses", L"/import /quiet " + test::quoted(one), L"FailSave", 1,
         "could not be saved", 0},
        {"the usage", L"/?", nullptr, 0, "Exit codes:", 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        resetStandIn(logFile, savedFile);
        if (test.failingSwitch)
            setStandIn(test.failingSwitch, 1);
        const ScriptRun run = runQuorvaneScript(test.arguments, 120s);
        if (test.failingSwitch)
            clearStandIn(test.failingSwitch);
        ASSERT_TRUE(run.ended) << describe(run);
        EXPECT_EQ(run.exitCode, test.exitCode) << describe(run);
        EXPECT_NE(run.output.find(test.said), std::string::npos) << describe(run);
        EXPECT_FALSE(run.showedWindow);
        EXPECT_EQ(savedPaths(savedFile).size(), test.stored);
    }
}

// The folder a script names is walked to by its path; one Outlook does not
// have takes nothing, and the output says which it was.
TEST_F(CommandLine, AQuietImportGoesIntoTheFolderNamedOrNowhere) {
    const std::wstring one = file(L"one.vcf", cards({"Hal Script"}));
    struct Case {
        const wchar_t* folder;
        int exitCode;
        std::size_t stored;
    };
    for (const Case& test : {Case{L"Contacts\\Friends", 0, 1}, Case{L"Contacts\\Nowhere", 2, 0}}) {
        const std::string folderName = win32::toUtf8(test.folder);
        SCOPED_TRACE(folderName);
        resetStandIn(logFile, savedFile);
        setStandIn(L"Folders", std::wstring(L"Contacts\\Friends"));
        const ScriptRun run = runQuorvaneScript(
            L"/import /quiet /folder " + std::wstring(test.folder) + L" " + test::quoted(one),
            120s);
        ASSERT_TRUE(run.ended) << describe(run);
        EXPECT_EQ(run.exitCode, test.exitCode) << describe(run);
        const auto saved = savedContacts(savedFile);
        ASSERT_EQ(saved.size(), test.stored);
        if (test.stored > 0)
            EXPECT_EQ(saved[0].folder, standInFolderPath(test.folder));
        else
            EXPECT_NE(run.output.find(folderName), std::string::npos) << describe(run);
    }
}

TEST_F(CommandLine, AQuietImportWhileAnotherRunsImportsNothing) {
    const std::wstring slow = file(L"slow.vcf", cards({"Eve Slow"}));
    setStandIn(L"OpenDelayMs", 8000);
    Quorvane app;
    startRun(app, {slow});
    ASSERT_TRUE(waitUntil([&] { return logLines(L"launch ") > 0; }, 20s));
    const ScriptRun script =
        runQuorvaneScript(L"/import /quiet " + test::quoted(file(L"x.vcf", cards({"Fay"}))), 60s);
    EXPECT_EQ(script.exitCode, 2) << describe(script);
    EXPECT_NE(script.output.find("Another Quorvane"), std::string::npos) << describe(script);
    app.answerBoxesUntil(L"Done.", 60s);
    clearStandIn(L"OpenDelayMs");
    EXPECT_EQ(savedPaths(savedFile), std::vector<std::wstring>{slow});
}

TEST_F(CommandLine, FilesGivenWithoutASwitchAreQueuedInTheWindow) {
    const std::wstring cards = contactsFolder();
    const std::wstring one = file(L"one.vcf", ::cards({"Gus"}));
    Quorvane app(test::quoted(one) + L" " + test::quoted(cards));
    EXPECT_TRUE(waitUntil([&] { return app.rowCount() == 3; }, 20s)) << app.rowCount();
    EXPECT_TRUE(savedPaths(savedFile).empty()) << "nothing is imported before Start";
}

} // namespace

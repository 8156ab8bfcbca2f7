// The real quorvane.exe against the stand-in Outlook, under Wine.

#include "import_fixture.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class EndToEnd : public ImportTest {
protected:
    std::vector<std::wstring> makeContacts(std::initializer_list<const wchar_t*> names) {
        std::vector<std::wstring> paths;
        for (const wchar_t* name : names)
            paths.push_back(makeContact(name));
        return paths;
    }

    // The step each "Application Error" box reported, in order.
    static std::vector<int> errorSteps(const std::vector<Box>& boxes) {
        std::vector<int> steps;
        for (const Box& box : boxes) {
            if (box.title == L"Application Error")
                steps.push_back(reportedStep(box));
        }
        return steps;
    }
};

TEST_F(EndToEnd, FourQueuedFilesAreSavedInOrderAndTheirWindowsClosed) {
    const auto files = makeContacts({L"Ann.vcf", L"Bob.vcf", L"Cid Smith.vcf", L"Dee.vcf"});
    Quorvane app;
    app.appendRows(files);
    ASSERT_EQ(app.rowCount(), 4);
    app.command(CommandId::Start);
    const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Done.");
    EXPECT_EQ(boxes.back().title, L"Quorvane");
    EXPECT_EQ(boxes.size(), 1u) << describe(boxes);
    EXPECT_EQ(savedPaths(savedFile), files);
    // Every item window was closed, and the bar is back at rest.
    EXPECT_EQ(logLines(L"Close(1) "), 4u);
    EXPECT_EQ(app.progressText(), L"Progress Bar");
    EXPECT_EQ(app.progressValue(), 0.0);
    EXPECT_EQ(app.rowCount(), 4); // the queue is kept
}

TEST_F(EndToEnd, AnEmptyQueueOnlySaysNoFilesAddedAndNeverContactsOutlook) {
    Quorvane app;
    app.command(CommandId::Start);
    const auto boxes = app.answerBoxesUntil(L"No files added.", 20s);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"No files added.");
    EXPECT_EQ(boxes[0].title, L"Quorvane");
    EXPECT_TRUE(readLines(logFile).empty());
}

TEST_F(EndToEnd, AFailingSaveGivesTheExactReportAndTheRunEndsWithDone) {
    setStandIn(L"FailSave", 1);
    Quorvane app;
    const auto boxes = runThroughDone(app, makeContacts({L"a.vcf", L"b.vcf"}));
    ASSERT_EQ(boxes.size(), 3u) << describe(boxes);
    EXPECT_EQ(boxes[0].title, L"Application Error");
    // A message box shows a bare CR as a line break; the text itself holds
    // exactly what was passed.
    EXPECT_EQ(boxes[0].text,
              L"The contact could not be saved.\r\nin Pellicor5/20/2014.Form1.Start at line "
              L"128\r\rPlease email screenshot of this message to support@quorvane.example");
    EXPECT_EQ(boxes[2].text, L"Done.");
    EXPECT_TRUE(savedPaths(savedFile).empty());
}

TEST_F(EndToEnd, HelpShowsItsTextInAnOkBoxTitledByTheApplication) {
    Quorvane app;
    app.appendRows({L"C:\\a.vcf", L"C:\\b.vcf"});
    const auto boxes = showHelp(app);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, HelpText);
    EXPECT_EQ(boxes[0].title, L"Quorvane");
    EXPECT_EQ(app.rowCount(), 2); // the queue is as it was
}

TEST_F(EndToEnd, ClosingTheWindowMidRunEndsTheProcessPromptlyAndReleasesOutlook) {
    setStandIn(L"OpenDelayMs", 4000);
    Quorvane app;
    startRun(app, makeContacts({L"a.vcf", L"b.vcf"}));
    ASSERT_TRUE(waitUntil([&] { return logLines(L"launch ") > 0; }, 30s));
    ASSERT_NO_FATAL_FAILURE(closeAndExpectPromptExit(app));
    // The run's references were released on the way out.
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto log = readLines(logFile);
            return !log.empty() && log.back().find(L"live=0") != std::wstring::npos;
        },
        10s));
    EXPECT_TRUE(savedPaths(savedFile).empty());
}

TEST_F(EndToEnd, AWindowThatNeverOpensIsReportedAfterTheBound) {
    setStandIn(L"NeverOpen", 1);
    const auto files = makeContacts({L"stuck.vcf", L"next.vcf"});
    SetEnvironmentVariableW(L"QUORVANE_TEST_OPEN_WAIT_MS", L"3000");
    Quorvane app;
    SetEnvironmentVariableW(L"QUORVANE_TEST_OPEN_WAIT_MS", nullptr);
    const auto boxes = runThroughDone(app, files);
    ASSERT_EQ(errorSteps(boxes), (std::vector<int>{124, 124})) << describe(boxes);
    EXPECT_NE(boxes[0].text.find(files[0]), std::wstring::npos);
    EXPECT_EQ(boxes.back().text, L"Done.");
}

TEST_F(EndToEnd, WithoutOutlookEveryFileIsReportedAndNothingHangs) {
    runStandIn(L"/unregserver");
    const auto files = makeContacts({L"a.vcf"});
    {
        Quorvane app;
        const auto boxes = runThroughDone(app, files);
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back().text, L"Done.");
        // No class to reach, no collection, no count, and no program to
        // launch; a launch that failed is not waited for.
        EXPECT_EQ(errorSteps(boxes), (std::vector<int>{114, 116, 118, 120})) << describe(boxes);
    }
    runStandIn(L"/regserver");
}

TEST_F(EndToEnd, ThePlacementIsStoredAfterANormalExitAndNotAfterAMaximisedOne) {
    RegDeleteTreeW(HKEY_CURRENT_USER, PlacementKey);
    {
        Quorvane app;
        ShowWindow(app.window(), SW_MAXIMIZE);
        ASSERT_TRUE(waitUntil([&] { return IsZoomed(app.window()) != FALSE; }, 5s));
        app.close();
        ASSERT_TRUE(app.waitForExit(10s));
    }
    EXPECT_FALSE(placementValue(L"Left"));
    EXPECT_FALSE(placementValue(L"Height"));

    RECT bounds{};
    {
        Quorvane app;
        GetWindowRect(app.window(), &bounds);
        app.close();
        ASSERT_TRUE(app.waitForExit(10s));
    }
    // Outer size in twips: 15 a pixel at 96 DPI.
    EXPECT_EQ(placementValue(L"Left"), std::to_wstring(bounds.left * 15));
    EXPECT_EQ(placementValue(L"Top"), std::to_wstring(bounds.top * 15));
    EXPECT_EQ(placementValue(L"Width"), std::to_wstring((bounds.right - bounds.left) * 15));
    EXPECT_EQ(placementValue(L"Height"), std::to_wstring((bounds.bottom - bounds.top) * 15));
}

} // namespace

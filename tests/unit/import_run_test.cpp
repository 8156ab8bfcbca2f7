#include "import_run_fixture.h"
#include "text/backslash_path.h"

#include <algorithm>
#include <functional>

using namespace quorvane;
using namespace quorvane::testing;
using namespace std::chrono_literals;

TEST_F(ImportRunTest, EmptyQueueShowsOnlyNoFilesAddedAndNeverContactsOutlook) {
    EXPECT_EQ(run(), RunEnd::Finished);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "No files added.");
    EXPECT_EQ(window.messages[0].style, MessageStyle::Plain);
    EXPECT_FALSE(window.messages[0].title.has_value());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"runEnded", "message No files added."}));
    EXPECT_TRUE(outlook.log.empty());
}

TEST_F(ImportRunTest, FourFilesAreSavedInOrderWithProgressBeforeEachFile) {
    queueFiles({"C:\\c\\Ann.vcf", "C:\\c\\Bob.vcf", "C:\\c\\Cid.vcf", "C:\\c\\Dee.vcf"});
    EXPECT_EQ(run(), RunEnd::Finished);

    EXPECT_EQ(outlook.saved, (std::vector<std::string>{"C:\\c\\Ann.vcf", "C:\\c\\Bob.vcf",
                                                       "C:\\c\\Cid.vcf", "C:\\c\\Dee.vcf"}));
    EXPECT_TRUE(outlook.openWindows.empty());
    EXPECT_EQ(outlook.liveReferences, 0);
    EXPECT_EQ(window.progressValues, (std::vector<double>{25, 50, 75, 100, 0}));
    EXPECT_EQ(
        window.progressTexts,
        (std::vector<std::string>{"Processing: Ann.vcf", "Processing: Bob.vcf",
                                  "Processing: Cid.vcf", "Processing: Dee.vcf", "Progress Bar"}));
    // The bar is back at rest, the pointer an arrow and the end announced
    // before "Done." shows.
    const std::vector<std::string> tail(window.calls.end() - 5, window.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"pointer arrow", "value 0.000000",
                                              "text Progress Bar", "runEnded", "message Done."}));
    EXPECT_EQ(window.calls.front(), "pointer hourglass");
    EXPECT_EQ(window.messages.size(), 1u);
    // The queue is read, never consumed: a second run imports everything again.
    EXPECT_EQ(queue.count(), 4u);
}

TEST_F(ImportRunTest, EachCycleMakesTheOutlookCallsInOrderAndLaunchesWithTheQuotedPath) {
    queueFiles({"D:\\My Contacts\\Ann.vcf"});
    (void)run();
    EXPECT_EQ(outlook.log,
              (std::vector<std::string>{"create", "Inspectors", "Count 0", "Count 1", "Item(1)",
                                        "CurrentItem", "Save D:\\My Contacts\\Ann.vcf", "Item(1)",
                                        "Close(discard)"}));
    ASSERT_EQ(shell.launches.size(), 1u);
    const ShellLaunch& launch = shell.launches[0];
    EXPECT_EQ(launch.program, "outlook");
    EXPECT_EQ(launch.parameters, "/v \"D:\\My Contacts\\Ann.vcf\"");
    EXPECT_EQ(launch.directory, "C:\\");
    EXPECT_EQ(launch.show, ShowCommand::Maximized);
    EXPECT_EQ(launch.owner, window.nativeHandle());
}

TEST_F(ImportRunTest, WaitsOnTheMessageQueueUntilOutlookShowsExactlyOneWindow) {
    outlook.pollsBeforeOpen = 5;
    queueFiles({"a.vcf"});
    (void)run();
    EXPECT_EQ(outlook.saved, std::vector<std::string>{"a.vcf"});
    EXPECT_TRUE(reportedSteps().empty());
    EXPECT_GE(window.yields, 5);
}

TEST_F(ImportRunTest, SaveFailureGivesTheExactReportAndTheRunStillEndsWithDone) {
    outlook.failing = {"Save"};
    queueFiles({"C:\\x\\a.vcf", "C:\\x\\b.vcf"});
    (void)run();
    ASSERT_EQ(reportedSteps(), (std::vector<int>{128, 128}));
    const Message& report = window.messages[0];
    EXPECT_EQ(report.text, "Save failed in Outlook.\r\nin Pellicor5/20/2014.Form1.Start at line "
                           "128\r\rPlease email screenshot of this message to " +
                               std::string(SupportAddress));
    EXPECT_EQ(report.style, MessageStyle::Exclamation);
    EXPECT_EQ(report.title, std::string("Application Error"));
    // The window is still closed without saving, so the next file can open.
    EXPECT_TRUE(outlook.openWindows.empty());
    EXPECT_EQ(shell.launches.size(), 2u);
    EXPECT_EQ(lastMessage(), "Done.");
}

TEST_F(ImportRunTest, UnreachableOutlookReportsEachStepAndMovesOnWithoutWaiting) {
    outlook.failing = {"create"};
    queueFiles({"a.vcf", "b.vcf"});
    EXPECT_EQ(run(), RunEnd::Finished);
    // No collection to poll: the wait ends at its first poll instead of hanging.
    EXPECT_EQ(reportedSteps(), (std::vector<int>{114, 116, 118, 124, 114, 116, 118, 124}));
    EXPECT_EQ(window.messages[0].text.substr(0, 21), "Invalid class string\r");
    EXPECT_NE(window.messages[3].text.find("a.vcf"), std::string::npos);
    EXPECT_EQ(shell.launches.size(), 2u); // the launch still happens, as if no window were open
    EXPECT_EQ(lastMessage(), "Done.");
}

TEST_F(ImportRunTest, FailuresResumeAtTheStepTheTableNames) {
    struct Case {
        std::set<std::string> failing;
        std::vector<int> steps;
        std::vector<std::string> saved;
        std::size_t launches;
    };
    const std::vector<Case> cases = {
        {{"Inspectors"}, {116, 118, 124}, {}, 1},
        {{"Count"}, {118, 124}, {}, 1},
        {{"Item"}, {128, 130}, {}, 1},
        {{"CurrentItem"}, {128}, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.failing.begin());
        FakeWindow caseWindow{&clock};
        FakeOutlook caseOutlook;
        FakeShell caseShell{caseOutlook};
        caseOutlook.failing = c.failing;
        ImportQueue one;
        one.add("a.vcf");
        EXPECT_EQ(runThroughItemWindows(one, caseWindow, caseOutlook, caseShell), RunEnd::Finished);
        window.messages = caseWindow.messages;
        EXPECT_EQ(reportedSteps(), c.steps);
        EXPECT_EQ(caseOutlook.saved, c.saved);
        EXPECT_EQ(caseShell.launches.size(), c.launches);
        EXPECT_EQ(caseWindow.messages.back().text, "Done.");
        EXPECT_EQ(caseOutlook.liveReferences, 0);
    }
}

TEST_F(ImportRunTest, AWindowLeftOpenIsReportedForEveryFileItBlocks) {
    outlook.failing = {"Close"};
    queueFiles({"a.vcf", "b.vcf", "c.vcf"});
    (void)run();
    // The close fails, the window stays; later files are not silently skipped.
    EXPECT_EQ(reportedSteps(), (std::vector<int>{130, 118, 118}));
    EXPECT_NE(window.messages[1].text.find("b.vcf"), std::string::npos);
    EXPECT_NE(window.messages[2].text.find("c.vcf"), std::string::npos);
    EXPECT_EQ(outlook.saved, std::vector<std::string>{"a.vcf"});
    EXPECT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(lastMessage(), "Done.");
}

TEST_F(ImportRunTest, AFailedLaunchIsReportedAndNotWaitedFor) {
    shell.fail = true;
    queueFiles({"a.vcf", "b.vcf"});
    (void)run();
    EXPECT_EQ(reportedSteps(), (std::vector<int>{120, 120}));
    EXPECT_EQ(window.messages[0].text.substr(0, 41), "The system cannot find the file specified");
    EXPECT_EQ(window.yields, 2); // one per cycle, none waiting
}

TEST_F(ImportRunTest, APathWithADoubleQuoteIsNeverHandedToTheShell) {
    queueFiles({"C:\\a.vcf\" /x \"b.vcf", "c.vcf"});
    (void)run();
    EXPECT_EQ(reportedSteps(), std::vector<int>{120});
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].parameters, "/v \"c.vcf\"");
    EXPECT_EQ(outlook.saved, std::vector<std::string>{"c.vcf"});
}

TEST_F(ImportRunTest, TheWaitGivesUpAfterTheBoundNamingTheFile) {
    outlook.windowsPerLaunch = 0; // Outlook never opens anything
    queueFiles({"C:\\x\\stuck.vcf", "C:\\x\\next.vcf"});
    (void)run();
    EXPECT_EQ(reportedSteps(), (std::vector<int>{124, 124}));
    EXPECT_NE(window.messages[0].text.find("C:\\x\\stuck.vcf within 2 seconds"), std::string::npos);
    EXPECT_EQ(lastMessage(), "Done.");
}

TEST_F(ImportRunTest, TwoWindowsKeepTheRunWaitingAsNoWindowDoes) {
    outlook.windowsPerLaunch = 2;
    queueFiles({"a.vcf"});
    (void)run();
    EXPECT_EQ(reportedSteps(), std::vector<int>{124});
    EXPECT_TRUE(outlook.saved.empty());
}

TEST_F(ImportRunTest, RowsRemovedMidRunAreReportedAndNeverImportTheLastFileTwice) {
    queueFiles({"a.vcf", "b.vcf", "c.vcf"});
    window.onYield = [&] {
        if (outlook.saved.size() == 1 && queue.count() == 3) {
            (void)queue.remove(3);
            (void)queue.remove(2);
        }
    };
    (void)run();
    EXPECT_EQ(outlook.saved, std::vector<std::string>{"a.vcf"});
    EXPECT_EQ(reportedSteps(), (std::vector<int>{108, 108}));
    EXPECT_EQ(lastMessage(), "Done.");
}

TEST_F(ImportRunTest, RowsAddedMidRunLowerThePercentageButAreNotImported) {
    queueFiles({"a.vcf", "b.vcf"});
    window.onYield = [&] {
        if (queue.count() == 2)
            queue.add("late.vcf");
    };
    (void)run();
    EXPECT_EQ(outlook.saved, (std::vector<std::string>{"a.vcf", "b.vcf"}));
    ASSERT_GE(window.progressValues.size(), 2u);
    EXPECT_NEAR(window.progressValues[0], 100.0 / 3, 1e-9);
}

TEST_F(ImportRunTest, ClosingTheWindowEndsTheRunAtOnceAndReleasesOutlook) {
    queueFiles({"a.vcf", "b.vcf", "c.vcf"});
    outlook.pollsBeforeOpen = 3;
    // Closed while the second file is being waited for.
    window.onYield = [&] {
        if (outlook.saved.size() == 1 && !shell.launches.empty() && shell.launches.size() == 2)
            window.isClosing = true;
    };
    EXPECT_EQ(run(), RunEnd::WindowClosed);
    EXPECT_EQ(outlook.saved, std::vector<std::string>{"a.vcf"});
    EXPECT_EQ(outlook.liveReferences, 0);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.progressTexts.back(), "Processing: b.vcf");
}

TEST_F(ImportRunTest, ClosingWhileAnErrorReportIsUpRunsNothingFurther) {
    outlook.failing = {"Save"};
    queueFiles({"a.vcf", "b.vcf"});
    window.onMessage = [&](const Message&) { window.isClosing = true; };
    EXPECT_EQ(run(), RunEnd::WindowClosed);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(outlook.liveReferences, 0);
}

// The window clears what only a run shows (the taskbar's progress) when told
// the run has ended, so every way out must tell it, and only once.
TEST_F(ImportRunTest, EveryWayARunEndsIsAnnouncedOnce) {
    const auto announcements = [](const FakeWindow& w) {
        return std::count(w.calls.begin(), w.calls.end(), "runEnded");
    };
    struct Case {
        const char* name;
        std::function<void(FakeWindow&, FakeOutlook&, ImportQueue&)> arrange;
        RunEnd end;
        bool lastCall; // else the closing box comes after it
    };
    const std::vector<Case> cases = {
        {"every file failing",
         [](FakeWindow&, FakeOutlook& o, ImportQueue& q) {
             o.failing = {"create"};
             q.add("a.vcf");
         },
         RunEnd::Finished, false},
        {"closed while waiting for Outlook",
         [](FakeWindow& w, FakeOutlook& o, ImportQueue& q) {
             o.pollsBeforeOpen = 3;
             q.add("a.vcf");
             w.onYield = [&w] {
                 if (w.yields == 2)
                     w.isClosing = true;
             };
         },
         RunEnd::WindowClosed, true},
        {"closed while an error box is up",
         [](FakeWindow& w, FakeOutlook& o, ImportQueue& q) {
             o.failing = {"Save"};
             q.add("a.vcf");
             w.onMessage = [&w](const Message&) { w.isClosing = true; };
         },
         RunEnd::WindowClosed, true},
        {"closed at the first yield",
         [](FakeWindow& w, FakeOutlook&, ImportQueue& q) {
             q.add("a.vcf");
             w.isClosing = true;
         },
         RunEnd::WindowClosed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWindow caseWindow{&clock};
        FakeOutlook caseOutlook;
        FakeShell caseShell{caseOutlook};
        ImportQueue caseQueue;
        c.arrange(caseWindow, caseOutlook, caseQueue);
        EXPECT_EQ(runThroughItemWindows(caseQueue, caseWindow, caseOutlook, caseShell), c.end);
        EXPECT_EQ(announcements(caseWindow), 1);
        ASSERT_FALSE(caseWindow.calls.empty());
        if (c.lastCall)
            EXPECT_EQ(caseWindow.calls.back(), "runEnded");
        else
            EXPECT_EQ(caseWindow.calls.end()[-2], "runEnded");
    }
}

TEST(GetFileName, OnlyTheLastBackslashSeparates) {
    EXPECT_EQ(GetFileName("C:\\contacts\\Ann.vcf"), "Ann.vcf");
    EXPECT_EQ(GetFileName("Ann.vcf"), "Ann.vcf");
    EXPECT_EQ(GetFileName("C:\\contacts\\"), "");
    EXPECT_EQ(GetFileName(""), "");
    EXPECT_EQ(GetFileName("C:/contacts/Ann.vcf"), "C:/contacts/Ann.vcf");
    EXPECT_EQ(GetFileName("\\\\server\\share\\a/b.vcf"), "a/b.vcf");
}

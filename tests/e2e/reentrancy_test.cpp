// Closing the window in every phase of a run, and commands and dropped rows
// that arrive while a run yields: the process must end promptly and let go of
// Outlook, and no file may be imported twice or vanish without a word.

#include "import_fixture.h"
#include "support/box_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class Reentrancy : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        RegDeleteTreeW(HKEY_CURRENT_USER, PlacementKey);
    }
    void TearDown() override { settleStandIn(); }

    std::vector<std::wstring> makeContacts(int count) {
        std::vector<std::wstring> paths;
        for (int i = 1; i <= count; ++i)
            paths.push_back(makeContact(L"Contact " + std::to_wstring(i) + L".vcf"));
        return paths;
    }

    std::size_t savedCount() const { return savedPaths(savedFile).size(); }

    static void expectPlacementWritten() {
        for (const wchar_t* name : {L"Left", L"Top", L"Width", L"Height"})
            EXPECT_TRUE(placementValue(name)) << "no placement value " << win32::toUtf8(name);
    }

    // What every close must leave: the process gone within 3 s, every
    // Outlook object released, the placement written.
    void closeAndExpectCleanEnd(Quorvane& app) {
        ASSERT_NO_FATAL_FAILURE(closeAndExpectPromptExit(app));
        EXPECT_TRUE(waitUntil(
            [&] {
                const auto log = readLines(logFile);
                const auto last =
                    std::find_if(log.rbegin(), log.rend(), [](const std::wstring& line) {
                        return line.rfind(L"release ", 0) == 0;
                    });
                return last == log.rend() || last->find(L"live=0") != std::wstring::npos;
            },
            10s))
            << "the stand-in still holds objects the program created";
        expectPlacementWritten();
        expectNoFileSavedTwice();
    }

    // Closes a run of three contacts once the stand-in has logged `event`.
    void closeOnceLogged(const std::wstring& event) {
        Quorvane app;
        startRun(app, makeContacts(3));
        ASSERT_TRUE(waitUntil([&] { return logLines(event) > 0; }, 30s));
        closeAndExpectCleanEnd(app);
    }

    // Starts a run of three contacts that Outlook cannot save; its first box.
    std::optional<ShownBox> firstBoxOfARunThatCannotSave(Quorvane& app) {
        setStandIn(L"FailSave", 1);
        startRun(app, makeContacts(3));
        return waitForBox(app.processId(), 30s);
    }

    void expectNoFileSavedTwice() const {
        const auto saved = savedPaths(savedFile);
        const std::set<std::wstring> distinct(saved.begin(), saved.end());
        EXPECT_EQ(distinct.size(), saved.size()) << "a contact was saved twice";
    }
};

TEST_F(Reentrancy, ClosingRightAfterALaunchEndsCleanly) {
    closeOnceLogged(L"launch ");
}

TEST_F(Reentrancy, ClosingWhileOutlookRejectsCallsAsBusyEndsCleanly) {
    setStandIn(L"BusyMs", 1500);
    closeOnceLogged(L"reject busy");
}

TEST_F(Reentrancy, ClosingBetweenFilesEndsCleanlyAndLeavesTheRestUnimported) {
    const auto files = makeContacts(40);
    Quorvane app;
    startRun(app, files);
    ASSERT_TRUE(waitUntil([&] { return savedCount() >= 3; }, 60s));
    closeAndExpectCleanEnd(app);
    EXPECT_LT(savedCount(), files.size());
}

TEST_F(Reentrancy, ClosingRightAfterAnsweringAnErrorBoxEndsWithoutAnotherBox) {
    Quorvane app;
    const auto box = firstBoxOfARunThatCannotSave(app);
    ASSERT_TRUE(box);
    EXPECT_EQ(reportedStep(box->box), 128);
    answerOk(*box);
    closeAndExpectCleanEnd(app);
}

TEST_F(Reentrancy, ACloseThatArrivesWhileAnErrorBoxIsUpEndsTheRunOnceTheBoxIsAnswered) {
    Quorvane app;
    const auto box = firstBoxOfARunThatCannotSave(app);
    ASSERT_TRUE(box);
    // The box is modal to the window, not to the system: a close from the
    // taskbar still reaches it.
    app.close();
    Sleep(300);
    if (IsWindow(box->handle))
        answerOk(*box);
    const auto answeredAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(app.waitForExit(10s)) << "the run went on after the window was closed";
    EXPECT_LT(std::chrono::steady_clock::now() - answeredAt, 3s);
    EXPECT_LE(logLines(L"launch "), 1u);
    expectPlacementWritten();
}

TEST_F(Reentrancy, DroppedRowsAndASecondStartDuringARunImportEveryQueuedFileOnce) {
    setStandIn(L"OpenDelayMs", 200);
    const auto files = makeContacts(8);
    const std::vector<std::wstring> first(files.begin(), files.begin() + 5);
    const std::vector<std::wstring> dropped(files.begin() + 5, files.end());
    Quorvane app;
    startRun(app, first);
    ASSERT_TRUE(waitUntil([&] { return savedCount() >= 2; }, 60s));
    app.appendRows(dropped);
    app.command(CommandId::Start); // ignored: one run at a time
    app.command(CommandId::Start);
    const auto boxes = app.answerBoxesUntil(L"Done.", 90s);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Done.");
    EXPECT_EQ(boxes.size(), 1u) << "an error box appeared";
    // The run imports what was queued when it started; the dropped rows wait
    // in the queue for the next run.
    EXPECT_EQ(savedPaths(savedFile), first);
    EXPECT_EQ(app.rowCount(), 8);
    // No second "Done.": the ignored Start left nothing behind.
    Sleep(1000);
    EXPECT_FALSE(findBox(app.processId()).has_value());
    closeAndExpectCleanEnd(app);
}

TEST_F(Reentrancy, ClearingTheListDuringARunReportsTheVanishedRowsAndEndsWithDone) {
    setStandIn(L"OpenDelayMs", 200);
    const auto files = makeContacts(8);
    Quorvane app;
    startRun(app, files);
    ASSERT_TRUE(waitUntil([&] { return savedCount() >= 2; }, 60s));
    app.command(CommandId::ClearList);
    const auto boxes = app.answerBoxesUntil(L"Done.", 90s);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Done.");
    const auto saved = savedPaths(savedFile);
    // What was saved is the head of the queue, each once; every row that
    // vanished before its turn is named in a step-108 report.
    ASSERT_LE(saved.size(), files.size());
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), files.begin()));
    std::size_t vanished = 0;
    for (const Box& box : boxes)
        vanished += reportedStep(box) == 108 ? 1 : 0;
    EXPECT_EQ(saved.size() + vanished, files.size());
    EXPECT_EQ(app.rowCount(), 0);
    closeAndExpectCleanEnd(app);
}

} // namespace

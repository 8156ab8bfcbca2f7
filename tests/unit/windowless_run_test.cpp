// The import without windows: one session per run, every contact stored
// once and let go of at once, failures reported and passed by, and a run that
// cannot reach Outlook saying so once.

#include "import_run_fixture.h"

#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

const FakeFolderInfo Family{"Family", "\\\\Mailbox - Ann\\Contacts\\Family"};
const FakeFolderInfo Inbox{"Inbox", "\\\\Mailbox - Ann\\Inbox", OutlookItemType::Mail};
constexpr WindowlessDestination BothTargets[]{WindowlessDestination::DefaultContacts,
                                              WindowlessDestination::ChosenFolder};

class WindowlessRunTest : public ImportRunTest {
protected:
    FakeOutlookSession& session = outlook.sessions;

    std::vector<std::string> storedFiles() const {
        std::vector<std::string> files;
        for (const StoredContact& contact : session.stored)
            files.push_back(contact.file);
        return files;
    }
    // However a run ends, it holds nothing of Outlook's and leaves no card
    // file behind.
    void expectNothingLeft() const {
        EXPECT_EQ(session.liveReferences, 0);
        EXPECT_EQ(storage.liveFolders, 0);
        EXPECT_TRUE(storage.cardFiles.empty());
    }
    std::size_t sessionCalls(std::string_view prefix) const {
        return static_cast<std::size_t>(std::ranges::count_if(
            session.log, [&](const std::string& call) { return call.starts_with(prefix); }));
    }
};

TEST_F(WindowlessRunTest, EveryContactIsStoredOnceThroughOneSessionAndRecordedWithItsEntryId) {
    storage.files["C:\\c\\three.vcf"] = cards({"Ann", "Bob", "Cid"});
    storage.files["C:\\c\\empty.vcf"] = "not a contact\r\n";
    queueFiles({"C:\\c\\one.vcf", "C:\\c\\three.vcf", "C:\\c\\empty.vcf"});
    EXPECT_EQ(runWithoutWindows(), RunEnd::Finished);

    EXPECT_EQ(sessionCalls("Session"), 1u);
    ASSERT_EQ(session.stored.size(), 4u);
    EXPECT_EQ(session.stored[0].file, "C:\\c\\one.vcf"); // a single card: the user's own file
    const std::vector<std::string> files = storedFiles();
    EXPECT_EQ(std::vector<std::string>(files.begin() + 1, files.end()), storage.cardFilesWritten);
    EXPECT_EQ(session.log[0], "Session");
    EXPECT_EQ(std::vector<std::string>(session.log.begin() + 1, session.log.begin() + 5),
              (std::vector<std::string>{"GetDefaultFolder", "GetTable \\\\Mailbox - Ann\\Contacts",
                                        "OpenSharedItem C:\\c\\one.vcf", "Save C:\\c\\one.vcf"}));

    // The file without a card is reported once, where its contact would open.
    EXPECT_EQ(reportedSteps(), std::vector<int>{222});
    EXPECT_NE(window.messages[0].text.find("This file holds no vCard: C:\\c\\empty.vcf"),
              std::string::npos);
    EXPECT_EQ(firstLineOf(lastMessage()), "Done.");
    EXPECT_EQ(window.calls.front(), "pointer hourglass");

    const std::vector<std::string> rows = recordRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "C:\\c\\one.vcf,1,one.vcf,saved,,,EID1,\\\\Mailbox - "
                       "Ann\\Contacts,,SID,2026-02-07 12:00:00Z");
    EXPECT_EQ(rows[3], "C:\\c\\three.vcf,3,Cid,saved,,,EID4,\\\\Mailbox - "
                       "Ann\\Contacts,,SID,2026-02-07 12:00:00Z");
    EXPECT_EQ(rows[4],
              "C:\\c\\empty.vcf,,,reported,222,This file holds no vCard: C:\\c\\empty.vcf,,");

    expectNothingLeft();
}

// The bar must not tell the two ways of importing apart.
TEST_F(WindowlessRunTest, TheBarShowsWhatTheRunThroughItemWindowsShows) {
    storage.files["C:\\c\\three.vcf"] = cards({"Ann", "Bob", "Cid"});
    queueFiles({"C:\\c\\one.vcf", "C:\\c\\three.vcf", "C:\\c\\two.vcf"});
    (void)run();
    const std::vector<std::string> texts = window.progressTexts;
    const std::vector<double> values = window.progressValues;
    window = FakeWindow{&clock};
    (void)runWithoutWindows();
    EXPECT_EQ(window.progressTexts, texts);
    EXPECT_EQ(window.progressValues, values);
    EXPECT_EQ(window.progressTexts[3], "Processing: 0002 Bob.vcf in three.vcf");
    // One yield per contact, as the windowed run yields once per cycle.
    EXPECT_EQ(window.yields, 5);
}

TEST_F(WindowlessRunTest, AChosenContactsFolderGetsTheMovedItemAndOnlyThatIsSaved) {
    session.picks = {Family};
    queueFiles({"C:\\c\\a.vcf"});
    EXPECT_EQ(runWithoutWindows(WindowlessDestination::ChosenFolder), RunEnd::Finished);
    EXPECT_EQ(session.log,
              (std::vector<std::string>{
                  "Session", "PickFolder", "GetTable " + Family.path, "OpenSharedItem C:\\c\\a.vcf",
                  "Move C:\\c\\a.vcf to " + Family.path, "Save C:\\c\\a.vcf", "EntryID"}));
    ASSERT_EQ(session.stored.size(), 1u);
    EXPECT_EQ(session.stored[0].folder, Family.path);
    EXPECT_EQ(recordRows(), std::vector<std::string>{"C:\\c\\a.vcf,1,a.vcf,saved,,,EID1," +
                                                     Family.path + ",,SID,2026-02-07 12:00:00Z"});
    EXPECT_EQ(window.messages.size(), 1u); // "Done." alone
}

// Every failure is reported with its own step, leaves the contact unstored
// (or stored once, when only its ID could not be read) and the next contact
// goes on; no item stays held.
TEST_F(WindowlessRunTest, EachFailingMemberIsReportedAndTheNextContactGoesOn) {
    struct Case {
        const char* member;
        WindowlessDestination target;
        int step;
        bool aStored;
    };
    const std::vector<Case> cases{
        {"OpenSharedItem", WindowlessDestination::DefaultContacts, 222, false},
        {"Save", WindowlessDestination::DefaultContacts, 224, false},
        {"EntryID", WindowlessDestination::DefaultContacts, 228, true},
        {"OpenSharedItem", WindowlessDestination::ChosenFolder, 222, false},
        {"Move", WindowlessDestination::ChosenFolder, 224, false},
        {"Save", WindowlessDestination::ChosenFolder, 226, false},
        {"EntryID", WindowlessDestination::ChosenFolder, 228, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) +
                     (c.target == WindowlessDestination::ChosenFolder ? " into a folder" : ""));
        startAfresh();
        session.failing = {std::string(c.member) + " C:\\c\\a.vcf"};
        session.picks = {Family};
        int heldAtYield = 0;
        window.onYield = [&] { heldAtYield = std::max(heldAtYield, session.liveItems); };
        queueFiles({"C:\\c\\a.vcf", "C:\\c\\b.vcf"});

        EXPECT_EQ(runWithoutWindows(c.target), RunEnd::Finished);
        EXPECT_EQ(reportedSteps(), std::vector<int>{c.step});
        EXPECT_NE(window.messages[0].text.find(std::string(c.member) + " failed in Outlook."),
                  std::string::npos);
        EXPECT_EQ(session.timesStored("C:\\c\\a.vcf"), c.aStored ? 1u : 0u);
        EXPECT_EQ(session.timesStored("C:\\c\\b.vcf"), 1u);
        EXPECT_EQ(firstLineOf(lastMessage()), "Done.");

        const std::vector<std::string> rows = recordRows();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_NE(rows[0].find(std::string(c.aStored ? ",saved," : ",reported,") +
                               std::to_string(c.step) + "," + c.member),
                  std::string::npos)
            << rows[0];
        EXPECT_EQ(rows[1].find("C:\\c\\b.vcf,1,b.vcf,saved,,,EID"), 0u) << rows[1];

        EXPECT_EQ(heldAtYield, 0) << "an item was still held when the next contact began";
        EXPECT_LE(session.mostLiveItems, 2); // the opened item and the one it moved to
        EXPECT_EQ(session.liveReferences, 0);
    }
}

// The folder is wanted for the record only: Save stores in the default
// folder without it.
TEST_F(WindowlessRunTest, TheDefaultFolderNotFoundIsReportedOnceAndContactsAreStoredAnyway) {
    for (const char* member : {"GetDefaultFolder", "FolderPath"}) {
        SCOPED_TRACE(member);
        startAfresh();
        session.failing = {member};
        queueFiles({"a.vcf", "b.vcf"});
        (void)runWithoutWindows();
        const int step = member == std::string("FolderPath") ? 208 : 206;
        EXPECT_EQ(reportedSteps(), std::vector<int>{step});
        EXPECT_EQ(storedFiles(), (std::vector<std::string>{"a.vcf", "b.vcf"}));
        // Without the folder, nothing tells what it holds: the user was asked.
        const bool noFolder = member == std::string("GetDefaultFolder");
        EXPECT_EQ(window.questions.size(), noFolder ? 1u : 0u);
        EXPECT_EQ(recordRows().at(0),
                  noFolder ? "a.vcf,1,a.vcf,saved,,,EID1,,,,2026-02-07 12:00:00Z"
                           : "a.vcf,1,a.vcf,saved,,,EID1,,,SID,2026-02-07 12:00:00Z");
        EXPECT_EQ(firstLineOf(lastMessage()), "Done.");
    }
}

TEST_F(WindowlessRunTest, NoDesktopOutlookIsSaidOnceInPlainWordsAndNothingElseHappens) {
    for (WindowlessDestination target : BothTargets) {
        startAfresh();
        session.noDesktopOutlook = true;
        queueFiles({"a.vcf", "b.vcf", "c.vcf"});

        EXPECT_EQ(runWithoutWindows(target), RunEnd::Finished);
        ASSERT_EQ(window.messages.size(), 1u);
        const Message& message = window.messages[0];
        EXPECT_EQ(message.text, NoDesktopOutlookMessage("Invalid class string"));
        EXPECT_NE(message.text.find("classic desktop Outlook"), std::string::npos);
        EXPECT_NE(message.text.find("new Outlook for Windows"), std::string::npos);
        EXPECT_FALSE(message.title.has_value());                     // not an error report
        EXPECT_EQ(session.log, std::vector<std::string>{"Session"}); // no chooser, no file
        EXPECT_TRUE(storage.recordLines.empty());
        // The pointer and the bar are at rest, and the end told, before the
        // box shows.
        const std::vector<std::string> tail(window.calls.end() - 5, window.calls.end());
        EXPECT_EQ(tail,
                  (std::vector<std::string>{"pointer arrow", "value 0.000000", "text Progress Bar",
                                            "runEnded", "message " + message.text}));
    }
}

TEST_F(WindowlessRunTest, ASessionOutlookRefusesIsOneReportAndTheRunEnds) {
    session.failing = {"Session"};
    queueFiles({"a.vcf", "b.vcf"});
    (void)runWithoutWindows();
    EXPECT_EQ(reportedSteps(), std::vector<int>{204});
    EXPECT_EQ(window.messages.size(), 1u); // no "Done.": nothing was imported
    EXPECT_EQ(window.currentPointer, PointerKind::Arrow);
}

TEST_F(WindowlessRunTest, TheChooserComesBackUntilAContactsFolderOrCancel) {
    struct Case {
        const char* name;
        std::deque<std::optional<FakeFolderInfo>> picks;
        std::set<std::string> failing;
        std::vector<std::string> messages; // in order; "report N" for an error report
        std::size_t stored;
    };
    const std::string notContacts = NotAContactsFolderMessage("Inbox");
    const std::vector<Case> cases{
        {"contacts folder", {Family}, {}, {"Done."}, 1},
        {"mail folder, then contacts", {Inbox, Family}, {}, {notContacts, "Done."}, 1},
        {"cancel", {std::nullopt}, {}, {}, 0},
        {"mail folder, then cancel", {Inbox, std::nullopt}, {}, {notContacts}, 0},
        {"chooser fails", {Family}, {"PickFolder"}, {"report 206"}, 0},
        {"type unreadable, then cancel",
         {Family, std::nullopt},
         {"DefaultItemType"},
         {"report 206"},
         0},
        {"mail folder without a name",
         {Inbox, std::nullopt},
         {"Name"},
         {NotAContactsFolderMessage("The folder you chose")},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        session.picks = c.picks;
        session.failing = c.failing;
        queueFiles({"a.vcf"});

        EXPECT_EQ(runWithoutWindows(WindowlessDestination::ChosenFolder), RunEnd::Finished);
        std::vector<std::string> messages;
        for (const Message& message : window.messages)
            messages.push_back(message.title == ErrorReportTitle
                                   ? "report " + std::to_string(reportedStep(message))
                                   : firstLineOf(message.text));
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(session.stored.size(), c.stored);
        if (c.stored == 0) {
            EXPECT_EQ(sessionCalls("OpenSharedItem"), 0u);
            EXPECT_TRUE(storage.recordLines.empty()) << "no record for a run that imported nothing";
        }
        EXPECT_EQ(session.liveReferences, 0);
        EXPECT_EQ(window.currentPointer, PointerKind::Arrow);
    }
}

TEST_F(WindowlessRunTest, ClosingTheWindowEndsTheRunAtOnceWhereverItIs) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::string> rows;
    };
    // Closes the window at the first yield after `count` contacts are stored.
    const auto closeOnceStored = [&](std::size_t count) {
        return [&, count] {
            window.onYield = [&, count] {
                if (session.stored.size() == count)
                    window.isClosing = true;
            };
        };
    };
    const auto saved = [](int number, const char* name) {
        return "C:\\c\\four.vcf," + std::to_string(number) + "," + name + ",saved,,,EID" +
               std::to_string(number) + ",\\\\Mailbox - Ann\\Contacts,,SID,2026-02-07 12:00:00Z";
    };
    const std::string laterSkipped = "C:\\c\\later.vcf,,,skipped: the run was ended,,,,";
    const std::string restSkipped = "C:\\c\\four.vcf,,,skipped: the run was ended,,The run was "
                                    "ended before the rest of this file was read.,,";
    const std::vector<Case> cases{
        {"between contacts",
         closeOnceStored(2),
         {saved(1, "Ann"), saved(2, "Bob"), "C:\\c\\four.vcf,3,Cid,skipped: the run was ended,,,,",
          restSkipped, laterSkipped}},
        {"while a report is up",
         [&] {
             session.failing = {"EntryID"};
             window.onMessage = [&](const Message&) { window.isClosing = true; };
         },
         {"C:\\c\\four.vcf,1,Ann,saved,228,EntryID failed in Outlook.,,\\\\Mailbox - Ann\\Contacts",
          restSkipped, laterSkipped}},
        {"between two files",
         closeOnceStored(4),
         {saved(1, "Ann"), saved(2, "Bob"), saved(3, "Cid"), saved(4, "Dee"), laterSkipped}},
        {"while Outlook's chooser is up",
         [&] {
             session.picks = {Family};
             session.onPick = [&] { window.isClosing = true; };
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        storage.files["C:\\c\\four.vcf"] = cards({"Ann", "Bob", "Cid", "Dee"});
        queueFiles({"C:\\c\\four.vcf", "C:\\c\\later.vcf"});
        c.arrange();
        const std::size_t messagesBefore = window.messages.size();
        const bool chooser = !session.picks.empty();

        EXPECT_EQ(runWithoutWindows(chooser ? WindowlessDestination::ChosenFolder
                                            : WindowlessDestination::DefaultContacts),
                  RunEnd::WindowClosed);
        EXPECT_LE(window.messages.size(), messagesBefore + 1); // at most the report it closed on
        EXPECT_NE(firstLineOf(lastMessage()), "Done.");
        EXPECT_EQ(recordRows(), c.rows);
        EXPECT_EQ(session.timesStored("C:\\c\\later.vcf"), 0u);
        expectNothingLeft();
    }
}

// Outlook crashing mid-run: the contact at hand is reported once, in words
// that say it may be stored after all, and every later contact goes to a
// fresh Outlook, into the folder the run was storing into; nothing is tried
// twice.
TEST_F(WindowlessRunTest, OutlookGoingAwayIsSaidOnceAndTheNextContactGoesToAFreshOutlook) {
    struct Case {
        const char* vanishing;
        WindowlessDestination target;
        int step;
        bool bStored; // by Outlook, though the run never heard so
    };
    const std::vector<Case> cases{
        {"OpenSharedItem C:\\c\\b.vcf", WindowlessDestination::DefaultContacts, 222, false},
        {"Save C:\\c\\b.vcf", WindowlessDestination::DefaultContacts, 224, true},
        {"Move C:\\c\\b.vcf", WindowlessDestination::ChosenFolder, 224, false},
        {"Save C:\\c\\b.vcf", WindowlessDestination::ChosenFolder, 226, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vanishing);
        startAfresh();
        session.vanishing = {c.vanishing};
        session.picks = {Family};
        session.folders = {Family};
        storage.files["C:\\c\\three.vcf"] = cards({"Ann", "Bob", "Cid"});
        queueFiles({"C:\\c\\a.vcf", "C:\\c\\b.vcf", "C:\\c\\three.vcf"});

        EXPECT_EQ(runWithoutWindows(c.target), RunEnd::Finished);
        ASSERT_EQ(reportedSteps(), std::vector<int>{c.step});
        const std::string& report = window.messages[0].text;
        EXPECT_EQ(report.find(OutlookWentAwayMessage("The RPC server is unavailable.")), 0u)
            << report;
        EXPECT_EQ(firstLineOf(lastMessage()), "Done.");
        EXPECT_EQ(sessionCalls("Session"), 2u);
        EXPECT_EQ(sessionCalls("dead"), 0u) << "a dead object was asked again";

        EXPECT_EQ(session.timesStored("C:\\c\\a.vcf"), 1u);
        EXPECT_EQ(session.timesStored("C:\\c\\b.vcf"), c.bStored ? 1u : 0u);
        ASSERT_EQ(session.stored.size(), c.bStored ? 5u : 4u);
        const std::string folder = c.target == WindowlessDestination::ChosenFolder
                                       ? Family.path
                                       : session.defaultFolder.path;
        for (const StoredContact& contact : session.stored)
            EXPECT_EQ(contact.folder, folder) << contact.file;
        if (c.target == WindowlessDestination::ChosenFolder) {
            EXPECT_EQ(sessionCalls("GetFolderFromID FID " + Family.path + " SID"), 1u);
            EXPECT_EQ(sessionCalls("PickFolder"), 1u) << "the user chose once";
        }

        const std::vector<std::string> rows = recordRows();
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[1].find("C:\\c\\b.vcf,1,b.vcf,reported," + std::to_string(c.step)), 0u)
            << rows[1];
        EXPECT_EQ(rows[4].find("C:\\c\\three.vcf,3,Cid,saved,,,EID"), 0u) << rows[4];
        EXPECT_NE(rows[4].find(folder), std::string::npos) << rows[4];
        expectNothingLeft();
    }
}

// When the fresh Outlook cannot be had, or the chosen folder cannot be found
// in it, every later contact would fail alike: one more report, at 248, and
// the run ends there, without "Done.".
TEST_F(WindowlessRunTest, AnOutlookThatCannotBeReachedAgainEndsTheRunWithOneMoreReport) {
    struct Case {
        const char* name;
        WindowlessDestination target;
        std::set<std::string> failingOnceGone;
        std::set<std::string> failing;
        std::string words;
    };
    const std::vector<Case> cases{
        {"no Outlook", WindowlessDestination::DefaultContacts, {"Session"}, {}, "Session failed"},
        {"folder not found",
         WindowlessDestination::ChosenFolder,
         {"GetFolderFromID"},
         {},
         "GetFolderFromID failed"},
        {"folder's ID unread",
         WindowlessDestination::ChosenFolder,
         {},
         {"FolderEntryID"},
         "FolderEntryID failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        session.vanishing = {"Save C:\\c\\a.vcf"};
        session.failing = c.failing;
        session.picks = {Family};
        session.folders = {Family};
        window.onMessage = [&](const Message&) {
            session.failing.merge(std::set(c.failingOnceGone));
        };
        storage.files["C:\\c\\three.vcf"] = cards({"Ann", "Bob", "Cid"});
        queueFiles({"C:\\c\\a.vcf", "C:\\c\\three.vcf", "C:\\c\\later.vcf"});

        EXPECT_EQ(runWithoutWindows(c.target), RunEnd::Finished);
        EXPECT_EQ(
            reportedSteps(),
            (std::vector<int>{c.target == WindowlessDestination::ChosenFolder ? 226 : 224, 248}));
        ASSERT_EQ(window.messages.size(), 2u);
        EXPECT_NE(window.messages[1].text.find(c.words), std::string::npos);
        EXPECT_EQ(session.stored.size(), 1u); // a.vcf, before Outlook went
        EXPECT_EQ(sessionCalls("OpenSharedItem"), 1u);
        const std::string crashStep =
            c.target == WindowlessDestination::ChosenFolder ? "226" : "224";
        EXPECT_EQ(recordRows(),
                  (std::vector<std::string>{
                      "C:\\c\\a.vcf,1,a.vcf,reported," + crashStep + "," +
                          CsvField(OutlookWentAwayMessage("The RPC server is unavailable.")) + ",,",
                      "C:\\c\\three.vcf,1,Ann,reported,248," + c.words + " in Outlook.,,",
                      "C:\\c\\three.vcf,,,skipped: the run was ended,,The run was ended before "
                      "the rest of this file was read.,,",
                      "C:\\c\\later.vcf,,,skipped: the run was ended,,,,"}));
        expectNothingLeft();
        EXPECT_EQ(window.currentPointer, PointerKind::Arrow);
    }
}

TEST_F(WindowlessRunTest, AnEmptyQueueShowsOnlyNoFilesAddedAndNeverReachesOutlook) {
    for (WindowlessDestination target : BothTargets) {
        window = FakeWindow{&clock};
        EXPECT_EQ(runWithoutWindows(target), RunEnd::Finished);
        EXPECT_EQ(window.calls, (std::vector<std::string>{"runEnded", "message No files added."}));
        EXPECT_TRUE(session.log.empty());
    }
}

} // namespace

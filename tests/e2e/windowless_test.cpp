// The import without windows through the real program and the stand-in
// Outlook: the two menu commands, Outlook's folder chooser, a machine
// without Outlook, an Outlook that crashes mid-run, and the record that
// leads back to every stored item.

#include "import_fixture.h"
#include "run_records.h"

#include "outlook-standin/standin_names.h"
#include "platform/win32/wide_text.h"
#include "support/message_pump.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class Windowless : public ImportTest {
protected:
    // The same kinds of file as the import through item windows gets: a
    // single card, a phone export of five, a file with none, and a UTF-16
    // export of two.
    std::vector<std::wstring> mixedQueue() {
        return {file(L"one.vcf", cards({"Ann One"})),
                file(L"phone export.vcf", cards({"Bo", "Cy", "Di", "Ed", "Flo"})),
                file(L"desktop.ini", "[.ShellClassInfo]\r\n"),
                file(L"wide.vcf", utf16Cards({"Zo\xC3\xAB", "\xC3\x85sa"}))};
    }
    static const std::vector<std::wstring>& mixedNames() {
        static const std::vector<std::wstring> names{L"Ann One", L"Bo",  L"Cy",  L"Di",
                                                     L"Ed",      L"Flo", L"Zoë", L"Åsa"};
        return names;
    }

    // No item window opened and no `outlook` was started for any contact.
    void expectNoWindowEver() const {
        EXPECT_EQ(logLines(L"open "), 0u);
        EXPECT_EQ(logLines(L"launch "), 0u);
        EXPECT_EQ(FindWindowW(standin::ItemWindowClass, nullptr), nullptr);
    }

    // Each saved line of the newest record carries an entry ID the stand-in
    // handed out for that very contact, and `folder`; the IDs are distinct.
    void expectRecordLeadsToEveryStoredItem(std::size_t savedRows, const std::wstring& folder) {
        // Appended, not added: GCC 12 warns falsely about a literal + std::string&&.
        std::set<std::string> ids;
        for (const std::string& row : newestRecordRows()) {
            if (row.find(",saved,") == std::string::npos)
                continue;
            // Entry ID and folder are the 7th and 8th fields; the names here
            // hold no comma.
            std::vector<std::string> fields(1);
            for (const char c : row) {
                if (c == ',')
                    fields.emplace_back();
                else
                    fields.back().push_back(c);
            }
            ASSERT_GE(fields.size(), 8u) << row;
            EXPECT_EQ(fields[7], win32::toUtf8(folder)) << row;
            const std::string id = fields[6];
            EXPECT_FALSE(id.empty()) << row;
            EXPECT_TRUE(ids.insert(id).second) << "the same entry ID twice: " << id;
            std::wstring handedOut = L"get EntryID = ";
            handedOut.append(win32::toWide(id)).append(L" ");
            EXPECT_EQ(logLines(handedOut), 1u) << row;
        }
        EXPECT_EQ(ids.size(), savedRows);
    }

    std::vector<SavedContact> saved() const { return savedContacts(savedFile); }
};

TEST_F(Windowless, EveryContactIsSavedOnceInTheDefaultFolderWithoutAnyWindowOrLaunch) {
    const auto files = mixedQueue();
    const std::size_t recordsBefore = records().size();
    Quorvane app;
    const auto boxes = runThroughDone(app, files, CommandId::ImportWithoutWindows);

    ASSERT_EQ(boxes.size(), 2u) << describe(boxes);
    EXPECT_EQ(reportedStep(boxes[0]), 222);
    EXPECT_NE(boxes[0].text.find(L"This file holds no vCard: " + files[2]), std::wstring::npos);
    EXPECT_EQ(firstLine(boxes[1].text), L"Done.");

    const auto stored = saved();
    std::vector<std::wstring> names;
    for (const SavedContact& contact : stored) {
        names.push_back(contact.name);
        EXPECT_EQ(contact.folder, standInFolderPath(L"Contacts")) << contact.path;
    }
    EXPECT_EQ(names, mixedNames());
    ASSERT_EQ(stored.size(), 8u);
    EXPECT_EQ(stored[0].path, files[0]); // a single card: the user's own file
    std::set<std::wstring> paths;
    for (const SavedContact& contact : stored)
        EXPECT_TRUE(paths.insert(contact.path).second) << "saved twice: " << contact.path;
    EXPECT_EQ(logLines(L"OpenSharedItem "), 8u); // the file without a card never reached Outlook
    expectNoWindowEver();

    ASSERT_EQ(records().size(), recordsBefore + 1);
    EXPECT_EQ(newestRecordRows().size(), 9u);
    expectRecordLeadsToEveryStoredItem(8, standInFolderPath(L"Contacts"));
    EXPECT_EQ(app.progressText(), L"Progress Bar");
    EXPECT_EQ(app.rowCount(), 4); // the queue is kept
}

TEST_F(Windowless, IntoAChosenContactsFolderEveryContactGoesThereAndNoneToTheDefault) {
    setStandIn(L"PickFolder", std::wstring(L"Contacts\\Friends"));
    Quorvane app;
    const auto boxes = runThroughDone(app, mixedQueue(), CommandId::ImportWithoutWindowsIntoFolder);
    ASSERT_EQ(boxes.size(), 2u) << describe(boxes);
    EXPECT_EQ(reportedStep(boxes[0]), 222);

    const std::wstring friends = standInFolderPath(L"Contacts\\Friends");
    const auto stored = saved();
    ASSERT_EQ(stored.size(), 8u);
    for (const SavedContact& contact : stored)
        EXPECT_EQ(contact.folder, friends) << contact.path;
    EXPECT_EQ(logLines(L"PickFolder = "), 1u);
    EXPECT_EQ(logLines(L"Move(" + friends + L") "), 8u);
    expectNoWindowEver();
    expectRecordLeadsToEveryStoredItem(8, friends);
}

// A mail folder is refused in words that name it, and the chooser comes
// back; Cancel there imports nothing and says nothing.
TEST_F(Windowless, AMailFolderIsRefusedAndTheChooserComesBackAndCancelImportsNothing) {
    setStandIn(L"PickFolder", std::wstring(L"Inbox;Contacts\\Friends"));
    Quorvane app;
    const auto boxes = runThroughDone(app, {file(L"a.vcf", cards({"Ann"}))},
                                      CommandId::ImportWithoutWindowsIntoFolder);
    ASSERT_EQ(boxes.size(), 2u) << describe(boxes);
    EXPECT_EQ(boxes[0].title, L"Quorvane");
    EXPECT_EQ(boxes[0].text, L"\"Inbox\" is not a contacts folder. Choose a folder that holds "
                             L"contacts, or press Cancel to import nothing.");
    EXPECT_EQ(firstLine(boxes[1].text), L"Done.");
    const auto lines = readLines(logFile);
    const auto inbox = std::find(lines.begin(), lines.end(), L"PickFolder = Inbox");
    ASSERT_NE(inbox, lines.end());
    EXPECT_NE(std::find(inbox, lines.end(), L"PickFolder = Contacts\\Friends"), lines.end());
    ASSERT_EQ(saved().size(), 1u);
    EXPECT_EQ(saved()[0].folder, standInFolderPath(L"Contacts\\Friends"));

    setStandIn(L"PickFolder", std::wstring(L"Cancel"));
    app.command(CommandId::ImportWithoutWindowsIntoFolder);
    ASSERT_TRUE(waitUntil([&] { return logLines(L"PickFolder = Cancel") == 1; }, 20s));
    const auto afterCancel = app.answerBoxesUntil([](const Box&) { return false; }, 2s);
    EXPECT_TRUE(afterCancel.empty()) << describe(afterCancel);
    EXPECT_EQ(saved().size(), 1u);
    EXPECT_EQ(logLines(L"OpenSharedItem "), 1u);
    EXPECT_EQ(app.progressText(), L"Progress Bar");
}

// One box in plain words, no report per file and no "Done.".
TEST_F(Windowless, WithoutOutlookOneMessageSaysSoAndNoFileIsReported) {
    runStandIn(L"/unregserver");
    const auto files = std::vector<std::wstring>{file(L"a.vcf", cards({"Ann"})),
                                                 file(L"b.vcf", cards({"Bob", "Cid"}))};
    {
        Quorvane app;
        startRun(app, files, CommandId::ImportWithoutWindows);
        const std::wstring missing = L"Quorvane could not reach Outlook, so nothing was imported.";
        const auto boxes = app.answerBoxesUntil(
            [&](const Box& box) { return box.text.starts_with(missing); }, 20s);
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        EXPECT_EQ(boxes[0].title, L"Quorvane");
        EXPECT_TRUE(boxes[0].text.starts_with(missing)) << describe(boxes);
        EXPECT_NE(boxes[0].text.find(L"classic desktop Outlook"), std::wstring::npos);
        const auto after = app.answerBoxesUntil([](const Box&) { return false; }, 2s);
        EXPECT_TRUE(after.empty()) << describe(after);
        EXPECT_EQ(app.progressText(), L"Progress Bar");
    }
    runStandIn(L"/regserver");
    EXPECT_TRUE(saved().empty());
}

// Outlook crashes as it stores the third contact: that contact is reported
// once (it is stored, though the program could not hear so), a fresh Outlook
// takes the rest, and nothing is stored twice.
TEST_F(Windowless, AnOutlookThatCrashesMidRunIsReportedOnceAndAFreshOneTakesTheRest) {
    setStandIn(L"VanishAtSave", 3);
    std::vector<std::wstring> files;
    // Five people: cards that give neither e-mail nor phone are one person
    // to the duplicate check when their names agree.
    for (const char* name : {"Ann", "Bo", "Cy", "Di", "Ed"})
        files.push_back(file((win32::toWide(name) + L".vcf").c_str(), cards({name})));
    Quorvane app;
    const auto boxes = runThroughDone(app, files, CommandId::ImportWithoutWindows);
    ASSERT_EQ(boxes.size(), 2u) << describe(boxes);
    EXPECT_EQ(reportedStep(boxes[0]), 224);
    EXPECT_TRUE(boxes[0].text.starts_with(L"Outlook stopped answering")) << describe(boxes);
    EXPECT_EQ(firstLine(boxes[1].text), L"Done.");
    EXPECT_EQ(logLines(L"vanish "), 1u);
    EXPECT_EQ(logLines(L"create Application"), 2u) << "a fresh Outlook after the crash";
    EXPECT_EQ(savedPaths(savedFile), files) << "each contact once, in order";

    // One line a contact; the report's own line breaks are kept inside its
    // quoted field, so only lines that begin with a queued file are counted.
    std::vector<std::string> rows;
    for (const std::string& row : newestRecordRows())
        if (row.starts_with(win32::toUtf8(folder)))
            rows.push_back(row);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_NE(rows[2].find(",reported,224,\"Outlook stopped answering"), std::string::npos)
        << rows[2];
    EXPECT_NE(rows[3].find(",saved,"), std::string::npos) << rows[3];
}

} // namespace

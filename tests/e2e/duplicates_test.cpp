// Running twice stores nobody twice, and Undo Last Import takes a run back,
// through the real program and the stand-in Outlook.

#include "import_fixture.h"
#include "run_records.h"

#include "support/box_watch.h"
#include "support/message_pump.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class Duplicates : public ImportTest {
protected:
    static std::string card(const char* name, const char* email) {
        return std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:") + name + "\r\nEMAIL:" + email +
               "\r\nEND:VCARD\r\n";
    }
    std::vector<std::wstring> fourFiles() {
        return {file(L"ann.vcf", card("Ann Smith", "ann@example.com")),
                file(L"bob.vcf", card("Bob Jones", "bob@example.com")),
                file(L"cid.vcf", card("Cid Brown", "cid@example.com")),
                file(L"dee.vcf", card("Dee White", "dee@example.com"))};
    }
    std::vector<std::wstring> storedNames() const {
        std::vector<std::wstring> names;
        for (const SavedContact& contact : savedContacts(savedFile))
            names.push_back(contact.name);
        return names;
    }
    std::size_t deletions() const { return logLines(L"Delete "); }
    // Undo Last Import, answered yes: the four contacts the import stored go.
    void expectUndoDeletesFour(Quorvane& app) const {
        app.command(CommandId::UndoLastImport);
        answer(app, true);
        const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        EXPECT_NE(boxes[0].text.find(L"4 contacts deleted"), std::wstring::npos) << describe(boxes);
        EXPECT_EQ(deletions(), 4u);
    }
    // Answers the Yes/No box the program shows next.
    static void answer(const Quorvane& app, bool yes) {
        const auto shown = waitForBox(app.processId(), 30s);
        ASSERT_TRUE(shown);
        pressButton(*shown, yes ? IDYES : IDNO);
    }
};

TEST_F(Duplicates, ASecondRunAndAKnownContactStoreNobodyTwiceButANamesakeIsStored) {
    const std::wstring preload =
        file(L"already there.vcf",
             card("Ann Smith", "ann@example.com") + card("Bob Jones", "bob@old.example"));
    setStandIn(L"PreloadFile", preload);
    Quorvane app;
    app.appendRows(fourFiles());
    for (int run = 0; run < 2; ++run) {
        app.command(CommandId::ImportWithoutWindows);
        const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        EXPECT_NE(boxes[0].text.find(run == 0 ? L"1 contact already there and skipped"
                                              : L"4 contacts already there and skipped"),
                  std::wstring::npos)
            << describe(boxes);
    }
    // Bob's namesake at another address is someone else; Ann is known.
    EXPECT_EQ(storedNames(), (std::vector<std::wstring>{L"Bob Jones", L"Cid Brown", L"Dee White"}));
}

TEST_F(Duplicates, UndoLastImportAsksFirstAndTakesBackOnlyWhatTheRunStored) {
    // Outlook keeps what it stored when it is started again, as this one may
    // be between the import and the undo.
    setStandIn(L"StoreFile", folder + L"\\mailbox.txt");
    setStandIn(L"PreloadFile", file(L"mine.vcf", card("Eve Black", "eve@example.com")));
    Quorvane app;
    ASSERT_EQ(runThroughDone(app, fourFiles(), CommandId::ImportWithoutWindows).size(), 1u);

    app.command(CommandId::UndoLastImport);
    answer(app, false);
    settleStandIn();
    EXPECT_EQ(deletions(), 0u);

    expectUndoDeletesFour(app);
    for (const std::wstring& line : readLines(logFile))
        EXPECT_FALSE(line.starts_with(L"Delete ") && line.find(L"mine.vcf") != std::wstring::npos)
            << "the user's own contact was deleted: " << line;
}

// The import to take back is the one that stored contacts, not the safe
// second run after it; and in a second data file its contacts are found only
// with that file's store ID.
TEST_F(Duplicates, UndoTakesBackTheImportBehindASafeSecondRunInASecondDataFile) {
    setStandIn(L"PickFolder", std::wstring(L"Archive\\Contacts"));
    Quorvane app;
    app.appendRows(fourFiles());
    for (const wchar_t* stored : {L"4 contacts stored", L"0 contacts stored"}) {
        app.command(CommandId::ImportWithoutWindowsIntoFolder);
        const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        EXPECT_NE(boxes[0].text.find(stored), std::wstring::npos) << describe(boxes);
    }
    expectUndoDeletesFour(app);
}

// Cards with no name of their own (a company's, an address alone) are two
// contacts, not one stored and its twin skipped.
TEST_F(Duplicates, TwoCardsWithoutANameAreTwoContacts) {
    const std::string nameless = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nN:;;;;\r\n";
    Quorvane app;
    app.appendRows(
        {file(L"acme.vcf", nameless + "ORG:Acme\r\nADR:;;1 Main St;;;;\r\nEND:VCARD\r\n"),
         file(L"home.vcf", nameless + "ADR:;;2 Side St;;;;\r\nEND:VCARD\r\n")});
    app.command(CommandId::ImportWithoutWindows);
    const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
    ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
    EXPECT_NE(boxes[0].text.find(L"2 contacts stored"), std::wstring::npos) << describe(boxes);
    EXPECT_EQ(savedContacts(savedFile).size(), 2u);
}

// A contact the user deleted after the import is in Deleted Items, where a
// second Delete would remove it for good: the undo leaves it there and says so.
TEST_F(Duplicates, UndoLeavesAContactTheUserDeletedInDeletedItems) {
    Quorvane app;
    app.appendRows(fourFiles());
    app.command(CommandId::ImportWithoutWindows);
    ASSERT_EQ(app.answerBoxesUntil(L"Done.", 60s).size(), 1u);
    std::vector<std::string> bob;
    for (const std::string& row : newestRecordRows())
        if (row.find(",Bob Jones,saved,") != std::string::npos)
            for (std::size_t at = 0; at != std::string::npos;) {
                const std::size_t comma = row.find(',', at);
                bob.push_back(row.substr(at, comma - at));
                at = comma == std::string::npos ? comma : comma + 1;
            }
    ASSERT_GT(bob.size(), 9u);
    ASSERT_TRUE(deleteInStandIn(bob[6], bob[9]));

    app.command(CommandId::UndoLastImport);
    answer(app, true);
    const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
    ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
    EXPECT_NE(boxes[0].text.find(L"3 contacts deleted"), std::wstring::npos) << describe(boxes);
    EXPECT_NE(boxes[0].text.find(L"1 contact kept, no longer in the folder the import stored "
                                 L"them in: Bob Jones."),
              std::wstring::npos)
        << describe(boxes);
    EXPECT_EQ(deletions(), 4u) << "the user's own Delete, and three of the undo's";
}

} // namespace

// Telling a card that the folder holds already from a new one: the matching
// rule, and the run without windows that stores nobody twice.

#include "cards/card_identity.h"
#include "import/known_contacts.h"
#include "import_run_fixture.h"

using namespace quorvane;
using namespace quorvane::testing;

namespace {

TEST(KnownContacts, MatchByNameAndAnEmailOrPhoneOrTheCompanyAlone) {
    const IcuTextFolding folding;
    KnownContacts known(folding);
    known.add({"E1", "Ann  Smith", {"Ann@Example.com"}, {"+49 30 1234567"}, {}});
    known.add({"E2", "Ann Smith", {"ann@work.example"}, {}, {}});
    known.add({"E3", "Jos\xC3\xA9 M\xC3\xBCller", {}, {"555 0100"}, {}});
    known.add({"E4", "", {}, {}, "Acme Tools"}); // a company's card, no name of its own
    known.add({"E5", "Ann Smith", {}, {}, "Acme Tools"});
    known.add(
        {"E6", "\xCE\x86\xCE\xBD\xCE\xBD\xCE\xB1 \xC5\xB8\xC6\xB3", {"anna@example.gr"}, {}, {}});
    known.add({"E7", "\xC5\xB8vonne", {"yvonne@example.com"}, {}, {}});
    struct Case {
        const char* name;
        std::vector<std::string> emails;
        std::vector<std::string> phones;
        const char* company;
        const char* match; // nullptr: a new contact
    };
    const Case cases[]{
        {"ann smith", {"ann@example.COM"}, {}, "", "E1"},     // case and white space
        {" Ann\tSmith ", {}, {"30 1234567"}, "", "E1"},       // the shorter ends the longer
        {"Ann Smith", {}, {"(123) 45-67"}, "", "E1"},         // digits alone, seven of them
        {"Ann Smith", {"ann@work.example"}, {}, "", "E2"},    // the namesake's own address
        {"Ann Smith", {"ann@home.example"}, {}, "", nullptr}, // a namesake, not a twin
        {"Ann Smith", {}, {"4567"}, "", nullptr},             // too short to stand for one
        {"JOS\xC3\x89 M\xC3\x9C"
         "LLER",
         {},
         {"5550100"},
         "",
         "E3"},                                              // beyond ASCII
        {"Bob Smith", {"ann@example.com"}, {}, "", nullptr}, // another name
        // Composed or not, and letter case in every script, by Unicode's own tables.
        {"Jose\xCC\x81 Mu\xCC\x88ller", {}, {"5550100"}, "", "E3"},
        {"\xCE\xAC\xCE\xBD\xCE\xBD\xCE\xB1 \xC3\xBF\xC6\xB4", {"anna@example.gr"}, {}, "", "E6"},
        {"\xC5\xBAvonne", {"yvonne@example.com"}, {}, "", nullptr}, // Ź is not Ÿ
        // Nothing but a name, or an address: a relative is not a colleague.
        {"Ann Smith", {}, {}, "", nullptr},
        {"Ann Smith", {}, {}, "ACME tools", "E5"}, // the same company and nothing else
        {"Ann Smith", {"ann@example.com"}, {}, "Acme Tools", "E1"},
        // Nameless cards are not one person: the company tells them apart.
        {"", {}, {}, "Acme Tools", "E4"},
        {"", {}, {}, "Other Works", nullptr},
        {"", {}, {}, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto match = known.match({"", c.name, c.emails, c.phones, c.company});
        EXPECT_EQ(match.value_or("new"), c.match ? c.match : "new");
    }
}

TEST(CardIdentity, EmailsAndPhonesUnfoldedAndDecodedButNotTheAgents) {
    const CardIdentity identity =
        ReadCardIdentity("BEGIN:VCARD\r\nVERSION:2.1\r\nEMAIL;INTERNET:ann@\r\n example.com\r\n"
                         "EMAIL;encoding=quoted-printable:ann=\r\n@work.example\r\n"
                         "TEL;CELL;ENCODING=QUOTED-PRINTABLE:+49=2030=\r\n123\r\n"
                         "AGENT:BEGIN:VCARD\r\nEMAIL:agent@example.com\r\nEND:VCARD\r\n"
                         "item1.TEL:555\r\nORG:Acme Tools;Sales\r\nORG:Other\r\nEND:VCARD\r\n",
                         TextEncoding::SingleByte);
    EXPECT_EQ(identity.emails, (std::vector<std::string>{"ann@example.com", "ann@work.example"}));
    EXPECT_EQ(identity.phones, (std::vector<std::string>{"+49 30123", "555"}));
    EXPECT_EQ(identity.company, "Acme Tools");
}

class DuplicateRunTest : public ImportRunTest {
protected:
    static std::string card(const char* name, const char* email) {
        return std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:") + name + "\r\nEMAIL:" + email +
               "\r\nEND:VCARD\r\n";
    }
    // What Outlook's table lists of a stored contact: its card's FN and EMAIL.
    void SetUp() override {
        outlook.sessions.onStore = [this](StoredContact& contact) {
            const std::string& text = storage.cardFiles.contains(contact.file)
                                          ? storage.cardFiles.at(contact.file)
                                          : storage.files.at(contact.file);
            const auto value = [&](const std::string& name) {
                const auto found = text.find("\n" + name + ":");
                if (found == std::string::npos)
                    return std::string();
                const auto at = found + name.size() + 2;
                return text.substr(at, text.find('\r', at) - at);
            };
            contact.fullName = value("FN");
            contact.company = value("ORG");
            if (const std::string email = value("EMAIL"); !email.empty())
                contact.emails = {email};
        };
    }
    void preload(const char* id, const char* name, const char* email) {
        StoredContact& contact = outlook.sessions.stored.emplace_back();
        contact.entryId = id;
        contact.folder = outlook.sessions.defaultFolder.path;
        contact.fullName = name;
        contact.emails = {email};
    }
};

// Cards with no name, e-mail or phone of their own (a company's, an address
// alone) are each someone; a namesake with nothing but an address is not the
// contact of that name; a contact whose entry ID could not be read is still
// known for the rest of the run.
TEST_F(DuplicateRunTest, CardsThatTellNothingApartAreStoredAndARepeatIsNot) {
    preload("OLD1", "John Smith", "john@work.example");
    const std::string addressOnly = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nN:;;;;\r\n";
    storage.files["C:\\c\\acme.vcf"] = addressOnly + "ORG:Acme\r\nADR:;;1 Main St\r\nEND:VCARD\r\n";
    storage.files["C:\\c\\bolt.vcf"] = addressOnly + "ORG:Bolt\r\nADR:;;2 Side St\r\nEND:VCARD\r\n";
    storage.files["C:\\c\\home.vcf"] = addressOnly + "ADR:;;3 Home St\r\nEND:VCARD\r\n";
    storage.files["C:\\c\\john.vcf"] =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:John Smith\r\nADR:;;4 Elm St\r\nEND:VCARD\r\n";
    storage.files["C:\\c\\twice.vcf"] =
        card("Eve", "eve@example.com") + card("Eve", "eve@example.com");
    outlook.sessions.failing = {"EntryID"};
    queueFiles({"C:\\c\\acme.vcf", "C:\\c\\bolt.vcf", "C:\\c\\home.vcf", "C:\\c\\john.vcf",
                "C:\\c\\twice.vcf"});
    (void)runWithoutWindows();
    EXPECT_EQ(outlook.sessions.stored.size(), 6u); // John Smith's own, and one of each card
    const std::vector<std::string> rows = recordRows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NE(rows[5].find("Eve,duplicate"), std::string::npos) << rows[5];
}

// A second run stores nothing; a person twice in one export is stored once; a
// namesake with another address is someone else.
TEST_F(DuplicateRunTest, NobodyIsStoredTwiceAndEachSkipIsRecordedWithItsMatch) {
    preload("OLD1", "Ann Smith", "ann@example.com");
    storage.files["C:\\c\\export.vcf"] =
        card("Ann Smith", "ann@example.com") + card("Ann Smith", "other@example.com") +
        card("Bob", "bob@example.com") + card("Bob", "bob@example.com");
    queueFiles({"C:\\c\\export.vcf"});
    (void)runWithoutWindows();
    (void)runWithoutWindows();

    const FakeOutlookSession& session = outlook.sessions;
    ASSERT_EQ(session.stored.size(), 3u); // the preloaded Ann, her namesake, Bob
    EXPECT_EQ(std::ranges::count(session.log, std::string("GetTable \\\\Mailbox - Ann\\Contacts")),
              2);
    const std::vector<std::string> rows = recordRows();
    ASSERT_EQ(rows.size(), 9u); // the two runs' records, the second's header between
    EXPECT_EQ(rows[0], "C:\\c\\export.vcf,1,Ann Smith,duplicate,,,OLD1,");
    EXPECT_NE(rows[1].find(",saved,"), std::string::npos);
    EXPECT_EQ(rows[3], "C:\\c\\export.vcf,4,Bob,duplicate,,,EID3,");
    for (std::size_t row = 5; row < 9; ++row)
        EXPECT_NE(rows[row].find(",duplicate,"), std::string::npos) << rows[row];
    EXPECT_EQ(firstLineOf(lastMessage()), "Done.");
    EXPECT_NE(lastMessage().find("0 contacts stored"), std::string::npos);
    EXPECT_NE(lastMessage().find("4 contacts already there and skipped"), std::string::npos);
}

// A refused read is never taken for an empty folder: the user decides.
TEST_F(DuplicateRunTest, ARefusedReadAsksWhetherToImportWithoutTheCheck) {
    for (const bool importAnyway : {false, true}) {
        SCOPED_TRACE(importAnyway);
        window = FakeWindow{&clock};
        outlook.sessions = {};
        preload("OLD1", "Ann Smith", "ann@example.com");
        outlook.sessions.failing = {"GetTable"};
        window.answers = {importAnyway};
        storage.files["C:\\c\\ann.vcf"] = card("Ann Smith", "ann@example.com");
        queue.clear();
        queueFiles({"C:\\c\\ann.vcf"});
        (void)runWithoutWindows();
        ASSERT_EQ(window.questions.size(), 1u);
        EXPECT_NE(window.questions[0].find("GetTable failed in Outlook."), std::string::npos);
        EXPECT_EQ(outlook.sessions.stored.size(), importAnyway ? 2u : 1u);
        EXPECT_EQ(window.messages.empty(), !importAnyway); // stopping says nothing more
    }
}

} // namespace

namespace {

class UndoTest : public DuplicateRunTest {
protected:
    bool takenBack(const StoredContact& contact) const {
        return outlook.sessions.inDeletedItems(contact);
    }
    bool takenBack(std::size_t at) const { return takenBack(outlook.sessions.stored.at(at)); }
    std::size_t deleted() const {
        return static_cast<std::size_t>(std::ranges::count_if(
            outlook.sessions.stored, [&](const StoredContact& c) { return takenBack(c); }));
    }
    std::vector<std::string> undoRows() const {
        const std::vector<std::string>& lines = storage.records.back().lines;
        return {lines.begin() + 1, lines.end()};
    }
};

class UndoWithOrWithoutTable : public UndoTest, public ::testing::WithParamInterface<bool> {
protected:
    // Outlook refusing the folder's table: each contact's time is asked.
    std::set<std::string> refusal() const {
        return GetParam() ? std::set<std::string>{"GetTable"} : std::set<std::string>{};
    }
};

// No deletes nothing; Yes deletes what the run stored and nothing else, keeps
// what was changed since, and counts what is gone already; a second undo
// finds nothing left to do, and a fault mid-way leaves that contact for the
// next one.
TEST_P(UndoWithOrWithoutTable, TakesBackExactlyWhatTheLastRunStoredAndNothingChangedSince) {
    StoredContact& before = outlook.sessions.stored.emplace_back();
    before.entryId = "MINE";
    before.folder = outlook.sessions.defaultFolder.path;
    storage.files["C:\\c\\four.vcf"] = cards({"Ann", "Bob", "Cid", "Dee"});
    queueFiles({"C:\\c\\four.vcf"});
    (void)runWithoutWindows();
    ASSERT_EQ(outlook.sessions.stored.size(), 5u);

    window.answers = {false};
    (void)undo();
    EXPECT_EQ(deleted(), 0u);
    EXPECT_NE(window.questions.back().find("Delete the 4 contacts that the import of "),
              std::string::npos);

    outlook.sessions.stored[2].modified += 1.0 / 24; // Bob, changed an hour later
    outlook.sessions.stored[3].deleted = true;       // Cid, deleted by hand
    outlook.sessions.failing = refusal();
    outlook.sessions.failing.insert("Delete EID5"); // Dee
    outlook.sessions.log.clear();
    (void)undo();
    // Each contact still in its folder has its own time read right before
    // the delete; with the table, one it shows changed is kept without a call.
    EXPECT_EQ(std::ranges::count(outlook.sessions.log, "LastModificationTime"), GetParam() ? 3 : 2);
    EXPECT_FALSE(takenBack(0)) << "a contact of the user's own";
    EXPECT_TRUE(takenBack(1));
    EXPECT_FALSE(takenBack(2));
    EXPECT_FALSE(takenBack(4));
    EXPECT_EQ(reportedSteps(), std::vector<int>{308});
    EXPECT_EQ(firstLineOf(lastMessage()), "Done.");
    EXPECT_NE(lastMessage().find("kept, changed after the import: Bob."), std::string::npos);
    const std::vector<std::string> rows = undoRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "C:\\c\\four.vcf,1,Ann,deleted,,,EID2,");
    EXPECT_EQ(rows[1], "C:\\c\\four.vcf,2,Bob,kept: changed after the import,,,EID3,");
    EXPECT_EQ(rows[2], "C:\\c\\four.vcf,3,Cid,not found,,,EID4,");
    EXPECT_EQ(rows[3], "C:\\c\\four.vcf,4,Dee,reported,308,Delete failed in Outlook.,EID5,");

    outlook.sessions.failing = refusal();
    window.answers = {true};
    (void)undo(); // only Dee is left
    EXPECT_TRUE(takenBack(4));
    EXPECT_NE(window.questions.back().find("Delete the contact that"), std::string::npos);

    EXPECT_EQ(std::ranges::count(storage.records.back().lines, ContactRecordHeader()), 1)
        << "a resumed undo goes on below the lines it wrote, under one header";

    const std::size_t asked = window.questions.size();
    (void)undo();
    EXPECT_EQ(window.questions.size(), asked);
    EXPECT_NE(lastMessage().find("has been undone already"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(TableRefused, UndoWithOrWithoutTable, ::testing::Bool());

// The folder's table of change times is trusted for ten seconds: a contact
// changed later than that into a long undo is read again and kept.
TEST_F(UndoTest, AContactChangedOnceTheTableIsStaleIsKept) {
    storage.files["C:\\c\\three.vcf"] = cards({"Ann", "Bob", "Cid"});
    queueFiles({"C:\\c\\three.vcf"});
    (void)runWithoutWindows();
    ASSERT_EQ(outlook.sessions.stored.size(), 3u);
    int yields = 0;
    window.onYield = [&] {
        // Before Cid: Cid is changed, eleven seconds after the table was read.
        if (++yields == 3) {
            outlook.sessions.stored[2].modified += 1.0 / 24;
            clock.advance(std::chrono::seconds(11));
        }
    };
    window.answers = {true};
    outlook.sessions.log.clear();
    (void)undo();
    EXPECT_EQ(
        std::ranges::count_if(outlook.sessions.log,
                              [](const std::string& call) { return call.starts_with("GetTable"); }),
        2);
    EXPECT_TRUE(takenBack(0));
    EXPECT_TRUE(takenBack(1));
    EXPECT_FALSE(takenBack(2));
    EXPECT_NE(lastMessage().find("kept, changed after the import: Cid."), std::string::npos);
}

// What the undo does with Ann and Bob, stored by one import, after each
// thing a user or Outlook may have done to Bob since.
TEST_F(UndoTest, DeletesOnlyWhatIsStillWhereTheImportPutItUnchanged) {
    struct Case {
        const char* name;
        std::function<void()> meanwhile; // after the import, before the undo
        std::string bobResult;
        bool bobInDeletedItems;
    };
    const auto bob = [this]() -> StoredContact& { return outlook.sessions.stored.at(1); };
    const std::vector<Case> cases{
        {"unchanged, stored off a whole second", [this] { outlook.sessions.now += 0.4 / 86400; },
         "deleted", true},
        {"changed while the undo went on, after the table was read",
         [&] {
             window.onYield = [&bob, yields = 0]() mutable {
                 if (++yields == 2)
                     bob().modified += 1.0 / 24;
             };
         },
         "kept: changed after the import", false},
        {"moved to another folder", [&] { bob().folder = "\\\\Mailbox - Ann\\Friends"; },
         "kept: no longer in its folder", false},
        {"moved to Deleted Items", [&] { bob().folder = outlook.sessions.deletedItems; },
         "kept: no longer in its folder", true},
        {"changed an hour later, by a record of local time two hours ahead",
         [&] {
             outlook.sessions.utcOffset = 2.0 / 24;
             bob().modified += 1.0 / 24;
             std::string& line = storage.records.back().lines.at(2);
             const std::size_t at = line.rfind(',') + 1;
             const auto utc = StoredTimeFromText(line.substr(at));
             ASSERT_TRUE(utc && utc->utc);
             line = line.substr(0, at) + OleDateText(utc->oleDate + 2.0 / 24);
         },
         "kept: changed after the import", false},
        {"no time of storing in the record",
         [this] {
             std::string& line = storage.records.back().lines.at(2);
             line.resize(line.rfind(','));
         },
         "kept: changed after the import", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        storage.files["C:\\c\\two.vcf"] =
            card("Ann", "ann@example.com") + card("Bob", "bob@example.com");
        queueFiles({"C:\\c\\two.vcf"});
        if (std::string_view(c.name).starts_with("unchanged"))
            c.meanwhile();
        (void)runWithoutWindows();
        ASSERT_EQ(outlook.sessions.stored.size(), 2u);
        const std::string bobFolder = outlook.sessions.stored[1].folder;
        if (!std::string_view(c.name).starts_with("unchanged"))
            c.meanwhile();
        window.answers = {true};
        (void)undo();
        EXPECT_TRUE(takenBack(0));
        EXPECT_EQ(takenBack(1), c.bobInDeletedItems);
        EXPECT_FALSE(outlook.sessions.stored[1].deleted) << "nothing is deleted for good";
        ASSERT_EQ(undoRows().size(), 2u);
        EXPECT_EQ(ParseCsvLine(undoRows()[1])[3], c.bobResult);
        if (c.bobResult != "deleted") {
            EXPECT_NE(lastMessage().find(": Bob."), std::string::npos) << lastMessage();
        }
    }
}

// A second undo whose record of the first lost its lines finds the contacts
// in Deleted Items, and leaves them there; a contact the run found already
// there is the user's own, never asked about, taken back or named.
TEST_F(UndoTest, NeverDeletesForGoodNorTouchesTheUsersOwnContact) {
    preload("MINE", "Ann", "ann@example.com");
    storage.files["C:\\c\\two.vcf"] =
        card("Ann", "ann@example.com") + card("Bob", "bob@example.com");
    queueFiles({"C:\\c\\two.vcf"});
    (void)runWithoutWindows();
    ASSERT_EQ(outlook.sessions.stored.size(), 2u);
    window.answers = {true, true};
    (void)undo();
    EXPECT_NE(window.questions.back().find("Delete the contact that"), std::string::npos);
    EXPECT_TRUE(takenBack(1));
    storage.records.back().lines.resize(1); // the undo's own record, lost but its header
    (void)undo();
    EXPECT_FALSE(outlook.sessions.stored[0].deleted || takenBack(0)) << "the user's own";
    EXPECT_TRUE(takenBack(1)) << "still in Deleted Items, not deleted for good";
    EXPECT_EQ(lastMessage().find("Ann"), std::string::npos);
}

// The runs after an import that stored nothing it can lead back to (a
// second run that found everyone there, a run through item windows) do not
// hide that import from the undo.
TEST_F(UndoTest, FindsTheImportBehindRunsThatStoredNothingToTakeBack) {
    storage.files["C:\\c\\two.vcf"] =
        card("Ann", "ann@example.com") + card("Bob", "bob@example.com");
    queueFiles({"C:\\c\\two.vcf"});
    (void)runWithoutWindows();
    (void)runWithoutWindows(); // both already there
    (void)run();
    ASSERT_EQ(storage.records.size(), 3u);
    window.answers = {true};
    (void)undo();
    EXPECT_NE(window.questions.back().find("Delete the 2 contacts that the import of 2026-12-08 "
                                           "14:00:00 stored"),
              std::string::npos)
        << window.questions.back();
    EXPECT_TRUE(takenBack(0));
    EXPECT_TRUE(takenBack(1));
}

TEST_F(UndoTest, ARunThroughItemWindowsOrNoneAtAllIsSaidPlainly) {
    (void)undo();
    EXPECT_EQ(lastMessage(), "There is no import to undo.");
    queueFiles({"C:\\c\\a.vcf"});
    (void)run();
    (void)undo();
    EXPECT_NE(lastMessage().find("stored no contact that Quorvane can take back"),
              std::string::npos);
    EXPECT_TRUE(window.questions.empty());
}

} // namespace

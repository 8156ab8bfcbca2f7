// Files that hold several contacts, files that hold none, and the record of
// every contact.

#include "import/contact_record.h"
#include "import/file_contacts.h"
#include "import_run_fixture.h"
#include "text/utf16_text.h"

#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

using ContactImportTest = ImportRunTest;

TEST_F(ContactImportTest, EveryContactOfEveryFileIsSavedInOrderAndAFileWithoutOneIsReportedAtOnce) {
    storage.files["C:\\c\\five.vcf"] = cards({"Ann", "Bob", "Cid", "Dee", "Eve"});
    storage.files["C:\\c\\empty.vcf"] = "not a contact\r\n";
    queueFiles({"C:\\c\\one.vcf", "C:\\c\\five.vcf", "C:\\c\\empty.vcf"});
    EXPECT_EQ(run(), RunEnd::Finished);

    // The single contact comes from the user's own file; the five from files
    // of their own, each holding exactly its card.
    ASSERT_EQ(outlook.saved.size(), 6u);
    EXPECT_EQ(outlook.saved[0], "C:\\c\\one.vcf");
    ASSERT_EQ(storage.cardFilesWritten.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(outlook.saved.begin() + 1, outlook.saved.end()),
              storage.cardFilesWritten);
    EXPECT_EQ(storage.cardFilesWritten[3].substr(storage.cardFilesWritten[3].rfind('\\') + 1),
              "0004 Dee.vcf");

    // The empty file: one report at the launch's step, no wait, no Outlook.
    EXPECT_EQ(reportedSteps(), std::vector<int>{120});
    EXPECT_NE(window.messages.front().text.find("This file holds no vCard: C:\\c\\empty.vcf"),
              std::string::npos);
    EXPECT_EQ(shell.launches.size(), 6u);
    EXPECT_EQ(lastMessage(), "Done.");

    // The bar moves through the split file's share contact by contact.
    EXPECT_EQ(window.progressTexts[3], "Processing: 0002 Bob.vcf in five.vcf");
    const std::vector<double> expected{100.0 / 3,
                                       (1 + 0.2) / 3 * 100,
                                       (1 + 0.4) / 3 * 100,
                                       (1 + 0.6) / 3 * 100,
                                       (1 + 0.8) / 3 * 100,
                                       200.0 / 3,
                                       100,
                                       0};
    ASSERT_EQ(window.progressValues.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(window.progressValues[i], expected[i], 1e-9) << i;

    // Nothing of the split is left behind.
    EXPECT_TRUE(storage.cardFiles.empty());
    EXPECT_EQ(storage.liveFolders, 0);
    EXPECT_EQ(outlook.liveReferences, 0);

    const std::vector<std::string> rows = recordRows();
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0], "C:\\c\\one.vcf,1,one.vcf,saved,,,,");
    EXPECT_EQ(rows[5], "C:\\c\\five.vcf,5,Eve,saved,,,,");
    EXPECT_EQ(rows[6],
              "C:\\c\\empty.vcf,,,reported,120,This file holds no vCard: C:\\c\\empty.vcf,,");
}

TEST_F(ContactImportTest, AFailureIsRecordedForItsContactAndTheRestOfTheFileGoesOn) {
    storage.files["C:\\c\\two.vcf"] = cards({"=cmd|' /C calc'!A0", "Bob"});
    outlook.failing = {"Save"};
    queueFiles({"C:\\c\\two.vcf"});
    (void)run();

    EXPECT_EQ(reportedSteps(), (std::vector<int>{128, 128}));
    const std::vector<std::string> rows = recordRows();
    ASSERT_EQ(rows.size(), 2u);
    // A name that a spreadsheet would run as a formula shows as text.
    EXPECT_EQ(rows[0],
              "C:\\c\\two.vcf,1,\"'=cmd|' /C calc'!A0\",reported,128,Save failed in Outlook.,,");
    EXPECT_EQ(rows[1], "C:\\c\\two.vcf,2,Bob,reported,128,Save failed in Outlook.,,");
}

TEST_F(ContactImportTest, FilesThatCannotBeSplitAreReportedAtTheLaunchStepWithTheirReason) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* description;
    };
    const std::vector<Case> cases{
        {"unreadable", [&] { storage.unreadable.insert("C:\\c\\x.vcf"); },
         "This file could not be read: C:\\c\\x.vcf\r\nAccess is denied."},
        {"empty", [&] { storage.files["C:\\c\\x.vcf"] = ""; },
         "This file holds no vCard: C:\\c\\x.vcf"},
        {"disk full",
         [&] {
             storage.files["C:\\c\\x.vcf"] = cards({"Ann", "Bob"});
             storage.failWrites = true;
         },
         "The contacts of this file could not be written out one by one for Outlook: "
         "C:\\c\\x.vcf\r\nThere is not enough space on the disk."},
        {"one huge card",
         [&] {
             storage.files["C:\\c\\x.vcf"] =
                 "BEGIN:VCARD\r\nFN:Big\r\nNOTE:" + std::string(17u << 20, 'x') +
                 "\r\nEND:VCARD\r\n";
         },
         "This contact is larger than 16 MB and was not imported: C:\\c\\x.vcf, contact 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storage = {};
        window = FakeWindow{&clock};
        outlook.log.clear();
        queue.clear();
        c.arrange();
        queueFiles({"C:\\c\\x.vcf"});
        EXPECT_EQ(run(), RunEnd::Finished);
        EXPECT_EQ(reportedSteps(), std::vector<int>{120});
        EXPECT_EQ(window.messages.front().text.substr(0, std::string(c.description).size()),
                  c.description);
        EXPECT_TRUE(outlook.log.empty()) << "Outlook is not asked for a file it cannot open";
        EXPECT_EQ(storage.liveFolders, 0);
    }
}

// Outlook reads UTF-8 without a CHARSET in the Windows code page: such a card
// goes as a repaired copy, a card that needs nothing as the user's own file.
TEST_F(ContactImportTest, Utf8WithoutACharsetGoesAsARepairedCopyAndIsRecordedSo) {
    storage.files["C:\\c\\jose.vcf"] =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jos\xC3\xA9\r\nEND:VCARD\r\n";
    queueFiles({"C:\\c\\jose.vcf", "C:\\c\\ann.vcf"});
    (void)run();
    ASSERT_EQ(outlook.saved.size(), 2u);
    ASSERT_EQ(storage.cardFilesWritten.size(), 1u);
    EXPECT_EQ(outlook.saved[0], storage.cardFilesWritten[0]);
    EXPECT_EQ(outlook.saved[1], "C:\\c\\ann.vcf");
    EXPECT_EQ(recordRows()[0],
              "C:\\c\\jose.vcf,1,Jos\xC3\xA9,saved,,,,,repaired: FN (CHARSET=UTF-8 added),,");
    EXPECT_TRUE(storage.cardFiles.empty());
}

// Files as `copy`, padding, old phones and Windows tools leave them, each case
// named for the fault it guards: every contact once, in order, from a card
// file that starts at its BEGIN line (behind a mark when UTF-16), and a
// BEGIN:VCARD that starts no contact reported where it stands.
TEST(FileContactsTest, EveryContactOfAJoinedOrOddlyEncodedFileComesOnceAndNoneVanishesUnsaid) {
    const auto card = [](std::string name, std::string end = "END:VCARD\r\n") {
        return "BEGIN:VCARD\r\nFN:" + name + "\r\n" + end;
    };
    const auto wide = [](std::string_view text) {
        return Utf16BytesFromUtf8(text, ByteOrder::LittleEndian);
    };
    const std::string softBreak = "NOTE;ENCODING=QUOTED-PRINTABLE:x=0D=0A=\r\n";
    const std::vector<std::tuple<std::string, std::string, std::vector<std::string>>> cases{
        {"Ctrl-Z of copy a+b loses the next contact", card("A") + "\x1A" + card("B"), {"A", "B"}},
        {"NUL before BEGIN loses the next contact", card("A") + '\0' + card("B"), {"A", "B"}},
        {"NUL after END merges two contacts",
         card("A", "END:VCARD") + '\0' + card("B"),
         {"A", "B"}},
        {"a blank after END merges two contacts", card("A", "END:VCARD ") + card("B"), {"A", "B"}},
        {"a BEGIN:VCARD between contacts vanishes unsaid",
         card("A") + "x BEGIN:VCARD\r\nFN:C\r\nEND:VCARD\r\n" + card("B"),
         {"A", "!after contact 1", "B"}},
        {"plain junk between contacts raises a false report",
         card("A") + "page 2:\r\n" + card("B"),
         {"A", "B"}},
        {"8-bit contacts after UTF-16 vanish",
         "\xFF\xFE" + wide(card("A")) + card("B"),
         {"A", "B"}},
        {"a soft break before END:VCARD ends the contact",
         "BEGIN:VCARD\r\n" + softBreak + "END:VCARD\r\nFN:A\r\nEND:VCARD\r\n" + card("B"),
         {"A", "B"}},
        {"a soft break before BEGIN:VCARD invents a contact",
         "BEGIN:VCARD\r\nnote;quoted-printable:x=\r\nBEGIN:VCARD\r\nN:;A\r\nEND:VCARD\r\n" +
             card("B"),
         {"A", "B"}},
        {"UTF-16 without a mark goes as 8-bit text", wide(card("A") + card("B")), {"A", "B"}},
        {"one UTF-16 contact without a mark goes as 8-bit text", wide(card("A")), {"A"}},
    };
    for (const auto& [fault, file, expected] : cases) {
        SCOPED_TRACE(fault);
        FakeRunStorage storage;
        FakeCodePages codePages;
        storage.files["C:\\c\\x.vcf"] = file;
        const OutlookKeeps keeps = BuiltInOutlookKeeps();
        FileContacts contacts(storage, codePages, keeps);
        const KeepGoing keepGoing = [] { return true; };
        contacts.open("C:\\c\\x.vcf", keepGoing);
        std::vector<std::string> entries;
        for (bool more = contacts.current(); more; more = contacts.next(keepGoing)) {
            const FileContact& contact = *contacts.current();
            const std::string why = contact.failure ? contact.failure->description : "";
            entries.push_back(contact.failure ? "!" + why.substr(why.rfind(", ") + 2)
                                              : contact.name);
            const auto written = storage.cardFiles.find(contact.path);
            const std::string& bytes =
                written != storage.cardFiles.end() ? written->second : storage.files[contact.path];
            EXPECT_TRUE(contact.failure || bytes.starts_with("BEGIN:VCARD") ||
                        bytes.starts_with("\xFF\xFE" + wide("BEGIN:VCARD")))
                << contact.name;
        }
        EXPECT_EQ(entries, expected);
    }
}

TEST_F(ContactImportTest, ClosingMidFileRemovesItsCardsAndRecordsTheRestAsSkipped) {
    storage.files["C:\\c\\four.vcf"] = cards({"Ann", "Bob", "Cid", "Dee"});
    queueFiles({"C:\\c\\four.vcf", "C:\\c\\later.vcf"});
    window.onYield = [&] {
        if (outlook.saved.size() == 2)
            window.isClosing = true;
    };
    EXPECT_EQ(run(), RunEnd::WindowClosed);
    EXPECT_EQ(storage.liveFolders, 0);
    EXPECT_TRUE(storage.cardFiles.empty());
    const std::vector<std::string> rows = recordRows();
    // The file is read as the run goes: what came after the contact at hand
    // is one line, and so is every file the run never began.
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "C:\\c\\four.vcf,2,Bob,saved,,,,");
    EXPECT_EQ(rows[2], "C:\\c\\four.vcf,3,Cid,skipped: the run was ended,,,,");
    EXPECT_EQ(rows[3], "C:\\c\\four.vcf,,,skipped: the run was ended,,The run was ended before "
                       "the rest of this file was read.,,");
    EXPECT_EQ(rows[4], "C:\\c\\later.vcf,,,skipped: the run was ended,,,,");
}

TEST_F(ContactImportTest, ARunWithoutItsRecordSaysSoOnceAndStillImports) {
    storage.failRecord = true;
    queueFiles({"a.vcf", "b.vcf"});
    (void)run();
    EXPECT_EQ(outlook.saved, (std::vector<std::string>{"a.vcf", "b.vcf"}));
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text,
              "The record of this run could not be written: The disk is full.\r\n"
              "The import goes on without it.");
    EXPECT_EQ(lastMessage(), "Done.");
}

TEST(CsvField, QuotesWhatWouldBreakTheLineAndGuardsFormulas) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Ann Lee", "Ann Lee"},
        {"Lee, Ann", "\"Lee, Ann\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"=1+2", "\"'=1+2\""},
        {"+49 30 1234", "\"'+49 30 1234\""},
        {"-x", "\"'-x\""},
        {"@home", "\"'@home\""},
        {"O'Brien", "O'Brien"},
        {"", ""},
    };
    for (const auto& [value, field] : cases)
        EXPECT_EQ(CsvField(value), field) << value;
}

} // namespace

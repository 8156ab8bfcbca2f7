// Files that hold many contacts, and files that hold none, through the real
// program and the stand-in Outlook, which reads only a file's first card.

#include "import_fixture.h"
#include "run_records.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"
#include "support/message_pump.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class Contacts : public ImportTest {};

TEST_F(Contacts, EveryContactOfEveryFileIsSavedOnceInOrderAndAFileWithoutOneIsReportedAtOnce) {
    const std::vector<std::wstring> files{
        file(L"one.vcf", cards({"Ann One"})),
        file(L"phone export.vcf", cards({"Bo", "Cy", "Di", "Ed", "Flo"})),
        file(L"desktop.ini", "[.ShellClassInfo]\r\n"),
        file(L"wide.vcf", utf16Cards({"Zoë", "Åsa"})),
    };
    const std::size_t recordsBefore = records().size();
    Quorvane app;
    app.appendRows(files);
    app.command(CommandId::Start);
    const auto started = std::chrono::steady_clock::now();
    const auto boxes = app.answerBoxesUntil(L"Done.", 60s);

    ASSERT_EQ(boxes.size(), 2u) << describe(boxes);
    EXPECT_EQ(reportedStep(boxes[0]), 120);
    EXPECT_NE(boxes[0].text.find(L"This file holds no vCard: " + files[2]), std::wstring::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s) << "no wait for Outlook's window";
    EXPECT_EQ(boxes[1].text, L"Done.");
    for (const std::wstring& line : readLines(logFile))
        EXPECT_NE(line, L"launch " + files[2]) << "Outlook was never asked to open it";

    const auto saved = savedContacts(savedFile);
    std::vector<std::wstring> names;
    for (const SavedContact& contact : saved)
        names.push_back(contact.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Ann One", L"Bo", L"Cy", L"Di", L"Ed", L"Flo",
                                                L"Zoë", L"Åsa"}));
    ASSERT_EQ(saved.size(), 8u);
    // A file with one contact goes to Outlook as it is; the others' contacts
    // come from a private folder that is gone once the run is over.
    EXPECT_EQ(saved[0].path, files[0]);
    for (std::size_t i = 1; i < saved.size(); ++i) {
        EXPECT_NE(saved[i].path.find(L"\\Quorvane-"), std::wstring::npos) << saved[i].path;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(saved[i].path).parent_path()))
            << saved[i].path;
    }

    const auto after = records();
    ASSERT_EQ(after.size(), recordsBefore + 1);
    const auto rows = readUtf8Lines(after.back().wstring());
    ASSERT_EQ(rows.size(), 10u); // the header and nine results
    EXPECT_TRUE(rows[0].starts_with("\xEF\xBB\xBF"
                                    "File,Contact,Name,Result"));
    EXPECT_NE(rows[7].find(",,,reported,120,"), std::string::npos) << rows[7];
    EXPECT_NE(rows[9].find(",2,\xC3\x85sa,saved"), std::string::npos) << rows[9];
}

TEST_F(Contacts, ClosingTheWindowMidFileEndsTheProcessAndRemovesTheSplitContacts) {
    std::vector<const char*> many(30, "Same Name");
    std::string bytes;
    for (const char* name : many)
        bytes += cards({name});
    const std::wstring export_ = file(L"big export.vcf", bytes);
    setStandIn(L"OpenDelayMs", 300);
    Quorvane app;
    startRun(app, {export_});
    ASSERT_TRUE(waitUntil([&] { return savedContacts(savedFile).size() >= 2; }, 30s));
    const std::filesystem::path cardFolder =
        std::filesystem::path(savedContacts(savedFile).front().path).parent_path().parent_path();
    ASSERT_TRUE(std::filesystem::exists(cardFolder)) << cardFolder;

    app.close();
    EXPECT_TRUE(app.waitForExit(10s));
    EXPECT_FALSE(std::filesystem::exists(cardFolder)) << cardFolder;
}

TEST_F(Contacts, AFolderWhoseCardWasStillOpenAtTheEndGoesAtTheNextStart) {
    setStandIn(L"OpenDelayMs", 300);
    std::optional<Quorvane> app(std::in_place);
    app->appendRows({file(L"export.vcf", cards({"Ann", "Bo", "Cy"}))});
    app->command(CommandId::Start);
    ASSERT_TRUE(waitUntil([&] { return !savedContacts(savedFile).empty(); }, 30s));
    // The last card, taken hold of while Outlook takes its time to open it,
    // and held as Outlook may hold the card it showed last: the first one
    // may be gone already by the time the test hears of it.
    const std::filesystem::path card =
        std::filesystem::path(savedContacts(savedFile).front().path).parent_path() / L"0003 Cy.vcf";
    win32::ScopedFile held;
    ASSERT_TRUE(waitUntil(
        [&] {
            held.reset(CreateFileW(card.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
            return static_cast<bool>(held);
        },
        30s))
        << card;
    app->answerBoxesUntil(L"Done.", 30s);
    EXPECT_TRUE(exists(card)) << "a card held open stays until the next start";
    app.reset();
    held.reset();
    app.emplace();
    EXPECT_TRUE(waitUntil([&] { return !exists(card.parent_path().parent_path()); }, 10s));
}

} // namespace

// Exports joined byte for byte (copy /b, cat): a mark in front of each part,
// and a part without its last line end, so that the next BEGIN:VCARD follows
// END:VCARD on the same line.
TEST_F(Contacts, AJoinedExportGivesEveryContactOnce) {
    const std::string mark = "\xEF\xBB\xBF";
    std::string middle = cards({"Cy"});
    middle.resize(middle.size() - 2);
    const std::wstring joined =
        file(L"joined.vcf", mark + cards({"Ann", "Bo"}) + mark + middle + mark + cards({"Di"}));
    Quorvane app;
    const auto boxes = runThroughDone(app, {joined});
    ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
    std::vector<std::wstring> names;
    for (const SavedContact& contact : savedContacts(savedFile))
        names.push_back(contact.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Ann", L"Bo", L"Cy", L"Di"}));
}

// A dropped folder queues every file, a video of gigabytes included: reading
// it must leave the window answering, and a close must end the program.
TEST_F(Contacts, ClosingWhileALargeFileWithoutCardsIsReadEndsTheProgramAtOnce) {
    std::string junk(400u * 1024 * 1024, 'x');
    for (std::size_t at = 99; at < junk.size(); at += 100)
        junk[at] = '\n';
    const std::wstring video = file(L"holiday.mp4", junk);
    junk.clear();
    junk.shrink_to_fit();
    Quorvane app;
    startRun(app, {video});
    ASSERT_TRUE(waitUntil([&] { return app.progressText() == L"Processing: holiday.mp4"; }, 10s));
    const auto closedAt = std::chrono::steady_clock::now();
    app.close();
    EXPECT_TRUE(app.waitForExit(5s));
    EXPECT_LT(std::chrono::steady_clock::now() - closedAt, 1s);
}

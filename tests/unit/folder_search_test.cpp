// The folder search behind Add Folder and dropped folders, driven through the
// main form against an in-memory file system.

#include "app/main_form.h"
#include "fake_file_system.h"
#include "fakes.h"
#include "form_fixture.h"
#include "queue/wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;
using namespace std::chrono_literals;

namespace {

using Rows = std::vector<std::string>;

class FolderSearchTest : public FormTest {
protected:
    // Every listed entry takes a millisecond, so a search takes measurable time.
    void entriesTakeAMillisecond() {
        files.onEntry = [this] { clock.advance(1ms); };
    }
    Rows manyFiles(int count) {
        Rows expected;
        for (int i = 0; i < count; ++i) {
            const std::string path = "C:\\big\\f" + std::to_string(i) + ".vcf";
            files.addFile(path);
            expected.push_back(path);
        }
        return expected;
    }
};

TEST(Wildcard, MatchesLongNamesAsWindowsDoes) {
    for (const char* name : {"a.vcf", "B.VCF", "c.Vcf", "x.y.vcf", ".vcf"})
        EXPECT_TRUE(MatchesWildcard(name, "*.vcf")) << name;
    for (const char* name : {"d.vcf.bak", "e.txt", "vcf", "a.vcfx", "avcf"})
        EXPECT_FALSE(MatchesWildcard(name, "*.vcf")) << name;
    for (const char* name : {"README", "a.b", ".profile", "~x"})
        EXPECT_TRUE(MatchesWildcard(name, "*.*")) << name;
    EXPECT_TRUE(MatchesWildcard("a\xC3\xA4"
                                "c.vcf",
                                "a?c.vcf")); // one character, two bytes
    EXPECT_TRUE(MatchesWildcard("a", "a.*"));
    EXPECT_FALSE(MatchesWildcard("ab", "a.*"));
}

TEST_F(FolderSearchTest, AddFolderQueuesVcfFilesByTheirLongNames) {
    files.addFile("C:\\r\\a.vcf");
    files.addFile("C:\\r\\~b.vcf");
    files.addFile("C:\\r\\c.VCF");
    files.addFile("C:\\r\\d.txt");
    files.addFile("C:\\r\\d.vcf.bak");
    files.addFile("C:\\r\\abcdefgh.vcfx", FileAttribute::Archive, "ABCDEF~1.VCF");
    files.addFile("C:\\r\\e.Vcf", FileAttribute::Hidden);
    files.addFile("C:\\r\\f.vcf", FileAttribute::System | FileAttribute::ReadOnly);
    files.addFolder("C:\\r\\g.vcf"); // a folder is never a row

    addFolder("C:\\r");

    EXPECT_EQ(rows(), (Rows{"C:\\r\\a.vcf", "C:\\r\\c.VCF", "C:\\r\\e.Vcf", "C:\\r\\f.vcf"}));
    EXPECT_EQ(settings.writes, Rows{"Trelvik\\Quorvane\\Extension=vcf"});
    EXPECT_EQ(window.calls, (Rows{"pointer hourglass", "pointer arrow"}));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(FolderSearchTest, SubFoldersFollowLevelByLevelGroupedByParent) {
    files.addFile("C:\\r\\A\\AA\\aa.vcf");
    files.addFile("C:\\r\\B\\b.vcf");
    files.addFile("C:\\r\\top.vcf");
    files.addFile("C:\\r\\A\\a.vcf");
    files.addFile("C:\\r\\A\\AB\\ab.vcf");
    files.addFile("C:\\r\\B\\BA\\ba.vcf");
    files.addFile("C:\\r\\A\\AA\\AAA\\aaa.vcf");

    addFolder("C:\\r");

    EXPECT_EQ(rows(),
              (Rows{"C:\\r\\top.vcf", "C:\\r\\A\\a.vcf", "C:\\r\\B\\b.vcf", "C:\\r\\A\\AA\\aa.vcf",
                    "C:\\r\\A\\AB\\ab.vcf", "C:\\r\\B\\BA\\ba.vcf", "C:\\r\\A\\AA\\AAA\\aaa.vcf"}));
    // Each folder is listed once, in the same breadth-first order: a second
    // listing per folder doubles the search's time where listing is slow.
    EXPECT_EQ(files.searches, (Rows{"C:\\r\\", "C:\\r\\A\\", "C:\\r\\B\\", "C:\\r\\A\\AA\\",
                                    "C:\\r\\A\\AB\\", "C:\\r\\B\\BA\\", "C:\\r\\A\\AA\\AAA\\"}));
    // A tree without links costs no identity queries, and the listing's own
    // attributes decide what is a folder.
    EXPECT_EQ(files.identityQueries, 0);
    EXPECT_EQ(files.attributeQueries, 0);
}

TEST_F(FolderSearchTest, HiddenSystemAndQuestionMarkFoldersAreNotSearched) {
    files.addFile("C:\\r\\hidden\\h.vcf");
    files.addFolder("C:\\r\\hidden", FileAttribute::Hidden);
    files.addFile("C:\\r\\system\\s.vcf");
    files.addFolder("C:\\r\\system", FileAttribute::System);
    files.addFile("C:\\r\\bad?name\\q.vcf");
    files.addFile("C:\\r\\readonly\\ro.vcf");
    files.addFolder("C:\\r\\readonly", FileAttribute::ReadOnly | FileAttribute::Archive);
    files.addFile("C:\\r\\odd\\o.vcf");
    files.hideAttributes("C:\\r\\odd");

    addFolder("C:\\r");

    EXPECT_EQ(rows(), (Rows{"C:\\r\\readonly\\ro.vcf", "C:\\r\\odd\\o.vcf"}));
    // Only the entry the listing could not describe was asked about again.
    EXPECT_EQ(files.attributeQueries, 1);
}

TEST_F(FolderSearchTest, DriveRootsKeepOneBackslashForAddFolderAndTwoForADrop) {
    files.addFile("D:\\a.vcf");
    files.addFile("D:\\sub\\b.vcf");

    addFolder("D:\\");
    EXPECT_EQ(rows(), (Rows{"D:\\a.vcf", "D:\\sub\\b.vcf"}));

    form.ClearList();
    form.ListView1_OLEDragDrop({"D:\\"});
    EXPECT_EQ(rows(), (Rows{"D:\\\\a.vcf", "D:\\\\sub\\b.vcf"}));
}

TEST_F(FolderSearchTest, ADropQueuesFilesAsTheyAreAndFoldersByEveryFileBelow) {
    files.addFile("C:\\d\\x.vcf");
    files.addFile("C:\\d\\y.doc");
    files.addFile("C:\\d\\~z.vcf");
    files.addFile("C:\\d\\sub\\w.txt");
    files.addFile("C:\\a.txt");
    files.addFile("C:\\hid\\in.vcf");
    files.addFolder("C:\\hid", FileAttribute::Hidden);
    files.addFile("C:\\odd\\in.vcf");
    files.hideAttributes("C:\\odd");

    form.ListView1_OLEDragDrop({"C:\\a.txt", "C:\\d", "C:\\hid", "C:\\gone.vcf", "C:\\odd"});
    EXPECT_EQ(rows(), (Rows{"C:\\a.txt", "C:\\d\\x.vcf", "C:\\d\\y.doc", "C:\\d\\sub\\w.txt",
                            "C:\\hid", "C:\\gone.vcf", "C:\\odd"}));

    form.ClearList();
    form.ListView1_OLEDragDrop({"C:\\d", "C:\\a.txt", "C:\\d"});
    EXPECT_EQ(rows(), (Rows{"C:\\d\\x.vcf", "C:\\d\\y.doc", "C:\\d\\sub\\w.txt", "C:\\a.txt",
                            "C:\\d\\x.vcf", "C:\\d\\y.doc", "C:\\d\\sub\\w.txt"}));
    // A drop shows no hourglass and stores nothing.
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(FolderSearchTest, LinksBackUpTheTreeEndTheSearchAndLinksElsewhereAreFollowed) {
    files.addFile("C:\\r\\a.vcf");
    files.addLink("C:\\r\\self", "C:\\r");
    files.addFile("C:\\r\\sub\\s.vcf");
    files.addLink("C:\\r\\sub\\up", "C:\\r");
    files.addLink("C:\\r\\sub\\again", "C:\\R\\SUB");
    files.addLink("C:\\r\\new", "C:\\elsewhere");
    files.addLink("C:\\r\\new2", "C:\\elsewhere");
    files.addFile("C:\\elsewhere\\e.vcf");

    addFolder("C:\\r");
    EXPECT_EQ(rows(), (Rows{"C:\\r\\a.vcf", "C:\\r\\sub\\s.vcf", "C:\\r\\new\\e.vcf"}));

    // The chosen folder itself a link to the folder that holds it.
    files.addFile("C:\\top\\t.vcf");
    files.addLink("C:\\top\\down", "C:\\top");
    form.ClearList();
    form.ListView1_OLEDragDrop({"C:\\top\\down"});
    EXPECT_EQ(rows(), (Rows{"C:\\top\\down\\t.vcf"}));
}

// Found by the folder search fuzzer: a folder that could not be listed before
// the walk met its first link was tried, and reported, a second time through
// a link to it.
TEST_F(FolderSearchTest, AFolderThatCouldNotBeListedIsNotTriedAgainThroughALink) {
    files.addFolder("C:\\r\\locked");
    files.denyListing("C:\\r\\locked");
    files.addFile("C:\\r\\a\\a.vcf");
    files.addLink("C:\\r\\a\\there", "C:\\r\\locked");

    addFolder("C:\\r");

    EXPECT_EQ(rows(), Rows{"C:\\r\\a\\a.vcf"});
    EXPECT_EQ(std::count(files.searches.begin(), files.searches.end(), "C:\\r\\a\\there\\"), 0);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text,
              "1 folder could not be read; the files in it were not added:\n"
              "\nC:\\r\\locked\n    Access is denied.");
}

TEST_F(FolderSearchTest, UnreadableFoldersAreSkippedAndReportedOnceAtTheEnd) {
    files.addFile("C:\\r\\a.vcf");
    files.addFolder("C:\\r\\locked");
    files.denyListing("C:\\r\\locked");
    files.addFile("C:\\r\\ok\\o.vcf");
    files.addFolder("C:\\r\\ok\\share");
    files.denyListing("C:\\r\\ok\\share", "The network path was not found.");
    form.queue().add("keep.vcf");

    addFolder("C:\\r");

    EXPECT_EQ(rows(), (Rows{"keep.vcf", "C:\\r\\a.vcf", "C:\\r\\ok\\o.vcf"}));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].style, MessageStyle::Exclamation);
    EXPECT_FALSE(window.messages[0].title); // the application's title
    EXPECT_EQ(window.messages[0].text,
              "2 folders could not be read; the files in them were not added:\n"
              "\nC:\\r\\locked\n    Access is denied."
              "\nC:\\r\\ok\\share\n    The network path was not found.");
    EXPECT_EQ(window.calls.back(), "message " + window.messages[0].text);
}

TEST_F(FolderSearchTest, TheReportNamesTheFirstFewAndCountsTheRest) {
    for (int i = 0; i < 7; ++i) {
        const std::string folder = "C:\\r\\n" + std::to_string(i);
        files.addFolder(folder);
        files.denyListing(folder);
    }
    addFolder("C:\\r");
    ASSERT_EQ(window.messages.size(), 1u);
    const std::string& text = window.messages[0].text;
    EXPECT_EQ(text.rfind("7 folders could not be read", 0), 0u);
    EXPECT_NE(text.find("C:\\r\\n4\n"), std::string::npos);
    EXPECT_EQ(text.find("C:\\r\\n5"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\n\nand 2 more."));

    window.messages.clear();
    form.ListView1_OLEDragDrop({"C:\\r\\n0", "C:\\nothing-here"});
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text,
              "1 folder could not be read; the files in it were not added:\n"
              "\nC:\\r\\n0\n    Access is denied.");
    EXPECT_EQ(rows(), Rows{"C:\\nothing-here"});
}

TEST_F(FolderSearchTest, YieldsAreTimeSlicedAndTheHourglassOutlivesNestedCommands) {
    const Rows expected = manyFiles(300);
    entriesTakeAMillisecond();
    std::vector<ManualClock::TimePoint> yieldedAt;
    window.onYield = [&] {
        yieldedAt.push_back(clock.now());
        window.setPointer(PointerKind::Arrow); // as a nested command ends
    };

    addFolder("C:\\big");

    EXPECT_EQ(rows(), expected);
    ASSERT_GE(yieldedAt.size(), 6u);
    auto previous = ManualClock::TimePoint{};
    for (const auto at : yieldedAt) {
        EXPECT_GE(at - previous, 20ms);
        EXPECT_LE(at - previous, 50ms);
        previous = at;
    }
    ASSERT_GE(window.calls.size(), 3u);
    EXPECT_EQ(window.calls[window.calls.size() - 2], "pointer hourglass");
    EXPECT_EQ(window.calls.back(), "pointer arrow");
}

TEST_F(FolderSearchTest, NestedCommandsSeeTheRowsFoundSoFarAndLaterRowsGoToTheEnd) {
    const Rows expected = manyFiles(200);
    entriesTakeAMillisecond();

    bool cleared = false;
    window.onYield = [&] {
        if (!cleared && form.queue().count() > 0) {
            form.ClearList();
            cleared = true;
        }
    };
    addFolder("C:\\big");
    const Rows afterClear = rows();
    ASSERT_GT(afterClear.size(), 0u);
    ASSERT_LT(afterClear.size(), expected.size());
    EXPECT_TRUE(std::equal(afterClear.begin(), afterClear.end(),
                           expected.end() - static_cast<std::ptrdiff_t>(afterClear.size())));

    form.ClearList();
    std::size_t rowsAtYield = 0;
    window.onYield = [&] {
        if (rowsAtYield != 0 || form.queue().count() == 0)
            return;
        rowsAtYield = form.queue().count();
        form.ListView1_OLEDragDrop({"C:\\dropped.txt"});
    };
    addFolder("C:\\big");
    Rows withDrop = expected;
    withDrop.insert(withDrop.begin() + static_cast<std::ptrdiff_t>(rowsAtYield), "C:\\dropped.txt");
    EXPECT_GT(rowsAtYield, 0u);
    EXPECT_EQ(rows(), withDrop);
}

TEST_F(FolderSearchTest, AClosingWindowStopsTheSearchAtOnce) {
    (void)manyFiles(200);
    files.addFolder("C:\\big\\later");
    files.denyListing("C:\\big\\later");
    entriesTakeAMillisecond();
    std::size_t searchesAtClose = 0;
    window.onYield = [&] {
        window.isClosing = true;
        searchesAtClose = files.searches.size();
    };

    addFolder("C:\\big");

    EXPECT_EQ(files.searches.size(), searchesAtClose);
    EXPECT_EQ(window.yields, 1);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.calls.back(), "pointer hourglass");
}

} // namespace

#include "queue/dialog_result.h"
#include "queue/import_queue.h"
#include "queue/join_path.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace std::string_literals;

namespace {

struct CountingObserver final : QueueObserver {
    int changes = 0;
    void queueChanged() override { ++changes; }
};

std::vector<std::string> rowsOf(const ImportQueue& queue) {
    std::vector<std::string> rows;
    for (std::size_t i = 1; i <= queue.count(); ++i)
        rows.emplace_back(*queue.item(i));
    return rows;
}

TEST(ImportQueue, KeepsInsertionOrderAndDuplicates) {
    ImportQueue queue;
    queue.add("C:\\a.vcf");
    queue.add("C:\\b.vcf");
    queue.add("C:\\a.vcf");
    EXPECT_EQ(rowsOf(queue), (std::vector<std::string>{"C:\\a.vcf", "C:\\b.vcf", "C:\\a.vcf"}));
    EXPECT_FALSE(queue.item(0));
    EXPECT_FALSE(queue.item(4));
}

TEST(ImportQueue, RemovingARowMovesTheLaterRowsUp) {
    ImportQueue queue;
    queue.addMany({"1", "2", "3", "4"});
    EXPECT_TRUE(queue.remove(2));
    EXPECT_EQ(rowsOf(queue), (std::vector<std::string>{"1", "3", "4"}));
    EXPECT_FALSE(queue.remove(0));
    EXPECT_FALSE(queue.remove(4));
    EXPECT_EQ(queue.count(), 3u);
}

TEST(ImportQueue, TellsItsObserverAboutEveryChangeButNotAboutNoOps) {
    ImportQueue queue;
    CountingObserver observer;
    queue.setObserver(&observer);
    queue.add("a");
    queue.addMany({"b", "c"});
    queue.addMany({});
    (void)queue.remove(9);
    (void)queue.remove(1);
    queue.clear();
    queue.clear();
    EXPECT_EQ(observer.changes, 4);
    EXPECT_EQ(queue.count(), 0u);
}

TEST(JoinPath, RepairsOnlyTheDoubledBackslashAfterADriveColon) {
    EXPECT_EQ(JoinPath("D:\\", "a.vcf"), "D:\\a.vcf");
    EXPECT_EQ(JoinPath("C:\\data", "a.vcf"), "C:\\data\\a.vcf");
    EXPECT_EQ(JoinPath("C:\\data\\", "a.vcf"), "C:\\data\\\\a.vcf");
    EXPECT_EQ(JoinPath("\\\\server\\share", "a.vcf"), "\\\\server\\share\\a.vcf");
    // Every occurrence, scanning once from the left.
    EXPECT_EQ(JoinPath("x:\\\\y:\\", "z"), "x:\\y:\\z");
    EXPECT_EQ(JoinPath("C:\\\\", "a"), "C:\\\\a");
    EXPECT_EQ(JoinPath("", ""), "\\");
}

TEST(SplitDialogResult, OnePathIsQueuedUnchanged) {
    EXPECT_EQ(SplitDialogResult("C:\\x\\\\a.vcf"), std::vector<std::string>{"C:\\x\\\\a.vcf"});
    // A typed name of a missing file comes back as a full path and is queued.
    EXPECT_EQ(SplitDialogResult("C:\\x\\missing.vcf"),
              std::vector<std::string>{"C:\\x\\missing.vcf"});
}

TEST(SplitDialogResult, SeveralNamesAreJoinedToTheFolderInOrder) {
    EXPECT_EQ(SplitDialogResult("C:\\x\0b.vcf\0a.vcf\0c.vcf"s),
              (std::vector<std::string>{"C:\\x\\b.vcf", "C:\\x\\a.vcf", "C:\\x\\c.vcf"}));
    EXPECT_EQ(SplitDialogResult("D:\\\0a.vcf\0b.vcf"s),
              (std::vector<std::string>{"D:\\a.vcf", "D:\\b.vcf"}));
}

} // namespace

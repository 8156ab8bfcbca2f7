#include "queue/dialog_result.h"
#include "queue/import_queue.h"
#include "queue/row_store.h"
#include "text/backslash_path.h"

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

// The store against a plain vector of strings, through appends and removals
// that cross its block boundaries and empty whole blocks.
TEST(RowStore, AgreesWithAPlainListThroughAppendsAndRemovals) {
    RowStore store;
    std::vector<std::string> model;
    unsigned seed = 7;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 1500; ++i) {
            std::string row = "C:\\r" + std::to_string(round) + "\\" + std::to_string(i) +
                              std::string(next() % 40, 'x') + ".vcf";
            if (next() % 50 == 0)
                row.clear(); // an empty row is a row too
            store.append(row);
            model.push_back(row);
        }
        for (std::size_t index :
             {std::size_t{0}, std::size_t{1023}, std::size_t{1024}, std::size_t{0}}) {
            if (index == 0 && model.size() % 2 == 0)
                index = model.size() - 1; // the last row, now and then
            store.erase(index);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(index));
        }
        // Empty a whole block from its middle outwards.
        for (int i = 0; i < 1100 && model.size() > 600; ++i) {
            const std::size_t index = 500 + next() % 100;
            store.erase(index);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(index));
        }
        ASSERT_EQ(store.size(), model.size());
        for (std::size_t i = 0; i < model.size(); ++i)
            ASSERT_EQ(store.at(i), model[i]) << "round " << round << " row " << i;
    }
    store.clear();
    EXPECT_TRUE(store.empty());
    store.append("again");
    EXPECT_EQ(store.at(0), "again");
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

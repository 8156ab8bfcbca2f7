// What the folder search's own thread could get wrong: a walk that goes on
// after the window has closed, rows found before a Clear that land after it,
// and two searches whose rows mix. The search runs on its real thread against
// the in-memory file system; the test's events reach the window as posted
// events would.

#include "app/main_form.h"
#include "fake_file_system.h"
#include "fakes.h"
#include "form_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;
using namespace std::chrono_literals;

namespace {

using Rows = std::vector<std::string>;
using Steady = std::chrono::steady_clock;

// Waits, on one thread, for the other to have done its part; gives up after
// ten seconds, and the test fails on what did not happen.
void waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
}

class SearchThreadTest : public FormTest {
protected:
    // Calls to the listings' next(), counted on the search's thread.
    std::atomic<int> entriesRead{0};

    Rows manyFiles(const std::string& folder, int count) {
        Rows made;
        for (int i = 0; i < count; ++i) {
            made.push_back(folder + "\\f" + std::to_string(i) + ".vcf");
            files.addFile(made.back());
        }
        return made;
    }
    // Every call to next() moves the clock on a millisecond, so the search
    // hands its rows over every 25 calls; `atCall` runs on the search's
    // thread before the call of that number returns its entry. A folder
    // below the drive lists "." and ".." first, so call N returns file N - 3.
    void onEntries(std::function<void(int call)> atCall) {
        files.onEntry = [this, atCall = std::move(atCall)] {
            clock.advance(1ms);
            atCall(++entriesRead);
        };
    }
};

// The walk must stop within its next step once the window closes, not at the
// end of the listing it is in nor at its next batch, and the command must
// return at once: the process is waiting for it to end.
TEST_F(SearchThreadTest, ClosingDuringTheListingOfAHugeFolderStopsTheWalkAtOnce) {
    constexpr int Files = 2000;
    (void)manyFiles("C:\\huge", Files);
    std::atomic<int> readAtClose{0};
    Steady::time_point closedAt;
    // The time stands still: without the close nothing would go over before
    // thousands of rows, and the walk reads on, a millisecond an entry.
    files.onEntry = [&] {
        if (++entriesRead == 200)
            window.post([&] {
                window.isClosing = true;
                closedAt = Steady::now();
                readAtClose = entriesRead.load();
            });
        std::this_thread::sleep_for(1ms);
    };

    addFolder("C:\\huge");
    const Steady::duration returned = Steady::now() - closedAt;
    form.endFolderSearches();
    const Steady::duration ended = Steady::now() - closedAt;

    EXPECT_LT(returned, 100ms);
    EXPECT_LT(ended, 100ms);
    EXPECT_GT(readAtClose, 0);
    EXPECT_LE(entriesRead - readAtClose, 20) << "the walk read on after the close";
    EXPECT_LT(form.queue().count(), static_cast<std::size_t>(Files));
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.calls.back(), "pointer hourglass");
}

// A Clear takes every row the search had found before it, whether the window
// had appended it, the search still held it, or it was handed over and not
// yet appended; every row found after it stays.
TEST_F(SearchThreadTest, ClearWhileRowsAreInFlightTakesEveryRowFoundBeforeItAndKeepsTheRest) {
    const Rows all = manyFiles("C:\\big", 300);
    std::atomic<bool> firstCleared{false};
    std::atomic<bool> secondWaiting{false};
    Rows queuedBetween;
    int foundBeforeSecond = 0;
    onEntries([&](int call) {
        // The search holds the rows of the batch it is filling (the last
        // went over at call 50) when this Clear comes; the walk waits for it
        // before it reads file 50.
        if (call == 53) {
            window.post([&] {
                form.ClearList();
                firstCleared = true;
            });
            waitUntil([&] { return firstCleared.load(); });
        }
        // This Clear waits for the walk to hand a batch over and clears
        // before the window has appended it.
        if (call == 153) {
            const int wakeUps = window.wakeUps();
            window.post([&, wakeUps] {
                secondWaiting = true;
                waitUntil([&] { return window.wakeUps() != wakeUps; });
                queuedBetween = rows();
                foundBeforeSecond = entriesRead - 2;
                form.ClearList();
            });
            waitUntil([&] { return secondWaiting.load(); });
        }
    });

    addFolder("C:\\big");

    // Between the two: from file 50 on, in order, and nothing before it.
    ASSERT_FALSE(queuedBetween.empty());
    EXPECT_EQ(queuedBetween, Rows(all.begin() + 50, all.begin() + 50 + queuedBetween.size()));
    ASSERT_GT(foundBeforeSecond, 150);
    ASSERT_LT(foundBeforeSecond, 300);
    EXPECT_EQ(rows(), Rows(all.begin() + foundBeforeSecond, all.end()));
}

// A drop made during Add Folder's search queues behind it: none of its
// folders is listed before the first search has listed its last, and its
// rows follow every row of the first, each search in its own breadth-first
// order. The files it drops ahead of its folders land at once, as always.
TEST_F(SearchThreadTest, ASecondSearchStartedDuringTheFirstQueuesBehindItAndItsRowsFollowAll) {
    Rows first = manyFiles("C:\\first", 100);
    const Rows firstDeeper = manyFiles("C:\\first\\deeper", 50);
    files.addFile("C:\\note.txt");
    Rows second = manyFiles("C:\\second", 60);
    const Rows secondDeeper = manyFiles("C:\\second\\deeper", 10);
    onEntries([](int) {});
    bool dropped = false;
    std::size_t rowsAtDrop = 0;
    window.onYield = [&] {
        if (dropped || form.queue().count() == 0)
            return;
        dropped = true;
        rowsAtDrop = form.queue().count();
        form.ListView1_OLEDragDrop({"C:\\note.txt", "C:\\second"});
    };

    addFolder("C:\\first");

    ASSERT_TRUE(dropped);
    first.insert(first.end(), firstDeeper.begin(), firstDeeper.end());
    second.insert(second.end(), secondDeeper.begin(), secondDeeper.end());
    Rows expected = first;
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(rowsAtDrop), "C:\\note.txt");
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(rows(), expected);

    Rows walked; // the listings of whole folders, in the order made
    std::copy_if(files.searches.begin(), files.searches.end(), std::back_inserter(walked),
                 [](const std::string& search) { return search.ends_with('\\'); });
    EXPECT_EQ(walked,
              (Rows{"C:\\first\\", "C:\\first\\deeper\\", "C:\\second\\", "C:\\second\\deeper\\"}));
    // Add Folder's hourglass stayed up through the drop's search and went
    // once both had ended.
    EXPECT_EQ(window.calls.front(), "pointer hourglass");
    EXPECT_EQ(window.calls.back(), "pointer arrow");
    EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "pointer arrow"), 1);
}

} // namespace

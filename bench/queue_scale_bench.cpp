// Prints how Quorvane's queue and folder search scale, each figure measured
// in this one process with the real main window:
//  1. Add Folder over a large tree, against a bare FindFirstFileExW walk of the
//     same tree, alternating, twice (the second pair with a warm cache), and
//     the longest time the window went without handling its messages;
//  2. a million rows appended in the batches a folder search makes, with the
//     virtual list attached: time, memory against the paths' UTF-16 size, and
//     the time to delete a row in the middle and to scroll to the end.
//   quorvane_queue_scale_bench TREE_FOLDER [ROWS [BATCH]]

#include "bare_walk.h"
#include "in_process_window.h"
#include "pump_gaps.h"

#include "app/commands.h"
#include "platform/win32/wide_text.h"
#include "support/process_probe.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::bench;
using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using Milliseconds = std::chrono::duration<double, std::milli>;

namespace {

struct WalkFigures {
    double seconds = 0;
    std::size_t files = 0;
    PumpGaps gaps;
};

WalkFigures timeAddFolder(InProcessQuorvane& app, PumpGapMeter& meter) {
    meter.start();
    const auto start = Steady::now();
    app.command(CommandId::AddFolder);
    WalkFigures figures{Seconds(Steady::now() - start).count(), app.queue().count(), meter.stop()};
    app.command(CommandId::ClearList);
    return figures;
}

WalkFigures timeBareWalk(const std::wstring& tree) {
    std::vector<std::wstring> paths;
    const auto start = Steady::now();
    bareWalk(tree, paths);
    return {Seconds(Steady::now() - start).count(), paths.size(), {}};
}

void reportFolderWalk(InProcessQuorvane& app, const std::wstring& tree) {
    PumpGapMeter meter;
    std::printf("Add Folder over %ls, against a bare FindFirstFileExW walk:\n", tree.c_str());
    // One untimed walk first, so that neither side pays alone for a cold
    // cache; then the two sides take turns going first.
    (void)timeBareWalk(tree);
    for (int round = 1; round <= 2; ++round) {
        const bool oursFirst = round == 1;
        const WalkFigures bareBefore = oursFirst ? WalkFigures{} : timeBareWalk(tree);
        const WalkFigures ours = timeAddFolder(app, meter);
        const WalkFigures bare = oursFirst ? timeBareWalk(tree) : bareBefore;
        std::printf("  run %d%s: Quorvane %.3f s (%zu rows), bare %.3f s (%zu files), "
                    "ratio %.2f (target <= 1.3)\n",
                    round, oursFirst ? " (Quorvane first)" : " (bare walk first)", ours.seconds,
                    ours.files, bare.seconds, bare.files, ours.seconds / bare.seconds);
        std::printf("         longest gap between message pumps %.1f ms over %zu pumps "
                    "(target <= 50 ms)\n",
                    ours.gaps.longest.count(), ours.gaps.pumps);
        if (ours.files != bare.files)
            std::printf("         (the counts differ: the walk and the search disagree)\n");
    }
}

// Paths shaped like a real contacts tree, a little under 70 characters each.
std::string rowPath(std::size_t index) {
    char path[128];
    std::snprintf(path, sizeof path,
                  "C:\\Users\\someone\\Documents\\Contacts\\group%03zu\\sub%03zu\\"
                  "contact%06zu.vcf",
                  index / 10000, index / 100 % 100, index);
    return path;
}

std::vector<std::string> batchFrom(std::size_t first, std::size_t count) {
    std::vector<std::string> batch;
    batch.reserve(count);
    for (std::size_t i = first; i < first + count; ++i)
        batch.push_back(rowPath(i));
    return batch;
}

double secondsToMakeRows(std::size_t rows, std::size_t batchSize) {
    const auto start = Steady::now();
    std::size_t made = 0;
    for (std::size_t first = 0; first < rows; first += batchSize)
        made += batchFrom(first, std::min(batchSize, rows - first)).size();
    return made == rows ? Seconds(Steady::now() - start).count() : -1;
}

double millisecondsFor(auto&& action) {
    const auto start = Steady::now();
    action();
    return Milliseconds(Steady::now() - start).count();
}

void reportMillionRows(InProcessQuorvane& app, std::size_t rows, std::size_t batchSize) {
    std::printf("%zu rows appended in batches of %zu, the window pumping between batches:\n", rows,
                batchSize);
    const double making = secondsToMakeRows(rows, batchSize);
    (void)app.window().yield();
    HWND list = app.list();
    UpdateWindow(list);

    const test::MemorySample before = test::ownMemory();
    std::size_t utf16Bytes = 0;
    double adding = 0; // the queue's append and the list's notification
    const auto start = Steady::now();
    for (std::size_t first = 0; first < rows; first += batchSize) {
        std::vector<std::string> batch = batchFrom(first, std::min(batchSize, rows - first));
        for (const std::string& path : batch)
            utf16Bytes += path.size() * sizeof(wchar_t); // ASCII: one unit a byte
        adding += millisecondsFor([&] { app.queue().addMany(std::move(batch)); });
        (void)app.window().yield();
    }
    const double appending = Seconds(Steady::now() - start).count();
    // The list shows a growing queue a few times a second, not at every
    // append; the wait for its last refresh is idle time, reported apart.
    const double catchingUp = millisecondsFor([&] {
        const auto deadline = Steady::now() + std::chrono::seconds(5);
        while (static_cast<std::size_t>(ListView_GetItemCount(list)) != app.queue().count() &&
               Steady::now() < deadline) {
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            (void)app.window().yield();
        }
        UpdateWindow(list);
    });
    const test::MemorySample after = test::ownMemory();

    std::printf("  time %.3f s (target <= 1 s), of which making the path texts %.3f s and "
                "appending with the list's notification %.3f s\n",
                appending, making, adding / 1000);
    std::printf("  the list showed all %d rows %.0f ms after the last append\n",
                ListView_GetItemCount(list), catchingUp);
    const double paths = static_cast<double>(utf16Bytes);
    std::printf("  paths as UTF-16 %.1f MB; private bytes +%.1f MB (%.2fx), working set +%.1f MB "
                "(%.2fx) (target <= 2x)\n",
                paths / 1e6, static_cast<double>(after.privateBytes - before.privateBytes) / 1e6,
                static_cast<double>(after.privateBytes - before.privateBytes) / paths,
                static_cast<double>(after.workingSet - before.workingSet) / 1e6,
                static_cast<double>(after.workingSet - before.workingSet) / paths);

    // The Delete key on the selected middle row, through the list's own
    // notification, as a user would press it.
    const int middle = static_cast<int>(rows / 2);
    ListView_SetItemState(list, middle, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, middle, FALSE);
    UpdateWindow(list);
    const double deleting = millisecondsFor([&] {
        SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
        UpdateWindow(list);
    });
    std::printf("  delete the middle row %.2f ms (%zu rows left)\n", deleting, app.queue().count());

    const double scrolling = millisecondsFor([&] {
        ListView_EnsureVisible(list, ListView_GetItemCount(list) - 1, FALSE);
        UpdateWindow(list);
    });
    std::printf("  scroll to the last row %.2f ms\n", scrolling);

    const double clearing = millisecondsFor([&] {
        app.command(CommandId::ClearList);
        UpdateWindow(list);
    });
    const test::MemorySample cleared = test::ownMemory();
    std::printf("  clear the list %.2f ms; private bytes then +%.1f MB over the start\n", clearing,
                static_cast<double>(cleared.privateBytes - before.privateBytes) / 1e6);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvane_queue_scale_bench TREE_FOLDER [ROWS [BATCH]]\n");
        return 2;
    }
    const std::wstring tree = argv[1];
    const std::size_t rows = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 1000000;
    const std::size_t batchSize = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 1000;

    InProcessQuorvane app;
    if (!app.ready()) {
        std::fprintf(stderr, "the main window could not be created\n");
        return 1;
    }
    app.chooseFolder(win32::toUtf8(tree));
    reportFolderWalk(app, tree);
    std::fflush(stdout);
    reportMillionRows(app, rows, batchSize);
    return 0;
}

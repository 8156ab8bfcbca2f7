// Prints the import run's figures against the stand-in Outlook, each measured
// side by side with a bare client in the same run:
//  1. time per file for N files with no open delay, Quorvane against the bare
//     client making the same COM calls;
//  2. processor time while the stand-in takes 3 s to open each file, Quorvane
//     against a bare client that polls without pausing.

#include "bare_client.h"

#include "support/driver.h"
#include "support/standin.h"
#include "support/test_files.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quorvane;
using namespace quorvane::test;
using Seconds = std::chrono::duration<double>;

namespace {

double processSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return value(kernel) + value(user);
}

std::vector<std::wstring> makeFiles(const std::wstring& name, int count) {
    const std::wstring folder = tempFolder(name);
    std::vector<std::wstring> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(folder + L"\\contact" + std::to_wstring(i) + L".vcf");
        writeFile(files.back(), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Someone\r\nEND:VCARD\r\n");
    }
    return files;
}

struct Figures {
    double wallSeconds;
    double cpuSeconds;
};

Figures runQuorvane(const std::vector<std::wstring>& files) {
    Quorvane app;
    app.appendRows(files);
    const win32::ScopedHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, app.processId()));
    const double cpuBefore = processSeconds(process.get());
    const auto start = std::chrono::steady_clock::now();
    app.command(CommandId::Start);
    const auto boxes = app.answerBoxesUntil(L"Done.", std::chrono::minutes(20));
    const Figures figures{Seconds(std::chrono::steady_clock::now() - start).count(),
                          processSeconds(process.get()) - cpuBefore};
    if (boxes.size() != 1)
        std::printf("  (Quorvane showed %zu boxes; expected only \"Done.\")\n", boxes.size());
    return figures;
}

Figures runBare(const std::vector<std::wstring>& files, bench::WaitStyle wait) {
    const double cpuBefore = processSeconds(GetCurrentProcess());
    const auto start = std::chrono::steady_clock::now();
    int failed = 0;
    for (const std::wstring& file : files)
        failed += bench::importOneBare(file, wait) ? 0 : 1;
    if (failed)
        std::printf("  (the bare client failed %d files)\n", failed);
    return {Seconds(std::chrono::steady_clock::now() - start).count(),
            processSeconds(GetCurrentProcess()) - cpuBefore};
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int fileCount = argc > 1 ? _wtoi(argv[1]) : 200;
    const int slowFiles = argc > 2 ? _wtoi(argv[2]) : 5;
    const win32::ComApartment apartment;
    const std::wstring work = tempFolder(L"bench");
    const std::wstring log = work + L"\\standin.log";
    const std::wstring saved = work + L"\\saved.txt";

    resetStandIn(log, saved);
    setStandIn(L"IdleExitMs", 10000);
    const auto files = makeFiles(L"bench-files", fileCount);
    // Warm the stand-in up so neither side pays for its first start.
    runBare({files.front()}, bench::WaitStyle::SleepOnMessages);

    // Two rounds, alternating, so that neither side gets the quieter half of a
    // shared machine.
    double bareSeconds = 0, quorvaneSeconds = 0;
    for (int round = 0; round < 2; ++round) {
        bareSeconds += runBare(files, bench::WaitStyle::SleepOnMessages).wallSeconds;
        quorvaneSeconds += runQuorvane(files).wallSeconds;
    }
    const int imported = 2 * fileCount;
    std::printf("Import of %d files, no open delay (two alternating rounds each):\n", fileCount);
    std::printf("  bare client: %.1f ms per file\n", bareSeconds * 1000 / imported);
    std::printf("  Quorvane:    %.1f ms per file\n", quorvaneSeconds * 1000 / imported);
    std::printf("  ratio Quorvane / bare: %.2f\n", quorvaneSeconds / bareSeconds);

    setStandIn(L"OpenDelayMs", 3000);
    const auto slow = makeFiles(L"bench-slow", slowFiles);
    const Figures slowQuorvane = runQuorvane(slow);
    const Figures busyBare = runBare(slow, bench::WaitStyle::BusyPoll);
    std::printf("Import of %d files, each opened after 3 s:\n", slowFiles);
    std::printf("  Quorvane:            %.2f%% of a core (%.2f s CPU in %.1f s)\n",
                100 * slowQuorvane.cpuSeconds / slowQuorvane.wallSeconds, slowQuorvane.cpuSeconds,
                slowQuorvane.wallSeconds);
    std::printf("  busy-polling client: %.2f%% of a core (%.2f s CPU in %.1f s)\n",
                100 * busyBare.cpuSeconds / busyBare.wallSeconds, busyBare.cpuSeconds,
                busyBare.wallSeconds);
    return 0;
}

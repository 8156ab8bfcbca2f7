// Prints the import runs' figures against the stand-in Outlook, each measured
// side by side in the same run:
//  1. time per file for N files with no open delay, Quorvane through item
//     windows against the bare client making the same COM calls;
//  2. time per contact for M contacts imported without windows, Quorvane
//     against a bare client making the same session calls, and against its
//     own run through item windows from 1; Quorvane's processor time while it
//     imports them and its memory before and after;
//  3. processor time while the stand-in takes 3 s to open each file, Quorvane
//     against a bare client that polls without pausing;
//  4. time to read a folder of K contacts (its table, in blocks), Quorvane's
//     session against a bare client making the same calls.

#include "bare_client.h"

#include "support/driver.h"
#include "support/process_probe.h"
#include "support/standin.h"
#include "support/test_files.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/outlook_session_com.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
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
    MemorySample memoryQueued{}; // Quorvane's, with the queue filled
    MemorySample memoryAfter{};  // and once "Done." shows
};

double mebibytes(std::int64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

Figures runQuorvane(const std::vector<std::wstring>& files, CommandId command = CommandId::Start) {
    Quorvane app;
    app.appendRows(files);
    const win32::ScopedHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, app.processId()));
    Figures figures{};
    figures.memoryQueued = memoryOf(app.processId());
    const double cpuBefore = processSeconds(process.get());
    const auto start = std::chrono::steady_clock::now();
    app.command(command);
    const auto done = app.answerBoxesUntil(
        [&](const Box& box) {
            if (box.text != L"Done.")
                return false;
            // Read while the box is up: the run is over, the window not yet closed.
            figures.wallSeconds = Seconds(std::chrono::steady_clock::now() - start).count();
            figures.cpuSeconds = processSeconds(process.get()) - cpuBefore;
            figures.memoryAfter = memoryOf(app.processId());
            return true;
        },
        std::chrono::minutes(30));
    if (done.size() != 1)
        std::printf("  (Quorvane showed %zu boxes; expected only \"Done.\")\n", done.size());
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

Figures runBareWithoutWindows(const std::vector<std::wstring>& files) {
    const double cpuBefore = processSeconds(GetCurrentProcess());
    const auto start = std::chrono::steady_clock::now();
    if (const int failed = bench::importAllBareWithoutWindows(files))
        std::printf("  (the bare client failed %d contacts)\n", failed);
    return {Seconds(std::chrono::steady_clock::now() - start).count(),
            processSeconds(GetCurrentProcess()) - cpuBefore};
}

// Contacts folder holding `count` contacts with names, addresses and numbers,
// then Quorvane's table read against the bare client's, alternating.
void benchFolderRead(const std::wstring& work, int count) {
    const std::wstring cards = work + L"\\preload.vcf";
    std::ostringstream out;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        out << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " << n << "\r\nEMAIL:c" << n
            << "@example.com\r\nEMAIL:c" << n << "@example.org\r\nTEL;TYPE=WORK:+1 555 " << n
            << "\r\nTEL;TYPE=CELL:+1 556 " << n << "\r\nEND:VCARD\r\n";
    }
    writeFile(cards, out.str());
    setStandIn(L"PreloadFile", cards);
    win32::ComOutlookAutomation outlook;
    SessionOutcome reached = outlook.createSession();
    auto folder = reached.session ? reached.session.value()->defaultContactsFolder()
                                  : Outcome<std::unique_ptr<OutlookFolder>>(Failure{});
    if (!folder) {
        std::printf("Reading a folder: no Contacts folder (%s)\n",
                    folder.failure().description.c_str());
        return;
    }
    IDispatch* const raw = dynamic_cast<win32::ComOutlookFolder&>(*folder.value()).get();
    // Warm both up: the stand-in loads its cards at the first call.
    if (const auto warm = folder.value()->readContacts(); !warm) {
        std::printf("Reading a folder: %s\n", warm.failure().description.c_str());
        return;
    }
    bench::readContactsBare(raw);
    double bareSeconds = 0, quorvaneSeconds = 0;
    std::ptrdiff_t bareRows = 0;
    std::size_t quorvaneRows = 0;
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        bareRows = bench::readContactsBare(raw);
        bareSeconds += Seconds(std::chrono::steady_clock::now() - start).count();
        start = std::chrono::steady_clock::now();
        const auto rows = folder.value()->readContacts();
        quorvaneSeconds += Seconds(std::chrono::steady_clock::now() - start).count();
        quorvaneRows = rows ? rows.value().size() : 0;
    }
    std::printf("Reading a folder of %d contacts (three alternating rounds each):\n", count);
    std::printf("  bare client: %.1f ms per folder (%td rows)\n", bareSeconds * 1000 / 3, bareRows);
    std::printf("  Quorvane:    %.1f ms per folder (%zu rows)\n", quorvaneSeconds * 1000 / 3,
                quorvaneRows);
    std::printf("  ratio Quorvane / bare: %.2f (target at most 1.1)\n",
                quorvaneSeconds / bareSeconds);
    std::fflush(stdout);
    clearStandIn(L"PreloadFile");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int fileCount = argc > 1 ? _wtoi(argv[1]) : 200;
    const int slowFiles = argc > 2 ? _wtoi(argv[2]) : 5;
    const int contactCount = argc > 3 ? _wtoi(argv[3]) : 2000;
    const int folderContacts = argc > 4 ? _wtoi(argv[4]) : 10000;
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
    std::fflush(stdout);
    const double windowedPerContact = quorvaneSeconds / imported;

    // The same kind of file, many more of them: without windows a contact
    // costs a few COM calls, so it takes more contacts to time it.
    const auto contacts = makeFiles(L"bench-contacts", contactCount);
    double bareWithoutWindows = 0, quorvaneWithoutWindows = 0, quorvaneCpu = 0;
    Figures last{};
    for (int round = 0; round < 2; ++round) {
        bareWithoutWindows += runBareWithoutWindows(contacts).wallSeconds;
        last = runQuorvane(contacts, CommandId::ImportWithoutWindows);
        quorvaneWithoutWindows += last.wallSeconds;
        quorvaneCpu += last.cpuSeconds;
    }
    const int stored = 2 * contactCount;
    const double windowlessPerContact = quorvaneWithoutWindows / stored;
    std::printf("Import of %d contacts without windows (two alternating rounds each):\n",
                contactCount);
    std::printf("  bare client: %.2f ms per contact\n", bareWithoutWindows * 1000 / stored);
    std::printf("  Quorvane:    %.2f ms per contact\n", windowlessPerContact * 1000);
    std::printf("  ratio Quorvane / bare: %.2f (target at most 1.2)\n",
                quorvaneWithoutWindows / bareWithoutWindows);
    std::printf("  ratio without windows / with item windows, per contact: %.3f "
                "(1/%.0f; target at most 1/10)\n",
                windowlessPerContact / windowedPerContact,
                windowedPerContact / windowlessPerContact);
    std::printf("  Quorvane's processor time while importing: %.2f ms per contact, %.0f%% of a "
                "core\n",
                quorvaneCpu * 1000 / stored, 100 * quorvaneCpu / quorvaneWithoutWindows);
    const bool privateBytes = last.memoryQueued.privateBytes > 0;
    std::printf("  Quorvane's memory (%s): %.1f MiB with %d queued, %.1f MiB after importing "
                "them (%+.1f MiB)\n",
                privateBytes ? "private bytes" : "working set",
                mebibytes(last.memoryQueued.measure()), contactCount,
                mebibytes(last.memoryAfter.measure()),
                mebibytes(last.memoryAfter.measure() - last.memoryQueued.measure()));
    std::fflush(stdout);

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
    std::fflush(stdout);

    clearStandIn(L"OpenDelayMs");
    benchFolderRead(work, folderContacts);
    return 0;
}

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
//     session against a bare client making the same calls;
//  5. a second run without windows over D contacts it stored already,
//     against its first run over as many new ones, and Undo Last Import of D
//     contacts against a bare client finding and deleting the same number.
// Every run without windows imports contacts nobody stored before, so that
// the duplicate check skips only where a section means it to.

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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
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

// One card a file, each a person of its own: `name` and the number.
std::vector<std::wstring> makeFiles(const std::wstring& name, int count) {
    const std::wstring folder = tempFolder(name);
    const std::string person(name.begin(), name.end());
    std::vector<std::wstring> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(folder + L"\\contact" + std::to_wstring(i) + L".vcf");
        const std::string n = std::to_string(i);
        writeFile(files.back(), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + person + " " + n +
                                    "\r\nEMAIL:" + person + n + "@example.com\r\nEND:VCARD\r\n");
    }
    return files;
}

// The closing box of a run without windows says more after "Done.".
bool isDone(const Box& box) {
    return box.text == L"Done." || box.text.starts_with(L"Done.\r\n");
}

// Lines the stand-in logged from `from` (a byte offset) on, how many of them
// opened a contact, and the time from each contact's last call to the next
// contact's OpenSharedItem (the stand-in stamps each line; see LogTimes),
// which is the client's own work between two contacts plus the calls' transit.
struct LogTail {
    std::size_t lines = 0;
    std::size_t opens = 0;
    double gapMicros = 0;
    std::size_t gaps = 0;

    double meanGapMs() const { return gaps ? gapMicros / 1000 / static_cast<double>(gaps) : 0; }
};

std::uintmax_t logSize(const std::wstring& log) {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(log, ignored);
    return ignored ? 0 : size;
}

LogTail logSince(const std::wstring& log, std::uintmax_t from) {
    std::ifstream in(std::filesystem::path(log), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    LogTail tail;
    long long previous = -1;
    for (std::string line; std::getline(in, line);) {
        ++tail.lines;
        const auto stamp = line.rfind("\t@");
        const long long at = stamp == std::string::npos ? -1 : std::atoll(line.c_str() + stamp + 2);
        if (line.starts_with("OpenSharedItem ")) {
            // The first contact's gap holds the run's preparations.
            if (tail.opens++ > 0 && previous >= 0 && at >= 0) {
                tail.gapMicros += static_cast<double>(at - previous);
                ++tail.gaps;
            }
        }
        previous = at;
    }
    return tail;
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
            if (!isDone(box))
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
    const auto ids = bench::importAllBareWithoutWindows(files);
    if (const auto failed = std::count(ids.begin(), ids.end(), std::wstring()))
        std::printf("  (the bare client failed %td contacts)\n", failed);
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

// Undo Last Import, from the command to its closing box, with its question
// answered Yes; the clock starts at the answer. Zero when a box other than
// the question and "Done." showed.
double undoQuorvane() {
    Quorvane app;
    app.command(CommandId::UndoLastImport);
    const auto question = waitForBox(app.processId(), std::chrono::seconds(60));
    if (!question) {
        std::printf("  (Undo Last Import asked nothing)\n");
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    pressButton(*question, IDYES);
    double seconds = 0;
    const auto boxes = app.answerBoxesUntil(
        [&](const Box& box) {
            seconds = Seconds(std::chrono::steady_clock::now() - start).count();
            return isDone(box);
        },
        std::chrono::minutes(30));
    if (boxes.size() != 1 || !isDone(boxes.front())) {
        std::printf("  (the undo showed %zu boxes; the first: %ls)\n", boxes.size(),
                    boxes.empty() ? L"none" : boxes.front().text.c_str());
        return 0;
    }
    return seconds;
}

// A run over contacts the folder holds already costs no Outlook call per
// contact: against the first run over as many new ones. Then Undo Last
// Import against a bare client's GetItemFromID and Delete, per contact; the
// bare client deletes half its items with the change-time read Undo makes
// as well, to show what that read costs.
void benchDuplicatesAndUndo(const std::wstring& log, int count) {
    const auto known = makeFiles(L"bench-known", count);
    double firstRuns = runQuorvane(known, CommandId::ImportWithoutWindows).wallSeconds;
    double secondRuns = 0, quorvaneUndo = 0, bareUndo = 0, bareUndoReading = 0;
    std::size_t secondRunLines = 0, secondRunOpens = 0;
    std::size_t bareDeleted = 0, bareDeletedReading = 0;
    for (int round = 0; round < 2; ++round) {
        const std::uintmax_t before = logSize(log);
        secondRuns += runQuorvane(known, CommandId::ImportWithoutWindows).wallSeconds;
        const LogTail tail = logSince(log, before);
        secondRunLines += tail.lines;
        secondRunOpens += tail.opens;

        const std::wstring tag = std::to_wstring(round);
        const auto ids =
            bench::importAllBareWithoutWindows(makeFiles(L"bench-bare-undo" + tag, count));
        const std::vector<std::wstring> plain(ids.begin(), ids.begin() + count / 2);
        const std::vector<std::wstring> reading(ids.begin() + count / 2, ids.end());
        auto start = std::chrono::steady_clock::now();
        if (const int failed = bench::deleteAllBare(plain, false))
            std::printf("  (the bare client failed to delete %d contacts)\n", failed);
        bareUndo += Seconds(std::chrono::steady_clock::now() - start).count();
        start = std::chrono::steady_clock::now();
        if (const int failed = bench::deleteAllBare(reading, true))
            std::printf("  (the bare client failed to delete %d contacts)\n", failed);
        bareUndoReading += Seconds(std::chrono::steady_clock::now() - start).count();
        bareDeleted += plain.size();
        bareDeletedReading += reading.size();

        firstRuns +=
            runQuorvane(makeFiles(L"bench-undone" + tag, count), CommandId::ImportWithoutWindows)
                .wallSeconds;
        quorvaneUndo += undoQuorvane();
    }
    const double firstPerContact = firstRuns / (3.0 * count);
    const double secondPerContact = secondRuns / (2.0 * count);
    std::printf("Importing %d contacts again, all of them in Contacts already (two rounds; "
                "three first runs over new contacts):\n",
                count);
    std::printf("  first run:  %.3f ms per contact\n", firstPerContact * 1000);
    std::printf("  second run: %.3f ms per contact, %zu stand-in log lines per run, %zu "
                "OpenSharedItem\n",
                secondPerContact * 1000, secondRunLines / 2, secondRunOpens);
    std::printf("  ratio second / first: %.3f (1/%.0f; target at most 1/10)\n",
                secondPerContact / firstPerContact, firstPerContact / secondPerContact);
    const double quorvanePerContact = quorvaneUndo / (2.0 * count);
    const double barePerContact = bareUndo / static_cast<double>(bareDeleted);
    std::printf("Undo Last Import of %d contacts (two alternating rounds):\n", count);
    std::printf("  bare client, GetItemFromID + Delete: %.3f ms per contact\n",
                barePerContact * 1000);
    std::printf("  bare client, with LastModificationTime too: %.3f ms per contact\n",
                bareUndoReading * 1000 / static_cast<double>(bareDeletedReading));
    const double bareReadingPerContact = bareUndoReading / static_cast<double>(bareDeletedReading);
    std::printf("  Quorvane:    %.3f ms per contact\n", quorvanePerContact * 1000);
    std::printf("  ratio Quorvane / bare GetItemFromID + Delete: %.2f\n",
                quorvanePerContact / barePerContact);
    // A sound undo reads each contact's own change time right before its
    // delete: these are the calls it must make.
    std::printf("  ratio Quorvane / bare GetItemFromID + LastModificationTime + Delete: %.2f "
                "(target at most 1.1)\n",
                quorvanePerContact / bareReadingPerContact);
    std::fflush(stdout);
}

// One card of a phone export of many: most are kept whole by Outlook (typed
// phones, up to three e-mails), and every tenth or so has something Outlook
// drops (a second untyped phone, a fourth e-mail, a birthday without a year,
// a social profile), as a real export of a thousand contacts does.
std::string phoneCard(int number, bool keptWhole = false) {
    const std::string n = std::to_string(number);
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Phone;Person " + n + ";;;\r\nFN:Person " +
                       n + " Phone\r\nTEL;TYPE=CELL:+1 555 1" + n + "\r\nEMAIL;TYPE=INTERNET:p" +
                       n + "@example.com\r\n";
    switch (keptWhole ? 0 : number % 20) {
    case 14:
    case 15:
        card += "TEL:+1 555 2" + n + "\r\nTEL:+1 555 3" + n + "\r\n";
        break;
    case 16:
        for (int more = 2; more <= 4; ++more)
            card += "EMAIL;TYPE=INTERNET:p" + n + "." + std::to_string(more) + "@example.com\r\n";
        break;
    case 17:
        card += "BDAY:--0415\r\n";
        break;
    case 18:
        card += "X-SOCIALPROFILE;type=twitter:https://twitter.com/p" + n + "\r\n";
        break;
    default:
        break;
    }
    return card + "END:VCARD\r\n";
}

// What carrying the rest of each card costs Outlook: the calls the run makes
// on a contact besides opening, storing and identifying it, from the
// stand-in's log, per contact and over the contacts that have any.
void benchPhoneExport(const std::wstring& work, const std::wstring& log, int count) {
    // The same export with every card kept whole first: its gap between two
    // contacts is the run's own work without any carrying, for comparison.
    const auto exportOf = [&](const std::wstring& name, int first, bool keptWhole) {
        std::string text;
        for (int number = first; number < first + count; ++number)
            text += phoneCard(number, keptWhole);
        const std::wstring path = work + L"\\" + name + L".vcf";
        writeFile(path, text);
        return path;
    };
    std::uintmax_t from = logSize(log);
    runQuorvane({exportOf(L"kept whole", 1000000, true)}, CommandId::ImportWithoutWindows);
    const double keptWholeGap = logSince(log, from).meanGapMs();
    const std::wstring path = exportOf(L"phone export", 1, false);
    from = logSize(log);
    const Figures run = runQuorvane({path}, CommandId::ImportWithoutWindows);
    const LogTail tail = logSince(log, from);

    std::ifstream in(std::filesystem::path(log), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::map<std::string, std::size_t> extraCalls; // by the card file Outlook read
    std::size_t opened = 0;
    for (std::string line; std::getline(in, line);) {
        line = line.substr(0, line.rfind("\t@"));
        const auto drive = line.find(":\\");
        if (drive == std::string::npos || drive == 0)
            continue;
        const std::string card = line.substr(drive - 1);
        opened += line.starts_with("OpenSharedItem ");
        const bool ownRead =
            line.starts_with("get EntryID") || line.starts_with("get LastModificationTime");
        if ((line.starts_with("get ") && !ownRead) || line.starts_with("put ") ||
            line.starts_with("AddPicture"))
            ++extraCalls[card];
    }
    std::size_t calls = 0;
    for (const auto& [card, made] : extraCalls)
        calls += made;
    std::printf("A phone export of %d contacts imported without windows (%.1f s):\n", count,
                run.wallSeconds);
    std::printf(
        "  extra Outlook calls to carry what Outlook drops: %.2f per contact; %.1f%% of "
        "contacts have any, %.1f calls each on average\n",
        opened ? static_cast<double>(calls) / static_cast<double>(opened) : 0.0,
        opened ? 100.0 * static_cast<double>(extraCalls.size()) / static_cast<double>(opened) : 0.0,
        extraCalls.empty() ? 0.0
                           : static_cast<double>(calls) / static_cast<double>(extraCalls.size()));
    std::printf("  gap from one contact's last call to the next contact's OpenSharedItem: "
                "%.3f ms, against %.3f ms for as many cards Outlook keeps whole: carrying adds "
                "%.3f ms of Quorvane's own work per contact (target for all of it at most 1 ms; "
                "the gap holds writing each card's file and the calls' transit too)\n",
                tail.meanGapMs(), keptWholeGap, tail.meanGapMs() - keptWholeGap);
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // "phone N": only the phone export's carrying, for a quick figure.
    if (argc > 1 && std::wstring(argv[1]) == L"phone") {
        const win32::ComApartment apartment;
        const std::wstring work = tempFolder(L"bench");
        const std::wstring log = work + L"\\standin.log";
        resetStandIn(log, work + L"\\saved.txt");
        setStandIn(L"IdleExitMs", 10000);
        setStandIn(L"LogTimes", 1);
        benchPhoneExport(work, log, argc > 2 ? _wtoi(argv[2]) : 1000);
        return 0;
    }
    const int fileCount = argc > 1 ? _wtoi(argv[1]) : 200;
    const int slowFiles = argc > 2 ? _wtoi(argv[2]) : 5;
    const int contactCount = argc > 3 ? _wtoi(argv[3]) : 2000;
    const int folderContacts = argc > 4 ? _wtoi(argv[4]) : 10000;
    const int duplicateContacts = argc > 5 ? _wtoi(argv[5]) : 1000;
    const win32::ComApartment apartment;
    const std::wstring work = tempFolder(L"bench");
    const std::wstring log = work + L"\\standin.log";
    const std::wstring saved = work + L"\\saved.txt";

    resetStandIn(log, saved);
    setStandIn(L"IdleExitMs", 10000);
    setStandIn(L"LogTimes", 1);
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
    double bareWithoutWindows = 0, bareCpu = 0, quorvaneWithoutWindows = 0, quorvaneCpu = 0;
    LogTail bareGaps, quorvaneGaps;
    const auto addGaps = [&log](LogTail& sum, std::uintmax_t from) {
        const LogTail tail = logSince(log, from);
        sum.gapMicros += tail.gapMicros;
        sum.gaps += tail.gaps;
    };
    Figures last{};
    for (int round = 0; round < 2; ++round) {
        const std::wstring tag = std::to_wstring(round);
        const auto bareFiles = makeFiles(L"bench-bare" + tag, contactCount);
        const auto quorvaneFiles = makeFiles(L"bench-quorvane" + tag, contactCount);
        std::uintmax_t from = logSize(log);
        const Figures bare = runBareWithoutWindows(bareFiles);
        addGaps(bareGaps, from);
        bareWithoutWindows += bare.wallSeconds;
        bareCpu += bare.cpuSeconds;
        from = logSize(log);
        last = runQuorvane(quorvaneFiles, CommandId::ImportWithoutWindows);
        addGaps(quorvaneGaps, from);
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
    // What Quorvane does between its Outlook calls (reading and splitting the
    // next file, the duplicate check, progress, the record, yielding to the
    // window): the stand-in's clock from one contact's last call to the next
    // contact's OpenSharedItem, less the bare client's same gap, which is the
    // calls' transit alone. The whole runs' difference is printed beside it;
    // it carries the stand-in's own time per call, and its noise.
    std::printf("  Quorvane's own work between two contacts: %.3f ms per contact (gap %.3f ms "
                "against the bare client's %.3f ms; target at most 1 ms)\n",
                quorvaneGaps.meanGapMs() - bareGaps.meanGapMs(), quorvaneGaps.meanGapMs(),
                bareGaps.meanGapMs());
    std::printf("  whole runs, (Quorvane - bare) / contacts: %.3f ms elapsed, %.3f ms "
                "processor time\n",
                (quorvaneWithoutWindows - bareWithoutWindows) * 1000 / stored,
                (quorvaneCpu - bareCpu) * 1000 / stored);
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
    benchDuplicatesAndUndo(log, duplicateContacts);
    resetStandIn(log, work + L"\\saved phone.txt");
    setStandIn(L"IdleExitMs", 10000);
    setStandIn(L"LogTimes", 1);
    benchPhoneExport(work, log, 1000);
    return 0;
}

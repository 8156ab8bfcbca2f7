// quorvane_soak.exe COUNT SEED [FAULT_PERCENT] [OPEN_WAIT_MS] [METHOD] [ROUNDS]
//
// A long run of the real quorvane.exe against a stand-in Outlook that
// misbehaves at random (but replayably, from SEED): drops a folder of COUNT
// contacts on the list, starts the import, answers every box with OK as a
// person would, closes stray item windows when told one is already open, and
// at the end prints whether every promise held. Exits 1 when one did not. The
// drag source (quorvane_drag_source.exe) must stand beside this program.
//
// METHOD is how the queue is imported: "windowed" (Start Importing, an item
// window per contact; the default), "windowless" (Import Without Windows,
// into the default Contacts folder) or "windowless-folder" (Import Without
// Windows Into Folder..., into a contacts folder picked in the chooser). The
// ways without windows add their own promise: no item window, no launch.
//
// ROUNDS (default 1) imports the whole queue that many times over, into the
// same mailbox: whatever Outlook holds already must not be stored again, so
// every contact is still stored exactly once. The stand-in keeps its mailbox
// in a file, so that an Outlook restarted halfway still holds it.

#include "contact_files.h"
#include "contact_ledger.h"
#include "run_ledger.h"

#include "support/child_process.h"
#include "support/drag_onto_list.h"
#include "support/driver.h"
#include "support/message_pump.h"
#include "support/process_probe.h"
#include "support/standin.h"
#include "support/test_files.h"

#include "platform/win32/wide_text.h"

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

constexpr auto NoProgressLimit = 180s;
constexpr auto UnresponsiveLimit = 1000ms;
constexpr std::int64_t MemoryGrowthLimit = 8 * 1024 * 1024;

enum class Method { Windowed, Windowless, WindowlessIntoFolder };

struct MethodName {
    Method method;
    const char* name;
    CommandId command;
    const wchar_t* request; // the stand-in's log line that starts one contact
};
constexpr MethodName Methods[] = {
    {Method::Windowed, "windowed", CommandId::Start, L"launch "},
    {Method::Windowless, "windowless", CommandId::ImportWithoutWindows, L"OpenSharedItem "},
    {Method::WindowlessIntoFolder, "windowless-folder", CommandId::ImportWithoutWindowsIntoFolder,
     L"OpenSharedItem "},
};

// The folder the chooser answers with for windowless-folder.
constexpr wchar_t ChosenFolder[] = L"Contacts\\Soak";

struct Settings {
    std::size_t count = 10000;
    unsigned long seed = 1;
    unsigned long faultPercent = 5;
    unsigned long openWaitMs = 5000;
    MethodName method = Methods[0];
    unsigned long rounds = 1;
};

Settings readSettings(int argc, char** argv) {
    Settings settings;
    if (argc > 1)
        settings.count = std::strtoul(argv[1], nullptr, 10);
    if (argc > 2)
        settings.seed = std::strtoul(argv[2], nullptr, 10);
    if (argc > 3)
        settings.faultPercent = std::strtoul(argv[3], nullptr, 10);
    if (argc > 4)
        settings.openWaitMs = std::strtoul(argv[4], nullptr, 10);
    if (argc > 5) {
        const auto known =
            std::find_if(std::begin(Methods), std::end(Methods),
                         [&](const MethodName& m) { return m.name == std::string(argv[5]); });
        if (known == std::end(Methods))
            throw std::runtime_error(std::string("no such method: ") + argv[5] +
                                     " (windowed, windowless or windowless-folder)");
        settings.method = *known;
    }
    if (argc > 6)
        settings.rounds = std::max(1ul, std::strtoul(argv[6], nullptr, 10));
    return settings;
}

// One line of the soak's report: a box's line breaks become bars.
std::string utf8(const std::wstring& text) {
    std::string out = win32::toUtf8(text);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = '|';
    return out;
}

double mebibytes(std::int64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Private bytes when the run passes 10 % and 50 % and when "Done." shows.
struct MemoryTrail {
    MemorySample queued;
    std::array<MemorySample, 3> at{}; // 10 %, 50 %, 100 %
    std::array<double, 2> marks{10.0, 50.0};

    void progress(double percent, DWORD processId) {
        for (std::size_t i = 0; i < marks.size(); ++i)
            if (at[i].measure() == 0 && percent >= marks[i])
                at[i] = memoryOf(processId);
    }
};

// What the stand-in's log says of the run: the faults it drew, by kind, and
// how many requests (launches or OpenSharedItem calls) it took, and how many
// item windows it opened and launches it saw.
struct LogTally {
    std::map<std::string, std::size_t> faults;
    std::size_t requests = 0;
    std::size_t windowsOpened = 0;
    std::size_t launches = 0;
    std::size_t outlookStarts = 0;
};

LogTally tallyLog(const std::wstring& logFile, const wchar_t* request) {
    LogTally tally;
    auto& faults = tally.faults;
    for (const std::wstring& line : readLines(logFile)) {
        if (line.rfind(request, 0) == 0)
            ++tally.requests;
        if (line.rfind(L"open ", 0) == 0)
            ++tally.windowsOpened;
        if (line.rfind(L"launch ", 0) == 0)
            ++tally.launches;
        if (line == L"create Application")
            ++tally.outlookStarts;
        if (line.rfind(L"fault ", 0) != 0)
            continue;
        const auto end = line.find(L' ', 6);
        ++faults[utf8(line.substr(6, end - 6))];
    }
    return tally;
}

struct RunOutcome {
    bool doneSeen = false;
    bool stalled = false;
    bool exited = false;
    std::size_t strayWindowClosings = 0;
};

// Answers boxes until "Done.", keeping the ledger and the memory trail.
RunOutcome answerTheRun(Quorvane& app, soak::RunLedger& ledger, MemoryTrail& memory,
                        std::chrono::steady_clock::duration limit) {
    RunOutcome outcome;
    const auto started = std::chrono::steady_clock::now();
    auto lastChange = started;
    double lastValue = -1;
    double nextDecile = 10;
    while (std::chrono::steady_clock::now() - started < limit) {
        if (app.waitForExit(0ms)) {
            outcome.exited = true;
            return outcome;
        }
        const auto shown = findBox(app.processId());
        if (!shown) {
            const double value = app.progressValue();
            memory.progress(value, app.processId());
            if (value >= nextDecile) {
                const auto seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
                std::printf("soak: %.0f%% after %.0f s, %zu boxes so far\n", nextDecile,
                            seconds.count(), ledger.boxes());
                std::fflush(stdout);
                nextDecile += 10;
            }
            if (value != lastValue) {
                lastValue = value;
                lastChange = std::chrono::steady_clock::now();
            }
            if (std::chrono::steady_clock::now() - lastChange > NoProgressLimit) {
                outcome.stalled = true;
                return outcome;
            }
            pumpFor(30ms);
            continue;
        }
        lastChange = std::chrono::steady_clock::now();
        ledger.boxSeen(shown->box, app.progressText());
        // "Already open": a person closes the leftover item window and goes on.
        if (reportedStep(shown->box) == 118) {
            closeStandInItemWindows(10s);
            ++outcome.strayWindowClosings;
        }
        if (shown->box.text.substr(0, shown->box.text.find(L'\r')) == L"Done.") {
            memory.at[2] = memoryOf(app.processId());
            answerOk(*shown);
            outcome.doneSeen = true;
            return outcome;
        }
        answerOk(*shown);
    }
    outcome.stalled = true;
    return outcome;
}

// The newest record of a run, read whole; none when there is none.
std::vector<std::string> newestRunRecord() {
    PWSTR localAppData = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData)))
        return {};
    const std::filesystem::path runs = std::filesystem::path(localAppData) / L"Quorvane" / L"Runs";
    CoTaskMemFree(localAppData);
    std::filesystem::path newest;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(runs, error))
        if (newest.empty() || entry.last_write_time() > std::filesystem::last_write_time(newest))
            newest = entry.path();
    return newest.empty() ? std::vector<std::string>{} : readUtf8Lines(newest.wstring());
}

// Undo Last Import after the last round: which contacts it deleted, as the
// stand-in logged them, held against what the run's record says it stored
// and what the undo's own record says became of each.
struct UndoOutcome {
    bool doneSeen = false;
    std::size_t runStored = 0;       // contacts the last round's record calls saved
    std::size_t deleted = 0;         // Delete calls Outlook carried out
    std::size_t notStored = 0;       // deleted, yet not one the last round stored
    std::size_t twice = 0;           // deleted more than once
    std::size_t unaccounted = 0;     // stored by the round, yet not in the undo's record
    std::size_t recordDisagrees = 0; // "deleted" in the undo's record, and not deleted, or so
};

UndoOutcome undoLastRun(Quorvane& app, const std::wstring& logFile,
                        const std::vector<std::string>& runRecord) {
    UndoOutcome outcome;
    std::set<std::string> stored;
    for (std::size_t i = 1; i < runRecord.size(); ++i) {
        const auto fields = soak::csvFields(runRecord[i]);
        if (fields.size() > 6 && fields[3] == "saved")
            stored.insert(fields[6]);
    }
    outcome.runStored = stored.size();
    const std::size_t logLinesBefore = readLines(logFile).size();
    app.command(CommandId::UndoLastImport);
    const auto shown = waitForBox(app.processId(), 60s);
    if (!shown)
        return outcome;
    // A round that stored nobody leaves nothing to take back: one plain box.
    // Any other plain box (a wrong record chosen, say) fails the stage at
    // once instead of waiting for the whole soak's time.
    const bool asked = GetDlgItem(shown->handle, IDYES) != nullptr;
    pressButton(*shown, asked ? IDYES : IDOK);
    if (stored.empty() || !asked) {
        outcome.doneSeen = stored.empty() && !asked;
        return outcome;
    }
    // An undo takes a few dozen milliseconds a contact; half a second each
    // is ample and still ends a stuck undo well inside the soak's limit.
    const auto boxes = app.answerBoxesUntil(L"Done.", 60s + stored.size() * 500ms);
    outcome.doneSeen = !boxes.empty() && boxes.back().text.starts_with(L"Done.");

    std::map<std::string, std::size_t> deletions;
    const auto lines = readLines(logFile);
    for (std::size_t i = logLinesBefore; i < lines.size(); ++i)
        if (lines[i].starts_with(L"Delete "))
            ++deletions[utf8(lines[i].substr(7, lines[i].find(L' ', 7) - 7))];
    for (const auto& [id, times] : deletions) {
        outcome.deleted += times;
        outcome.notStored += stored.count(id) ? 0 : 1;
        outcome.twice += times > 1 ? 1 : 0;
    }
    std::set<std::string> accounted;
    for (const std::string& row : newestRunRecord()) {
        const auto fields = soak::csvFields(row);
        if (fields.size() <= 6 || !stored.count(fields[6]))
            continue;
        accounted.insert(fields[6]);
        outcome.recordDisagrees += (fields[3] == "deleted") != deletions.contains(fields[6]);
    }
    outcome.unaccounted = stored.size() - accounted.size();
    return outcome;
}

int soakRun(const Settings& settings) {
    std::printf("soak: %s, seed %lu, %zu files, fault chance %lu%% per kind, open wait %lu ms, "
                "%lu round(s)\n",
                settings.method.name, settings.seed, settings.count, settings.faultPercent,
                settings.openWaitMs, settings.rounds);
    std::fflush(stdout);

    const std::wstring root = tempFolder(L"soak");
    const std::wstring contacts = root + L"\\contacts";
    makeFolders(contacts);
    const std::wstring logFile = root + L"\\standin.log";
    const std::wstring savedFile = root + L"\\saved.txt";

    resetStandIn(logFile, savedFile);
    settleStandIn();
    setStandIn(L"FaultSeed", settings.seed);
    setStandIn(L"FaultPercent", settings.faultPercent);
    setStandIn(L"StoreFile", root + L"\\mailbox.txt");
    const bool windowless = settings.method.method != Method::Windowed;
    if (settings.method.method == Method::WindowlessIntoFolder)
        setStandIn(L"PickFolder", std::wstring(ChosenFolder));
    const soak::ContactFiles files = soak::writeContactFiles(contacts, settings.count);
    std::printf(
        "soak: wrote %zu files (%zu with names outside the ANSI code page, %zu with "
        "paths over 260 characters, longest %zu)\n",
        files.paths.size(), files.unicodeNames, files.longPaths,
        std::max_element(files.paths.begin(), files.paths.end(), [](const auto& a, const auto& b) {
            return a.size() < b.size();
        })->size());
    std::fflush(stdout);

    SetEnvironmentVariableW(L"QUORVANE_TEST_OPEN_WAIT_MS",
                            std::to_wstring(settings.openWaitMs).c_str());
    Quorvane app;
    SetEnvironmentVariableW(L"QUORVANE_TEST_OPEN_WAIT_MS", nullptr);
    // The files reach the queue as a person's would: the folder is dragged
    // onto the list, and the search below it queues every file.
    const auto queueingStarted = std::chrono::steady_clock::now();
    const DragOutcome drop =
        dragOntoList(app.window(), root + L"\\drag-result.txt", L"files " + quoted(contacts));
    if (!drop.problem.empty() || drop.result != L"DROP")
        throw std::runtime_error("the folder could not be dropped on the list: " +
                                 utf8(drop.problem.empty() ? drop.result : drop.problem));
    // The list shows rows a moment after the queue takes them.
    waitUntil([&] { return static_cast<std::size_t>(app.rowCount()) == settings.count; }, 120s);
    std::printf(
        "soak: the dropped folder queued %d rows in %.1f s\n", app.rowCount(),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - queueingStarted).count());
    std::fflush(stdout);
    const auto queuedRows = static_cast<std::size_t>(app.rowCount());
    MemoryTrail memory;
    memory.queued = memoryOf(app.processId());

    // Files with one contact are followed file by file, as they always were;
    // the contacts of every file, split or not, are counted by name below.
    std::vector<std::wstring> singleContactFiles;
    for (const std::wstring& path : files.paths)
        if (std::find(files.multiContactPaths.begin(), files.multiContactPaths.end(), path) ==
            files.multiContactPaths.end())
            singleContactFiles.push_back(path);
    soak::RunLedger ledger(singleContactFiles);
    const auto started = std::chrono::steady_clock::now();
    RunOutcome outcome;
    std::chrono::milliseconds longestWait{};
    std::vector<std::string> runRecord;
    std::optional<UndoOutcome> undo;
    {
        ResponsivenessProbe probe(app.window());
        for (unsigned long round = 1; round <= settings.rounds; ++round) {
            if (round > 1) {
                std::printf("soak: round %lu\n", round);
                std::fflush(stdout);
            }
            app.command(settings.method.command);
            outcome = answerTheRun(app, ledger, memory, 60s + settings.count * 15s);
            if (!outcome.doneSeen)
                break;
        }
        // The record of the last round is read before Undo Last Import adds
        // a newer one of its own; taking that round back must delete exactly
        // the contacts it stored.
        runRecord = newestRunRecord();
        if (windowless && outcome.doneSeen)
            undo = undoLastRun(app, logFile, runRecord);
        longestWait = probe.longestWait();
    }
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    const auto rowsAfter = outcome.exited ? 0 : static_cast<std::size_t>(app.rowCount());

    const std::vector<SavedContact> saved = savedContacts(savedFile);
    // Contacts split out of a file are saved from the run's own card files.
    std::vector<std::wstring> savedFiles;
    std::size_t elsewhere = 0; // stored outside the folder the method stores into
    const std::wstring folder = standInFolderPath(
        settings.method.method == Method::WindowlessIntoFolder ? ChosenFolder : L"Contacts");
    // A single contact whose text needed repair goes as a copy, "0001 " and
    // the file's own name, from the run's card folder: it counts for its file.
    std::unordered_map<std::wstring, std::wstring> singleByName;
    for (const std::wstring& path : files.paths)
        if (std::ranges::find(files.multiContactPaths, path) == files.multiContactPaths.end())
            singleByName.emplace(soak::fileNameOf(path), path);
    for (const SavedContact& contact : saved) {
        const std::wstring name = soak::fileNameOf(contact.path);
        const auto single =
            name.starts_with(L"0001 ") ? singleByName.find(name.substr(5)) : singleByName.end();
        if (contact.path.find(L"\\Quorvane-") == std::wstring::npos)
            savedFiles.push_back(contact.path);
        else if (single != singleByName.end())
            savedFiles.push_back(single->second);
        elsewhere += contact.folder == folder ? 0 : 1;
    }
    const auto verdict = ledger.settle(savedFiles);
    const auto contactVerdict = soak::settleContacts(files.contacts, saved, runRecord);
    const LogTally tally = tallyLog(logFile, settings.method.request);

    std::printf("soak: %.1f s for %zu files, %.1f ms per file, %zu %s, %zu boxes, Outlook "
                "started %zu times\n",
                elapsed.count(), settings.count,
                elapsed.count() * 1000.0 /
                    static_cast<double>(std::max<std::size_t>(1, settings.count)),
                tally.requests, windowless ? "OpenSharedItem calls" : "launches", ledger.boxes(),
                tally.outlookStarts);
    for (const auto& [kind, times] : tally.faults)
        std::printf("soak: fault %-6s drawn %zu times\n", kind.c_str(), times);
    for (const auto& [step, tally] : ledger.steps())
        std::printf("soak: step %d reported %zu times, e.g. \"%s\"\n", step, tally.reports,
                    utf8(tally.example).c_str());
    std::printf("soak: saved once %zu, reported and not saved %zu, saved and also reported %zu\n",
                verdict.savedOnce, verdict.reportedNotSaved, verdict.reportedAndSaved);
    std::printf("soak: stray item windows closed after \"already open\": %zu times\n",
                outcome.strayWindowClosings);
    for (const auto& [name, figure] : {std::pair{"private bytes", &MemorySample::privateBytes},
                                       std::pair{"working set", &MemorySample::workingSet}})
        std::printf("soak: memory (%s) queued %.1f MiB, 10%% %.1f MiB, 50%% %.1f MiB, "
                    "100%% %.1f MiB\n",
                    name, mebibytes(memory.queued.*figure), mebibytes(memory.at[0].*figure),
                    mebibytes(memory.at[1].*figure), mebibytes(memory.at[2].*figure));

    bool kept = true;
    const auto promise = [&kept](bool held, const std::string& text) {
        std::printf("soak: %-4s %s\n", held ? "ok" : "FAIL", text.c_str());
        kept = kept && held;
    };
    // A count of what must never happen, and examples of it where there are any.
    const auto never = [&promise](std::size_t count, const std::string& what,
                                  const std::vector<std::wstring>& examples = {},
                                  const char* example = "") {
        promise(count == 0, std::to_string(count) + " " + what);
        for (const auto& one : examples)
            std::printf("soak:      %s: %s\n", example, utf8(one).c_str());
    };
    promise(queuedRows == settings.count, "all " + std::to_string(settings.count) +
                                              " rows queued (" + std::to_string(queuedRows) + ")");
    promise(!outcome.exited, "the program kept running");
    promise(!outcome.stalled, "the run kept moving");
    promise(outcome.doneSeen, "the run ended with \"Done.\"");
    never(verdict.lost, "files lost silently", verdict.lostExamples, "lost");
    never(verdict.savedTwiceOrMore, "contacts saved twice", verdict.twiceExamples, "twice");
    never(verdict.savedNotQueued, "saves of files never queued");
    std::printf("soak: %zu contacts in %zu files (%zu files of %zu contacts each): saved once "
                "%zu, reported in the record and not saved %zu\n",
                contactVerdict.contacts, files.paths.size(), files.multiContactPaths.size(),
                files.contacts.size() > files.paths.size() ? std::size_t{3} : std::size_t{1},
                contactVerdict.savedOnce, contactVerdict.reportedNotSaved);
    never(contactVerdict.lost, "contacts lost silently", contactVerdict.lostExamples, "lost");
    never(contactVerdict.savedTwiceOrMore, "contacts saved twice by name");
    never(contactVerdict.savedNotQueued, "saves of contacts never queued");
    promise(contactVerdict.recordLines == contactVerdict.contacts,
            "the record lists every contact (" + std::to_string(contactVerdict.recordLines) +
                " of " + std::to_string(contactVerdict.contacts) + ")");
    never(elsewhere, "contacts stored outside " + utf8(folder));
    if (windowless)
        promise(tally.windowsOpened == 0 && tally.launches == 0,
                std::to_string(tally.windowsOpened) + " item windows opened, " +
                    std::to_string(tally.launches) + " launches of outlook");
    if (undo) {
        std::printf("soak: undo of the last round: %zu stored by it, %zu deleted\n",
                    undo->runStored, undo->deleted);
        promise(undo->doneSeen, "the undo ended with \"Done.\"");
        promise(undo->notStored == 0 && undo->twice == 0,
                std::to_string(undo->notStored) + " contacts deleted that the round did not " +
                    "store, " + std::to_string(undo->twice) + " deleted twice");
        promise(undo->unaccounted == 0 && undo->recordDisagrees == 0,
                std::to_string(undo->unaccounted) + " stored contacts missing from the undo's " +
                    "record, " + std::to_string(undo->recordDisagrees) +
                    " whose \"deleted\" there is not what Outlook did");
    }
    promise(rowsAfter == settings.count,
            "the queue still holds every row (" + std::to_string(rowsAfter) + ")");
    promise(longestWait <= UnresponsiveLimit,
            "longest unanswered wait " + std::to_string(longestWait.count()) + " ms (limit " +
                std::to_string(UnresponsiveLimit.count()) + " ms)");
    const std::int64_t growth = memory.at[2].measure() - memory.at[0].measure();
    promise(memory.at[0].measure() > 0 && memory.at[2].measure() > 0 && growth <= MemoryGrowthLimit,
            std::string("memory (") +
                (memory.at[0].privateBytes > 0 ? "private bytes" : "working set") +
                ") from 10% to 100% grew by " + std::to_string(growth / 1024) + " KiB");
    std::printf("soak: %s (seed %lu)\n", kept ? "every promise held" : "a promise was broken",
                settings.seed);
    app.close();
    app.waitForExit(10s);
    settleStandIn();
    return kept ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return soakRun(readSettings(argc, argv));
    } catch (const std::exception& error) {
        std::printf("soak: FAIL %s\n", error.what());
        return 1;
    }
}

#pragma once
// In-memory stand-ins for the platform, recording what the logic asks of it.

#include "cards/memory_byte_source.h"
#include "fake_code_pages.h"
#include "fake_outlook_session.h"
#include "platform/clock.h"
#include "platform/code_pages.h"
#include "platform/file_dialogs.h"
#include "platform/main_window_services.h"
#include "platform/outlook_automation.h"
#include "platform/run_storage.h"
#include "platform/settings_store.h"
#include "platform/shell_launcher.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fake_contact_properties.h"

#include <map>

namespace quorvane::testing {

// A clock that only moves when the test (or a wait) moves it. Against it a
// wait whose bound is broken, or a poll that never sleeps, would run for
// ever; past any sane limit the clock ends the test at once instead, saying
// which of the two it saw. The folder search's thread reads it and, through
// a fake file system's entries, moves it, so every use takes a lock.
class ManualClock final : public Clock {
public:
    // Far past the longest wait the program knows (60 s for one file) times
    // the few files a test queues.
    static constexpr std::chrono::minutes MostTimePassed{10};
    // A poll loop that sleeps moves the time on; one that spins reads it over
    // and over while it stands still.
    static constexpr int MostReadsWhileStill = 10'000;

    TimePoint now() const override {
        const std::lock_guard lock(mutex_);
        if (++readsWhileStill_ > MostReadsWhileStill)
            overrun("the time was read " + std::to_string(MostReadsWhileStill) +
                    " times while it stood still: a wait polls without sleeping");
        return now_;
    }
    void advance(std::chrono::milliseconds by) {
        const std::lock_guard lock(mutex_);
        now_ += by;
        readsWhileStill_ = 0;
        if (now_ - TimePoint{} > MostTimePassed)
            overrun("more than 10 minutes passed: a wait has no working bound");
    }

    // Thrown past everything the program catches (it catches std::exception),
    // so the test ends here and fails.
    struct Overrun {
        std::string what;
    };

private:
    [[noreturn]] static void overrun(const std::string& what) {
        std::fprintf(stderr, "ManualClock: %s\n", what.c_str());
        std::fflush(stderr);
        throw Overrun{what};
    }

    mutable std::mutex mutex_;
    TimePoint now_{};
    mutable int readsWhileStill_ = 0;
};

struct Message {
    std::string text;
    MessageStyle style;
    std::optional<std::string> title;
};

// Records every call as a line of text, so tests can compare whole sequences.
class FakeWindow final : public MainWindowServices {
public:
    explicit FakeWindow(ManualClock* clock = nullptr) : clock_(clock) {}

    std::vector<std::string> calls;
    std::vector<Message> messages;
    std::vector<double> progressValues;
    std::vector<std::string> progressTexts;
    std::vector<SkinStyle> skinStyles;
    PointerKind currentPointer = PointerKind::Arrow;
    WindowState currentState = WindowState::Normal;
    TwipSize screen{19200, 14400};
    TwipRect bounds{0, 0, 9375, 9120};
    bool isClosing = false;
    int yields = 0;
    // Start-up parts that fail, with the system's reason.
    std::optional<Failure> commandBarFailure;
    std::optional<Failure> pictureFailure;
    std::optional<Failure> dropFailure;
    // Runs inside a yield or a wait, as nested events would.
    std::function<void()> onYield;
    std::function<void(const Message&)> onMessage;

    // An event from another thread (a test's stand-in for a click while the
    // folder search's thread works): it wakes a sleeping window and runs at
    // the next yield, on the window's thread, before onYield.
    void post(std::function<void()> event) {
        {
            const std::lock_guard lock(wake_->mutex);
            wake_->posted.push_back(std::move(event));
        }
        wake_->changed.notify_all();
    }

    void setPointer(PointerKind kind) override {
        currentPointer = kind;
        calls.push_back(kind == PointerKind::Hourglass ? "pointer hourglass" : "pointer arrow");
    }
    PointerKind pointer() const override { return currentPointer; }
    void setProgressText(std::string_view text) override {
        progressTexts.emplace_back(text);
        calls.push_back("text " + std::string(text));
    }
    void setProgressValue(double percent) override {
        progressValues.push_back(percent);
        calls.push_back("value " + std::to_string(percent));
    }
    void runEnded() override { calls.push_back("runEnded"); }
    // The answers to askYesNo, in turn; Yes when none is left.
    std::deque<bool> answers;
    std::vector<std::string> questions;
    bool askYesNo(std::string_view question) override {
        questions.emplace_back(question);
        calls.push_back("question " + std::string(question));
        if (onMessage)
            onMessage(Message{std::string(question), MessageStyle::Plain, std::nullopt});
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showMessage(std::string_view text, MessageStyle style,
                     std::optional<std::string_view> title) override {
        Message message{std::string(text), style,
                        title ? std::optional<std::string>(std::string(*title)) : std::nullopt};
        messages.push_back(message);
        calls.push_back("message " + std::string(text));
        if (onMessage)
            onMessage(message);
    }
    YieldResult yield() override {
        ++yields;
        for (;;) {
            std::function<void()> event;
            {
                const std::lock_guard lock(wake_->mutex);
                if (wake_->posted.empty())
                    break;
                event = std::move(wake_->posted.front());
                wake_->posted.pop_front();
            }
            event();
        }
        if (onYield)
            onYield();
        return isClosing ? YieldResult::WindowClosing : YieldResult::KeepGoing;
    }
    YieldResult waitForEvents(std::chrono::milliseconds timeout) override {
        if (clock_)
            clock_->advance(timeout);
        return yield();
    }
    // Nothing but the folder search's thread or a posted event ends the
    // sleep: one that never comes fails the test instead of hanging it.
    void sleepUntilEventOrWakeUp() override {
        if (isClosing)
            return;
        std::unique_lock lock(wake_->mutex);
        if (!wake_->changed.wait_for(lock, std::chrono::seconds(30),
                                     [&] { return wake_->woken || !wake_->posted.empty(); })) {
            std::fprintf(stderr, "FakeWindow: slept 30 s and nothing woke the window\n");
            throw ManualClock::Overrun{"nothing woke the window"};
        }
        wake_->woken = false;
    }
    void wakeUp() override {
        {
            const std::lock_guard lock(wake_->mutex);
            wake_->woken = true;
            ++wake_->wakeUps;
        }
        wake_->changed.notify_all();
    }
    // How often another thread has woken the window.
    int wakeUps() const {
        const std::lock_guard lock(wake_->mutex);
        return wake_->wakeUps;
    }
    bool closing() const override { return isClosing; }
    NativeWindow nativeHandle() const override { return NativeWindow{0x1234}; }

    void applySkin() override { calls.push_back("applySkin"); }
    void setBackgroundColour(Colour colour) override {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(colour));
        calls.push_back(std::string("background ") + text);
    }
    void applySkinStyle(const SkinStyle& style) override {
        skinStyles.push_back(style);
        calls.push_back("skinStyle");
    }
    TwipSize screenSize() const override { return screen; }
    TwipRect outerBounds() const override { return bounds; }
    void moveLeft(float left) override {
        bounds.left = left;
        calls.push_back("left " + std::to_string(left));
    }
    void moveTop(float top) override {
        bounds.top = top;
        calls.push_back("top " + std::to_string(top));
    }
    void setCaption(std::string_view caption) override {
        calls.push_back("caption " + std::string(caption));
    }
    void showApplicationIcon() override { calls.push_back("icon"); }
    void addQueueColumn(std::string_view header) override {
        calls.push_back("column " + std::string(header));
    }
    Outcome<CommandBarMade> createCommandBar() override {
        calls.push_back("commandBar");
        if (commandBarFailure)
            return *commandBarFailure;
        return CommandBarMade{pictureFailure};
    }
    Outcome<void> acceptDroppedFiles() override {
        calls.push_back("drops");
        if (dropFailure)
            return *dropFailure;
        return Success();
    }
    WindowState state() const override { return currentState; }

private:
    // Apart, so that a test can start afresh with window = FakeWindow{...}.
    struct Wake {
        std::mutex mutex;
        std::condition_variable changed;
        bool woken = false;
        int wakeUps = 0;
        std::deque<std::function<void()>> posted;
    };

    ManualClock* clock_;
    std::unique_ptr<Wake> wake_ = std::make_unique<Wake>();
};

// A scripted Outlook. Item windows open when the shell "launches" a file,
// after a delay measured in polls; every member can be told to fail.
class FakeOutlook final : public OutlookAutomation {
public:
    std::vector<std::string> log;
    std::vector<std::string> saved;
    std::vector<std::string> openWindows;             // the files shown by open item windows
    std::map<std::string, FakeContactState> contacts; // by the file shown
    std::set<std::string> failing; // members that fail: "create", "Inspectors", ...
    int liveReferences = 0;
    int pollsBeforeOpen = 0;  // Count reads that still see no window after a launch
    int windowsPerLaunch = 1; // 0 = never opens
    std::string pendingFile;
    int pendingPolls = -1;

    // The same Outlook reached without windows, through its session.
    FakeOutlookSession sessions;

    Outcome<std::unique_ptr<OutlookApplication>> createApplication() override;
    SessionOutcome createSession() override { return sessions.createSession(); }

    // Called by the fake shell.
    void opened(const std::string& file) {
        pendingFile = file;
        pendingPolls = pollsBeforeOpen;
        if (pendingPolls == 0)
            openPending();
    }
    void openPending() {
        for (int i = 0; i < windowsPerLaunch; ++i)
            openWindows.push_back(pendingFile);
        pendingPolls = -1;
    }
    bool fails(const std::string& member) {
        if (!failing.contains(member))
            return false;
        log.push_back("fail " + member);
        return true;
    }
    Failure failure(const std::string& member) { return Failure{member + " failed in Outlook."}; }
};

// The objects FakeOutlook hands out; each counts as one live reference.
class FakeReference {
public:
    explicit FakeReference(FakeOutlook& outlook) : outlook_(outlook) { ++outlook_.liveReferences; }
    ~FakeReference() { --outlook_.liveReferences; }
    FakeReference(const FakeReference&) = delete;
    FakeReference& operator=(const FakeReference&) = delete;

protected:
    FakeOutlook& outlook_;
};

class FakeItem final : public WithFakeProperties<OutlookItem>, FakeReference {
public:
    FakeItem(FakeOutlook& outlook, std::string file)
        : WithFakeProperties(outlook.contacts[file]), FakeReference(outlook),
          file_(std::move(file)) {}
    Outcome<void> save() override {
        outlook_.log.push_back("Save " + file_);
        if (outlook_.fails("Save"))
            return outlook_.failure("Save");
        outlook_.saved.push_back(file_);
        return Success();
    }

private:
    std::string file_;
};

class FakeInspector final : public OutlookInspector, FakeReference {
public:
    FakeInspector(FakeOutlook& outlook, std::size_t slot) : FakeReference(outlook), slot_(slot) {}
    Outcome<std::unique_ptr<OutlookItem>> currentItem() override {
        outlook_.log.push_back("CurrentItem");
        if (outlook_.fails("CurrentItem"))
            return outlook_.failure("CurrentItem");
        return std::unique_ptr<OutlookItem>(
            std::make_unique<FakeItem>(outlook_, outlook_.openWindows.at(slot_)));
    }
    Outcome<void> close(CloseMode mode) override {
        outlook_.log.push_back(mode == CloseMode::Discard ? "Close(discard)" : "Close(keep)");
        if (outlook_.fails("Close"))
            return outlook_.failure("Close");
        outlook_.openWindows.erase(outlook_.openWindows.begin() +
                                   static_cast<std::ptrdiff_t>(slot_));
        return Success();
    }

private:
    std::size_t slot_;
};

class FakeInspectors final : public OutlookInspectors, FakeReference {
public:
    using FakeReference::FakeReference;
    Outcome<std::int32_t> count() override {
        if (outlook_.pendingPolls > 0 && --outlook_.pendingPolls == 0)
            outlook_.openPending();
        outlook_.log.push_back("Count " + std::to_string(outlook_.openWindows.size()));
        if (outlook_.fails("Count"))
            return outlook_.failure("Count");
        return static_cast<std::int32_t>(outlook_.openWindows.size());
    }
    Outcome<std::unique_ptr<OutlookInspector>> item(std::int16_t position) override {
        outlook_.log.push_back("Item(" + std::to_string(position) + ")");
        if (outlook_.fails("Item") || position < 1 ||
            static_cast<std::size_t>(position) > outlook_.openWindows.size())
            return outlook_.failure("Item");
        return std::unique_ptr<OutlookInspector>(
            std::make_unique<FakeInspector>(outlook_, static_cast<std::size_t>(position - 1)));
    }
};

class FakeApplication final : public OutlookApplication, FakeReference {
public:
    using FakeReference::FakeReference;
    Outcome<std::unique_ptr<OutlookInspectors>> inspectors() override {
        outlook_.log.push_back("Inspectors");
        if (outlook_.fails("Inspectors"))
            return outlook_.failure("Inspectors");
        return std::unique_ptr<OutlookInspectors>(std::make_unique<FakeInspectors>(outlook_));
    }
};

inline Outcome<std::unique_ptr<OutlookApplication>> FakeOutlook::createApplication() {
    log.push_back("create");
    if (fails("create"))
        return Failure{"Invalid class string"};
    return std::unique_ptr<OutlookApplication>(std::make_unique<FakeApplication>(*this));
}

class FakeShell final : public ShellLauncher {
public:
    explicit FakeShell(FakeOutlook& outlook) : outlook_(outlook) {}
    std::vector<ShellLaunch> launches;
    bool fail = false;

    Outcome<void> launch(const ShellLaunch& request) override {
        launches.push_back(request);
        if (fail)
            return Failure{"The system cannot find the file specified."};
        // "/v " + quoted path
        const std::string& p = request.parameters;
        outlook_.opened(p.substr(4, p.size() - 5));
        return Success();
    }

private:
    FakeOutlook& outlook_;
};

class FakeSettings final : public SettingsStore {
public:
    std::vector<std::string> writes; // "app\section\key=text"
    bool fail = false;
    Outcome<void> saveSetting(std::string_view application, std::string_view section,
                              std::string_view key, std::string_view text) override {
        if (fail)
            return Failure{"Access is denied."};
        writes.push_back(std::string(application) + "\\" + std::string(section) + "\\" +
                         std::string(key) + "=" + std::string(text));
        sections[std::string(application) + "\\" + std::string(section)][std::string(key)] =
            std::string(text);
        return Success();
    }
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::map<std::string, std::string> readSection(std::string_view application,
                                                   std::string_view section) override {
        const auto found = sections.find(std::string(application) + "\\" + std::string(section));
        return found == sections.end() ? std::map<std::string, std::string>() : found->second;
    }
};

class FakeDialogs final : public FileDialogs {
public:
    std::vector<OpenFileDialogSettings> shown;
    Outcome<std::string> openResult = std::string();
    std::string folder;
    std::vector<std::string> browseTitles;

    Outcome<std::string> showOpenDialog(NativeWindow, const OpenFileDialogSettings& s) override {
        shown.push_back(s);
        return openResult;
    }
    std::string BrowseForFolder(NativeWindow, std::string_view title) override {
        browseTitles.emplace_back(title);
        return folder;
    }
};

// A disk in memory. A queued path with no content of its own reads as one
// card named after the file, so tests about the run's steps need no files.
class FakeRunStorage final : public RunStorage {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::map<std::string, std::string> cardFiles; // written and not yet removed
    std::vector<std::string> cardFilesWritten;    // every card file, in order
    std::vector<std::string> recordLines;         // every record's lines, one after the other
    // Each record by itself: the run records, and the undo records named
    // after them.
    std::vector<RunRecordText> records;
    int liveFolders = 0;
    int foldersMade = 0;
    bool failRecord = false;
    bool failWrites = false;

    static std::string oneCard(std::string_view name) {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + std::string(name) + "\r\nEND:VCARD\r\n";
    }

    Outcome<std::unique_ptr<ByteSource>> openForReading(std::string_view path) override {
        const std::string key(path);
        if (unreadable.contains(key))
            return Failure{"Access is denied."};
        const auto found = files.find(key);
        std::string bytes =
            found != files.end() ? found->second : oneCard(key.substr(key.find_last_of('\\') + 1));
        return std::unique_ptr<ByteSource>(std::make_unique<MemoryByteSource>(std::move(bytes)));
    }

    Outcome<std::unique_ptr<CardFolder>> createCardFolder() override {
        return std::unique_ptr<CardFolder>(
            std::make_unique<Folder>(*this, "T:\\Quorvane-run" + std::to_string(++foldersMade)));
    }

    // Named by the time they were made, as the program names them: a
    // second apart, the last made newest.
    Outcome<std::unique_ptr<RunRecordFile>> createRunRecord() override {
        if (failRecord)
            return Failure{"The disk is full."};
        char name[64];
        std::snprintf(name, sizeof name, "L:\\Quorvane\\Runs\\2026-12-08 14-%02zu-%02zu.csv",
                      records.size() / 60, records.size() % 60);
        records.push_back({name, {}, {}});
        return std::unique_ptr<RunRecordFile>(std::make_unique<Record>(*this, records.size() - 1));
    }
    // Not in the order they were made, so that a program relying on the
    // listing's order is caught.
    Outcome<std::vector<std::string>> listRunRecords() override {
        std::vector<std::string> paths;
        for (const RunRecordText& record : records)
            if (!record.path.ends_with(" undone.csv"))
                paths.insert(paths.begin(), record.path);
        std::rotate(paths.begin(), paths.begin() + (paths.size() > 1 ? 1 : 0), paths.end());
        return paths;
    }
    Outcome<RunRecordText> readRunRecord(std::string_view path) override {
        for (const RunRecordText& record : records) {
            if (record.path != path)
                continue;
            RunRecordText found = record;
            for (const RunRecordText& other : records)
                if (other.path == undoPath(found.path))
                    found.undoLines = other.lines;
            return found;
        }
        return Failure{"The system cannot find the file specified."};
    }
    Outcome<std::unique_ptr<RunRecordFile>> createUndoRecord(std::string_view runPath) override {
        const std::string path = undoPath(runPath);
        for (std::size_t at = 0; at < records.size(); ++at)
            if (records[at].path == path)
                return std::unique_ptr<RunRecordFile>(std::make_unique<Record>(*this, at, true));
        records.push_back({path, {}, {}});
        return std::unique_ptr<RunRecordFile>(std::make_unique<Record>(*this, records.size() - 1));
    }
    std::vector<std::string> checkReports; // their texts, in order
    Outcome<std::string> writeCheckReport(std::string_view text) override {
        checkReports.emplace_back(text);
        return "C:\\Users\\Ann\\AppData\\Local\\Quorvane\\Checks\\report " +
               std::to_string(checkReports.size()) + ".txt";
    }
    static std::string undoPath(std::string_view runPath) {
        return std::string(runPath.substr(0, runPath.size() - 4)) + " undone.csv";
    }

private:
    class Folder final : public CardFolder {
    public:
        Folder(FakeRunStorage& storage, std::string path)
            : storage_(storage), path_(std::move(path)) {
            ++storage_.liveFolders;
        }
        ~Folder() override {
            std::erase_if(storage_.cardFiles,
                          [&](const auto& file) { return file.first.starts_with(path_ + "\\"); });
            --storage_.liveFolders;
        }
        const std::string& path() const override { return path_; }
        Outcome<std::string> writeNewFile(std::string_view name, std::string_view bytes) override {
            const std::string path = path_ + "\\" + std::string(name);
            if (storage_.failWrites)
                return Failure{"There is not enough space on the disk."};
            if (!storage_.cardFiles.emplace(path, bytes).second)
                return Failure{"The file exists."};
            storage_.cardFilesWritten.push_back(path);
            return path;
        }
        void removeFile(std::string_view path) override {
            storage_.cardFiles.erase(std::string(path));
        }
        Outcome<std::unique_ptr<CardFolder>> createFolder(std::string_view name) override {
            return std::unique_ptr<CardFolder>(
                std::make_unique<Folder>(storage_, path_ + "\\" + std::string(name)));
        }

    private:
        FakeRunStorage& storage_;
        std::string path_;
    };

    class Record final : public RunRecordFile {
    public:
        Record(FakeRunStorage& storage, std::size_t at, bool continued = false)
            : storage_(storage), at_(at), path_(storage.records.at(at).path),
              continued_(continued) {}
        const std::string& path() const override { return path_; }
        bool continued() const override { return continued_; }
        Outcome<void> appendLine(std::string_view line) override {
            storage_.recordLines.emplace_back(line);
            storage_.records.at(at_).lines.emplace_back(line);
            return Success();
        }

    private:
        FakeRunStorage& storage_;
        std::size_t at_;
        std::string path_;
        bool continued_;
    };
};

} // namespace quorvane::testing

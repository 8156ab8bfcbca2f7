#pragma once
// Both import runs over in-memory fakes, shared by the runs' test files.

#include "fake_system.h"
#include "fakes.h"
#include "icu_text_folding.h"
#include "import/error_report.h"
#include "import/import_session.h"
#include "import/item_window_target.h"
#include "import/undo_target.h"
#include "import/windowless_target.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>

namespace quorvane::testing {

// The step number an error report names ("at line N").
inline int reportedStep(const Message& message) {
    static const std::regex atLine("at line ([0-9]+)\r\r");
    std::smatch match;
    if (!std::regex_search(message.text, match, atLine))
        return -1;
    return std::stoi(match[1]);
}

// A contacts file holding one card per name, in order.
inline std::string cards(std::initializer_list<const char*> names) {
    std::string text;
    for (const char* name : names)
        text += FakeRunStorage::oneCard(name);
    return text;
}

class ImportRunTest : public ::testing::Test {
protected:
    ManualClock clock;
    FakeWindow window{&clock};
    FakeOutlook outlook;
    FakeShell shell{outlook};
    FakeRunStorage storage;
    FakeCodePages codePages;
    FakeRegionalSettings regional;
    FakeImportLock importLock;
    FakeSettings settings;
    IcuTextFolding folding;
    ImportQueue queue;
    ItemWindowOptions options{.openWaitBound = std::chrono::seconds(2),
                              .pollInterval = std::chrono::milliseconds(10)};

    // Through item windows, over `runQueue`, with its own window and Outlook.
    RunEnd runThroughItemWindows(const ImportQueue& runQueue, RunWindow& runWindow,
                                 OutlookAutomation& runOutlook, ShellLauncher& runShell) {
        ImportSession session(runQueue, runWindow,
                              {storage, settings, codePages, regional, importLock});
        ItemWindowTarget target(runOutlook, runShell, clock, options);
        return session.run(target);
    }
    RunEnd run() { return runThroughItemWindows(queue, window, outlook, shell); }
    RunEnd
    runWithoutWindows(WindowlessDestination destination = WindowlessDestination::DefaultContacts) {
        ImportSession session(queue, window, {storage, settings, codePages, regional, importLock});
        WindowlessTarget target(outlook, destination, folding);
        return session.run(target);
    }
    RunEnd undo() {
        ImportSession session(queue, window, {storage, settings, codePages, regional, importLock});
        UndoTarget target(outlook, storage, clock);
        return session.run(target);
    }

    // A case of a table of its own: nothing shown, stored or queued yet.
    void startAfresh() {
        window = FakeWindow{&clock};
        outlook.sessions = {};
        storage = {};
        queue.clear();
    }

    void queueFiles(std::initializer_list<const char*> paths) {
        for (const char* path : paths)
            queue.add(path);
    }
    std::vector<int> reportedSteps() const {
        std::vector<int> steps;
        for (const Message& message : window.messages)
            if (message.title == ErrorReportTitle)
                steps.push_back(reportedStep(message));
        return steps;
    }
    static std::string firstLineOf(const std::string& text) {
        return text.substr(0, text.find('\r'));
    }
    std::string lastMessage() const {
        return window.messages.empty() ? "" : window.messages.back().text;
    }
    // Every record line but the header.
    std::vector<std::string> recordRows() const {
        if (storage.recordLines.empty())
            return {};
        return {storage.recordLines.begin() + 1, storage.recordLines.end()};
    }
};

} // namespace quorvane::testing

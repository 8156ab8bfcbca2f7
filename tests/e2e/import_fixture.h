#pragma once
// A test that ends with a full import against the stand-in Outlook: a fresh
// folder of its own, the stand-in's log and saved-file list in it, and the
// run itself (Start, then every box answered up to "Done.").

#include "support/driver.h"
#include "support/message_pump.h"
#include "support/standin.h"
#include "support/test_files.h"

#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::test {

// Where the program keeps its window's placement, under HKCU.
inline constexpr wchar_t PlacementKey[] = L"Software\\Trelvik\\Quorvane";

// One placement value as the program wrote it; none when it wrote none.
inline std::optional<std::wstring> placementValue(const wchar_t* name) {
    wchar_t value[64];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, PlacementKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

// What Help shows: where the import's Outlook comes from.
inline constexpr wchar_t HelpText[] =
    L"This software requires Microsoft Outlook (that comes with MS Office) not Outlook "
    L"Express (that comes preloaded with MS Windows).";

// A box's first line: a closing box may say more after it.
inline std::wstring firstLine(const std::wstring& text) {
    return text.substr(0, text.find(L'\r'));
}

// Printed with a failing expectation, so the log shows what the user saw.
inline std::string describe(const std::vector<Box>& boxes) {
    std::string text;
    for (const Box& box : boxes) {
        std::wstring line = box.title + L": " + box.text;
        std::replace(line.begin(), line.end(), L'\r', L'|');
        std::replace(line.begin(), line.end(), L'\n', L'|');
        text += win32::toUtf8(line) + "\n";
    }
    return text;
}

// A contacts file's text: one card per name, in order.
inline std::string cards(std::initializer_list<const char*> names) {
    std::string text;
    for (const char* name : names)
        text += std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:") + name + "\r\nEND:VCARD\r\n";
    return text;
}

// The same cards as a UTF-16 LE export with its byte-order mark.
inline std::string utf16Cards(std::initializer_list<const char*> names) {
    const std::wstring text = win32::toWide(cards(names));
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = tempFolder(L"e2e\\" + std::wstring(name.begin(), name.end()));
        logFile = folder + L"\\standin.log";
        savedFile = folder + L"\\saved.txt";
        resetStandIn(logFile, savedFile);
        settleStandIn();
    }

    // A file of the test's own with these bytes.
    std::wstring file(const wchar_t* name, const std::string& bytes) {
        const std::wstring path = folder + L"\\" + name;
        writeFile(path, bytes);
        return path;
    }

    // A contact card at `folder\relative`, its folders made on the way.
    std::wstring makeContact(const std::wstring& relative) {
        const std::wstring path = folder + L"\\" + relative;
        makeFolders(path.substr(0, path.find_last_of(L'\\')));
        writeFile(path, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Someone\r\nEND:VCARD\r\n");
        return path;
    }

    // Queues `files` and gives `command`; returns at once.
    static void startRun(Quorvane& app, const std::vector<std::wstring>& files,
                         CommandId command = CommandId::Start) {
        app.appendRows(files);
        app.command(command);
    }

    // The same, with every box answered through "Done."; the boxes in order.
    static std::vector<Box> runThroughDone(Quorvane& app, const std::vector<std::wstring>& files,
                                           CommandId command = CommandId::Start) {
        startRun(app, files, command);
        return app.answerBoxesUntil(L"Done.", std::chrono::seconds(60));
    }

    // Help, answered; the boxes it showed.
    static std::vector<Box> showHelp(Quorvane& app) {
        app.command(CommandId::Help);
        return app.answerBoxesUntil(HelpText, std::chrono::seconds(20));
    }

    // A close, whatever the run is doing, ends the process within 3 s.
    static void closeAndExpectPromptExit(Quorvane& app) {
        const auto closedAt = std::chrono::steady_clock::now();
        app.close();
        ASSERT_TRUE(app.waitForExit(std::chrono::seconds(10)));
        EXPECT_LT(std::chrono::steady_clock::now() - closedAt, std::chrono::seconds(3));
    }

    // How many lines of the stand-in's log begin with `start`.
    std::size_t logLines(const std::wstring& start) const {
        const auto lines = readLines(logFile);
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(),
                          [&](const std::wstring& l) { return l.starts_with(start); }));
    }

    // Start, answered through "Done."; the files the stand-in saved, in order.
    std::vector<std::wstring> importAll(Quorvane& app) {
        app.command(CommandId::Start);
        const auto boxes = app.answerBoxesUntil(L"Done.", std::chrono::seconds(60));
        EXPECT_FALSE(boxes.empty());
        if (!boxes.empty()) {
            EXPECT_EQ(boxes.back().text, L"Done.");
        }
        EXPECT_EQ(boxes.size(), 1u) << "boxes other than \"Done.\" were shown";
        return savedPaths(savedFile);
    }

    std::wstring folder, logFile, savedFile;
};

} // namespace quorvane::test

#pragma once
// A test that ends with a full import against the stand-in Outlook: a fresh
// folder of its own, the stand-in's log and saved-file list in it, and the
// run itself (Start, then every box answered up to "Done.").

#include "support/driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

namespace quorvane::e2e {

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = tempFolder(std::wstring(name.begin(), name.end()));
        removeInside(folder, true); // tempFolder empties only the top
        logFile = folder + L"\\standin.log";
        savedFile = folder + L"\\saved.txt";
        resetStandIn(logFile, savedFile);
        settleStandIn();
    }

    // A contact card at `folder\relative`, its folders made on the way.
    std::wstring makeContact(const std::wstring& relative) {
        const std::wstring path = folder + L"\\" + relative;
        for (std::size_t cut = path.find(L'\\', folder.size() + 1); cut != std::wstring::npos;
             cut = path.find(L'\\', cut + 1))
            CreateDirectoryW(path.substr(0, cut).c_str(), nullptr);
        writeFile(path, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Someone\r\nEND:VCARD\r\n");
        return path;
    }

    // Start, answered through "Done."; the files the stand-in saved, in order.
    std::vector<std::wstring> importAll(Quorvane& app) {
        app.command(1002);
        const auto boxes = app.answerBoxesUntil(L"Done.", std::chrono::seconds(60));
        EXPECT_FALSE(boxes.empty());
        if (!boxes.empty()) {
            EXPECT_EQ(boxes.back().text, L"Done.");
        }
        EXPECT_EQ(boxes.size(), 1u) << "boxes other than \"Done.\" were shown";
        return readLines(savedFile);
    }

    std::wstring folder, logFile, savedFile;

private:
    // Everything inside `parent`; with `foldersOnly`, its own files stay.
    static void removeInside(const std::wstring& parent, bool foldersOnly) {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((parent + L"\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            const std::wstring name = entry.cFileName;
            const std::wstring path = parent + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeInside(path, false);
                RemoveDirectoryW(path.c_str());
            } else if (!foldersOnly) {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
};

} // namespace quorvane::e2e

// The import run's files on the real file system: card folders, the record,
// and the clean-up of folders a crashed run left behind.

#include "platform/win32/run_storage_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quorvane;
using namespace quorvane::win32;

namespace {

bool exists(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readAll(ByteSource& source) {
    std::string bytes;
    std::array<char, 3> block{}; // small, so the test sees several reads
    for (;;) {
        auto read = source.read(block);
        if (!read || read.value() == 0)
            return bytes;
        bytes.append(block.data(), read.value());
    }
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::path(toWide(path)), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(RunStorage, CardFilesAreNewFilesOnlyAndGoWithTheirFolder) {
    Win32RunStorage storage;
    std::string folderPath, cardPath;
    {
        auto folder = storage.createCardFolder();
        ASSERT_TRUE(folder) << folder.failure().description;
        folderPath = folder.value()->path();
        EXPECT_TRUE(folderPath.starts_with(toUtf8(temporaryFolder()) + "Quorvane-")) << folderPath;

        auto inner = folder.value()->createFolder("1");
        ASSERT_TRUE(inner);
        const std::string bytes("\xFF\xFE"
                                "B\0E\0",
                                6); // a UTF-16 card keeps its mark
        auto written = inner.value()->writeNewFile("0001 Ann.vcf", bytes);
        ASSERT_TRUE(written) << written.failure().description;
        cardPath = written.value();
        EXPECT_EQ(cardPath, folderPath + "\\1\\0001 Ann.vcf");

        auto again = inner.value()->writeNewFile("0001 Ann.vcf", "other");
        EXPECT_FALSE(again) << "an existing name is never opened or overwritten";

        auto source = storage.openForReading(cardPath);
        ASSERT_TRUE(source);
        EXPECT_EQ(readAll(*source.value()), bytes);
    }
    EXPECT_FALSE(exists(cardPath));
    EXPECT_FALSE(exists(folderPath));

    auto missing = storage.openForReading(folderPath + "\\nothing.vcf");
    ASSERT_FALSE(missing);
    EXPECT_FALSE(missing.failure().description.empty());
}

TEST(RunStorage, OnlyFoldersNoRunningProgramOwnsAreCleanedUpAtStart) {
    Win32RunStorage storage;
    auto live = storage.createCardFolder();
    ASSERT_TRUE(live);
    ASSERT_TRUE(live.value()->writeNewFile("0001 Ann.vcf", "BEGIN:VCARD"));

    // A run that let its folder go while Outlook still held a card: once the
    // card is closed, the folder is what a crashed run leaves, its cards and
    // a mark that nobody holds.
    std::wstring abandoned;
    win32::ScopedFile held;
    {
        auto folder = storage.createCardFolder();
        auto inner = folder.value()->createFolder("1");
        abandoned = toWide(folder.value()->path());
        held.reset(CreateFileW(toWide(inner.value()->writeNewFile("1.vcf", "B").value()).c_str(),
                               GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    // Folders that only look alike are someone else's and stay: a name the
    // wildcard takes (it ignores case), and our name without our mark.
    const std::wstring lookAlikes[] = {temporaryFolder() + L"quorvane-e2e-notes",
                                       temporaryFolder() + L"Quorvane-123"};
    for (const std::wstring& folder : lookAlikes)
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

    EXPECT_EQ(removeAbandonedCardFolders(), 0) << "a card is still held";
    held.reset();
    EXPECT_EQ(removeAbandonedCardFolders(), 1);
    EXPECT_FALSE(exists(toUtf8(abandoned)));
    EXPECT_TRUE(exists(live.value()->path() + "\\0001 Ann.vcf"));
    for (const std::wstring& folder : lookAlikes) {
        EXPECT_TRUE(exists(toUtf8(folder))) << toUtf8(folder);
        RemoveDirectoryW(folder.c_str());
    }
}

TEST(RunStorage, ACardFolderLetsInTheCurrentUserAloneWhateverItsParentAllows) {
    win32::ScopedHandle token;
    std::array<std::byte, 256> user{};
    DWORD size = 0;
    win32::ScopedLocal<LPWSTR> sid, dacl;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()) &&
                GetTokenInformation(token.get(), TokenUser, user.data(), user.size(), &size) &&
                ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid,
                                       sid.receive()));
    auto folder = Win32RunStorage().createCardFolder();
    ASSERT_TRUE(folder) << folder.failure().description;
    win32::ScopedLocal<PSECURITY_DESCRIPTOR> descriptor;
    ASSERT_EQ(GetNamedSecurityInfoW(toWide(folder.value()->path()).c_str(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                                    descriptor.receive()),
              ERROR_SUCCESS);
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor.get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, dacl.receive(), nullptr));
    // Windows gives back the list as it was handed over. Wine keeps no lists:
    // it sets the Unix mode from the list and reports one made from the mode,
    // with the system always in it and everyone else only when others may read.
    const std::wstring onlyMe = L"(A;OICI;FA;;;" + std::wstring(sid.get()) + L")";
    const std::wstring text = dacl.get();
    EXPECT_TRUE(text == L"D:P" + onlyMe || text == L"D:(A;OICI;FA;;;SY)" + onlyMe) << toUtf8(text);
}

TEST(RunStorage, TheRecordBeginsWithAByteOrderMarkAndKeepsEveryLineAtOnce) {
    Win32RunStorage storage;
    auto record = storage.createRunRecord();
    ASSERT_TRUE(record) << record.failure().description;
    const std::string path = record.value()->path();
    EXPECT_NE(path.find("\\Quorvane\\Runs\\"), std::string::npos) << path;
    ASSERT_TRUE(record.value()->appendLine("File,Contact"));
    ASSERT_TRUE(record.value()->appendLine("C:\\a.vcf,1"));
    // Read while the run still holds it: nothing waits in a buffer of ours.
    EXPECT_EQ(fileBytes(path), "\xEF\xBB\xBF"
                               "File,Contact\r\nC:\\a.vcf,1\r\n");

    auto second = storage.createRunRecord();
    ASSERT_TRUE(second);
    EXPECT_NE(second.value()->path(), path) << "two runs in one second keep two records";
    record.value().reset();
    const std::string secondPath = second.value()->path();
    second.value().reset();
    DeleteFileW(toWide(path).c_str());
    DeleteFileW(toWide(secondPath).c_str());
}

// Taking a run back that stopped part-way goes on in the same undo record,
// below what the first pass wrote: overwriting it would lose which contacts
// are in Deleted Items already, and a later undo would delete them for good.
TEST(RunStorage, AResumedUndoRecordGoesOnBelowItsFirstPass) {
    Win32RunStorage storage;
    auto record = storage.createRunRecord();
    ASSERT_TRUE(record) << record.failure().description;
    const std::string path = record.value()->path();
    record.value().reset();
    for (const char* line : {"first pass", "second pass"}) {
        auto undo = storage.createUndoRecord(path);
        ASSERT_TRUE(undo) << undo.failure().description;
        EXPECT_EQ(undo.value()->continued(), std::string_view(line) == "second pass");
        ASSERT_TRUE(undo.value()->appendLine(line));
    }
    auto paths = storage.listRunRecords();
    ASSERT_TRUE(paths);
    EXPECT_NE(std::find(paths.value().begin(), paths.value().end(), path), paths.value().end());
    for (const std::string& listed : paths.value())
        EXPECT_EQ(listed.find(" undone"), std::string::npos) << "an undo record is no run";
    auto read = storage.readRunRecord(path);
    ASSERT_TRUE(read) << read.failure().description;
    EXPECT_EQ(read.value().undoLines, (std::vector<std::string>{"first pass", "second pass"}));
    const std::string undoPath = path.substr(0, path.size() - 4) + " undone.csv";
    EXPECT_EQ(fileBytes(undoPath), "\xEF\xBB\xBF"
                                   "first pass\r\nsecond pass\r\n");
    DeleteFileW(toWide(path).c_str());
    DeleteFileW(toWide(undoPath).c_str());
}

} // namespace

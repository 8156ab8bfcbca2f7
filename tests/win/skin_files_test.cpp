// The skin lookup against the real file system: which entries a directory
// listing admits as the skin file, and reading it.

#include "platform/win32/skin_files_win32.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

namespace quorvane::win32 {
namespace {

class SkinFilesTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"quorvane-skin-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\x").c_str(), nullptr);
        skin = folder + L"\\x\\o.cjs";
    }
    void TearDown() override {
        SetFileAttributesW(skin.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(skin.c_str());
        RemoveDirectoryW(skin.c_str());
        RemoveDirectoryW((folder + L"\\x").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    void write(const std::string& text) {
        std::ofstream out(skin.c_str(), std::ios::binary | std::ios::trunc);
        out << text;
    }

    Win32SkinFiles files;
    std::wstring folder;
    std::wstring skin;
};

TEST_F(SkinFilesTest, OnlyAnOrdinaryFileCounts) {
    EXPECT_FALSE(files.ordinaryFileExists(toUtf8(skin)));

    write("[window]\n");
    EXPECT_TRUE(files.ordinaryFileExists(toUtf8(skin)));
    // Read-only and archive are still ordinary.
    SetFileAttributesW(skin.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(files.ordinaryFileExists(toUtf8(skin)));

    SetFileAttributesW(skin.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(files.ordinaryFileExists(toUtf8(skin)));
    SetFileAttributesW(skin.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(files.ordinaryFileExists(toUtf8(skin)));

    SetFileAttributesW(skin.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(skin.c_str());
    CreateDirectoryW(skin.c_str(), nullptr); // a folder named o.cjs
    EXPECT_FALSE(files.ordinaryFileExists(toUtf8(skin)));
}

TEST_F(SkinFilesTest, ReadsTheWholeFileAndReportsAMissingOne) {
    write("[list]\r\ntext = #000000\r\n");
    auto text = files.readText(toUtf8(skin));
    ASSERT_TRUE(text);
    EXPECT_EQ(text.value(), "[list]\r\ntext = #000000\r\n");

    auto missing = files.readText(toUtf8(folder + L"\\x\\none.cjs"));
    ASSERT_FALSE(missing);
    EXPECT_FALSE(missing.failure().description.empty());
}

} // namespace
} // namespace quorvane::win32

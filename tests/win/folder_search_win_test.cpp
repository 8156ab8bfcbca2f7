// The folder search against a real directory tree, and the drop target driven
// through its OLE interface.

#include "support/message_pump.h"
#include "support/one_format_data.h"
#include "support/test_files.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/file_dialogs_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"
#include "queue/folder_commands.h"
#include "queue/folder_search.h"
#include "shell/drop_target.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::win32;
using namespace std::string_literals;

namespace {

using Names = std::vector<std::string>;

Names sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

// A window that never has events waiting and records its messages; only the
// folder search's thread wakes it.
class QuietWindow final : public RunWindow {
public:
    std::vector<std::string> messages;
    void setPointer(PointerKind kind) override { pointer_ = kind; }
    PointerKind pointer() const override { return pointer_; }
    void setProgressText(std::string_view) override {}
    void setProgressValue(double) override {}
    void runEnded() override {}
    void showMessage(std::string_view text, MessageStyle,
                     std::optional<std::string_view>) override {
        messages.emplace_back(text);
    }
    bool askYesNo(std::string_view) override { return false; }
    YieldResult yield() override { return YieldResult::KeepGoing; }
    YieldResult waitForEvents(std::chrono::milliseconds) override { return yield(); }
    void sleepUntilEventOrWakeUp() override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return woken_; });
        woken_ = false;
    }
    void wakeUp() override {
        {
            const std::lock_guard lock(mutex_);
            woken_ = true;
        }
        changed_.notify_all();
    }
    bool closing() const override { return false; }
    NativeWindow nativeHandle() const override { return NativeWindow::None; }

private:
    PointerKind pointer_ = PointerKind::Arrow;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
};

// Windows without long-path support refuses a plain path of MAX_PATH
// characters or more; only the "\\?\" form of a full path reaches deeper. Wine
// has no such limit, so the tree tests put it back at the calls themselves.
bool outOfReach(LPCWSTR path) {
    const std::wstring_view text(path);
    if (text.starts_with(L"\\\\?\\"))
        return !(text.size() > 7 && text[5] == L':' && text[6] == L'\\') &&
               !text.starts_with(L"\\\\?\\UNC\\");
    return text.size() >= MAX_PATH;
}

HANDLE WINAPI findFirstWithinReach(LPCWSTR name, FINDEX_INFO_LEVELS level, LPVOID found,
                                   FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    if (outOfReach(name)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstFileExW(name, level, found, search, filter, flags);
}

DWORD WINAPI attributesWithinReach(LPCWSTR name) {
    if (outOfReach(name)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesW(name);
}

HANDLE WINAPI createWithinReach(LPCWSTR name, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE model) {
    if (outOfReach(name)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, share, security, disposition, flags, model);
}

constexpr FileSystemCalls WithinMaxPath{findFirstWithinReach, attributesWithinReach,
                                        createWithinReach};

class RealTreeTest : public ::testing::Test {
protected:
    std::string root; // UTF-8, no trailing backslash
    Win32FileSystem files{WithinMaxPath};
    QuietWindow window;
    SteadyClock clock;
    ImportQueue queue;
    SearchWorker worker{files, clock, window, queue};

    void SetUp() override { root = toUtf8(test::tempFolder(L"search")); }
    // Hidden, system and read-only marks and links included.
    void TearDown() override { test::removeTree(toWide(root)); }

    std::string at(const std::string& relative) const { return root + "\\" + relative; }
    void folder(const std::string& relative, DWORD attributes = 0) {
        ASSERT_TRUE(CreateDirectoryW(systemPath(at(relative)).c_str(), nullptr)) << relative;
        if (attributes) {
            ASSERT_TRUE(SetFileAttributesW(systemPath(at(relative)).c_str(),
                                           attributes | FILE_ATTRIBUTE_DIRECTORY));
        }
    }
    void file(const std::string& relative, DWORD attributes = 0) {
        const ScopedFile made(CreateFileW(systemPath(at(relative)).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(made) << relative;
        if (attributes) {
            ASSERT_TRUE(SetFileAttributesW(systemPath(at(relative)).c_str(), attributes));
        }
    }

    Names listed(const std::string& search, ListingMask mask) {
        Names names;
        auto listing = files.list(search, mask);
        EXPECT_TRUE(listing.succeeded()) << search;
        if (!listing)
            return names;
        for (;;) {
            auto entry = listing.value()->next();
            EXPECT_TRUE(entry.succeeded());
            if (!entry || !entry.value())
                return names;
            names.push_back(entry.value()->name);
        }
    }
    Names rows() const {
        Names all;
        for (std::size_t i = 1; i <= queue.count(); ++i)
            all.emplace_back(*queue.item(i));
        return all;
    }
    FolderSearch search() { return FolderSearch(worker); }
};

TEST_F(RealTreeTest, ListingsHonourTheMasksAndMatchLongNamesIgnoringCase) {
    for (const char* name : {"a.vcf", "B.VCF", "c.Vcf", "d.vcf.bak", "e.txt", "abcdefghij.vcfx"})
        file(name);
    file("h.vcf", FILE_ATTRIBUTE_HIDDEN);
    file("s.vcf", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    folder("sub");
    folder("hid", FILE_ATTRIBUTE_HIDDEN);
    folder("sys", FILE_ATTRIBUTE_SYSTEM);

    EXPECT_EQ(sorted(listed(root + "\\", ListingMask::Folders)),
              sorted({".", "..", "a.vcf", "B.VCF", "c.Vcf", "d.vcf.bak", "e.txt", "abcdefghij.vcfx",
                      "sub"}));
    EXPECT_EQ(sorted(listed(root + "\\*.*", ListingMask::Files)),
              sorted({"a.vcf", "B.VCF", "c.Vcf", "d.vcf.bak", "e.txt", "abcdefghij.vcfx", "h.vcf",
                      "s.vcf"}));
    EXPECT_EQ(sorted(listed(root + "\\", ListingMask::Everything)),
              sorted({".", "..", "a.vcf", "B.VCF", "c.Vcf", "d.vcf.bak", "e.txt", "abcdefghij.vcfx",
                      "h.vcf", "s.vcf", "sub", "hid", "sys"}));
    // A plain name finds that entry alone, unless the mask leaves it out.
    EXPECT_EQ(listed(at("sub"), ListingMask::Folders), Names{"sub"});
    EXPECT_TRUE(listed(at("hid"), ListingMask::Folders).empty());
    EXPECT_TRUE(listed(at("nothing.vcf"), ListingMask::Files).empty());

    auto walk = search();
    ASSERT_EQ(QueueFolderFiles(walk, root), YieldResult::KeepGoing);
    EXPECT_EQ(sorted(rows()),
              sorted({at("a.vcf"), at("B.VCF"), at("c.Vcf"), at("h.vcf"), at("s.vcf")}));
    EXPECT_EQ(walk.unreadableCount(), 0u);
}

TEST_F(RealTreeTest, APathLongerThanMaxPathIsSearchedAndQueuedIntact) {
    std::string relative;
    while (at(relative).size() < 300) {
        relative += (relative.empty() ? "" : "\\") + std::string(40, 'd');
        folder(relative);
    }
    file(relative + "\\deep.vcf");
    folder("near");
    file("near\\n.vcf");

    auto walk = search();
    ASSERT_EQ(QueueFolderFiles(walk, root), YieldResult::KeepGoing);
    const std::string deep = at(relative + "\\deep.vcf");
    ASSERT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
    EXPECT_EQ(sorted(rows()), sorted({at("near\\n.vcf"), deep}));
    EXPECT_EQ(walk.unreadableCount(), 0u);

    auto attributes = files.attributes(at(relative));
    ASSERT_TRUE(attributes.succeeded());
    EXPECT_TRUE(attributes.value() & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(files.identity(at(relative) + "\\").succeeded());
}

TEST_F(RealTreeTest, ALinkBackUpTheTreeIsNotFollowedRoundAgain) {
    folder("sub");
    file("sub\\s.vcf");
    file("top.vcf");
    const std::wstring link = systemPath(at("sub\\up"));
    if (!CreateSymbolicLinkW(link.c_str(), systemPath(root).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY |
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        GTEST_SKIP() << "no directory links here: " << systemMessage(GetLastError());
    // Wine 8 reports success but makes nothing.
    if (GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "directory links are not made here";
    auto same = files.identity(at("sub\\up\\"));
    auto original = files.identity(root + "\\");
    ASSERT_TRUE(same.succeeded()) << same.failure().description;
    ASSERT_TRUE(original.succeeded()) << original.failure().description;
    if (!(same.value() == original.value()))
        GTEST_SKIP() << "the link does not report its target's identity here";

    auto walk = search();
    ASSERT_EQ(QueueFolderFiles(walk, root), YieldResult::KeepGoing);
    EXPECT_EQ(sorted(rows()), sorted({at("top.vcf"), at("sub\\s.vcf")}));
}

TEST(OpenDialogResult, KeepsTheSeparatingNulsAndDropsTheEnd) {
    const std::wstring many = L"C:\\x\0b.vcf\0\u00e4.vcf\0\0\0\0"s;
    EXPECT_EQ(openDialogResult(many), "C:\\x\0b.vcf\0\xC3\xA4.vcf"s);
    const std::wstring one = L"C:\\x\\a.vcf\0\0garbage"s;
    EXPECT_EQ(openDialogResult(one), "C:\\x\\a.vcf");
}

// A dragged file list: DROPFILES followed by the wide paths; `ended` false
// leaves off the final NUL.
Microsoft::WRL::ComPtr<IDataObject> fileList(const std::wstring& nulSeparated, bool ended = true) {
    std::vector<unsigned char> block(sizeof(DROPFILES));
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    std::wstring list = nulSeparated;
    if (ended)
        list += L'\0';
    const auto* bytes = reinterpret_cast<const unsigned char*>(list.data());
    block.insert(block.end(), bytes, bytes + list.size() * sizeof(wchar_t));
    return test::oneFormatData(CF_HDROP, block.data(), block.size());
}

class DropTargetTest : public ::testing::Test {
protected:
    ComApartment ole{ComApartment::Kind::Ole};
    ScopedWindow window;
    std::vector<Names> drops;

    void SetUp() override {
        ASSERT_TRUE(ole.joined());
        window.reset(CreateWindowExW(0, L"STATIC", L"drop here", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                     200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(window);
    }
    DropHandler recorder() {
        return [this](std::vector<std::string> paths) { drops.push_back(std::move(paths)); };
    }
};

TEST_F(DropTargetTest, RefusesTextAndAcceptsFileListsHandingThePathsOnAfterTheDrop) {
    ScopedDropTarget registered(window.get(), recorder());
    ASSERT_TRUE(registered.registration().succeeded())
        << registered.registration().failure().description;
    IDropTarget* target = registered.dropTarget();
    const POINTL point{10, 10};

    const char text[] = "just text";
    const auto textOnly = test::oneFormatData(CF_TEXT, text, sizeof text);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(textOnly.Get(), MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), S_OK);

    const std::wstring paths = L"C:\\in\\a.txt\0C:\\in\\\u00dcber\0"s;
    const auto withFiles = fileList(paths);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragEnter(withFiles.Get(), MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragOver(MK_SHIFT, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(withFiles.Get(), MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)); // never a move
    EXPECT_TRUE(drops.empty()) << "handed on from inside Drop";

    test::pump();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], (Names{"C:\\in\\a.txt", "C:\\in\\\xC3\x9C"
                                                "ber"}));
}

TEST_F(DropTargetTest, AMalformedFileListIsDroppedWithoutReadingPastIt) {
    ScopedDropTarget registered(window.get(), recorder());
    ASSERT_TRUE(registered.registration().succeeded());
    const auto broken = fileList(L"C:\\no-end", false);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(registered.dropTarget()->Drop(broken.Get(), MK_LBUTTON, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    test::pump();
    EXPECT_TRUE(drops.empty());
}

} // namespace

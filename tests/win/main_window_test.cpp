// The real main window, created in this process: layout at a known size, the
// virtual list over the queue, the removal gestures and the pointer rule.

#include "support/message_pump.h"

#include "app/commands.h"
#include "platform/clock.h"
#include "platform/win32/automation_messages.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/main_window.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/run_storage_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>
#include <windows.h>

#include <chrono>
#include <cmath>

using namespace quorvane;
using namespace quorvane::win32;
using test::pump;

namespace {

RECT childRect(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The folder browser answers with a folder the test chose.
class ChosenFolderDialogs final : public FileDialogs {
public:
    std::string folder;
    Outcome<std::string> showOpenDialog(NativeWindow, const OpenFileDialogSettings&) override {
        return std::string();
    }
    std::string BrowseForFolder(NativeWindow, std::string_view) override { return folder; }
};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        window = std::make_unique<MainWindow>(
            GetModuleHandleW(nullptr),
            MainWindowServicesIn{
                settings, outlook, shell, dialogs, clock, files, storage, codePages, {}});
        ASSERT_TRUE(window->create(SW_SHOWNORMAL));
        pump();
        list = FindWindowExW(window->handle(), nullptr, WC_LISTVIEWW, nullptr);
        progress = FindWindowExW(window->handle(), nullptr, ProgressBarClassName, nullptr);
        ASSERT_TRUE(list && progress);
    }
    void TearDown() override {
        window.reset();
        pump();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvaneTest\\Settings");
    }

    int rows() const { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
    std::wstring rowText(int index) const {
        wchar_t text[512]{};
        ListView_GetItemText(list, index, 0, text, 512);
        return text;
    }
    void select(int index) {
        ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }

    RegistrySettingsStore settings{HKEY_CURRENT_USER, "Software\\QuorvaneTest\\Settings"};
    ComOutlookAutomation outlook{"Quorvane.NoSuchServer"};
    Win32ShellLauncher shell;
    ChosenFolderDialogs dialogs;
    SteadyClock clock;
    Win32FileSystem files;
    Win32RunStorage storage;
    Win32CodePages codePages;
    std::unique_ptr<MainWindow> window;
    HWND list = nullptr;
    HWND progress = nullptr;
};

TEST_F(MainWindowTest, StartsCentredAtItsDesignClientSizeWithTheColumnAndCaption) {
    const unsigned dpi = GetDpiForWindow(window->handle());
    RECT client;
    GetClientRect(window->handle(), &client);
    EXPECT_NEAR(client.right, std::lround(9195.0 * dpi / 1440), 1);
    EXPECT_NEAR(client.bottom, std::lround(8580.0 * dpi / 1440), 1);

    RECT outer;
    GetWindowRect(window->handle(), &outer);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(outer.left, (screenWidth - (outer.right - outer.left)) / 2, 1);
    EXPECT_NEAR(outer.top, (screenHeight - (outer.bottom - outer.top)) / 2, 1);

    wchar_t caption[64];
    GetWindowTextW(window->handle(), caption, 64);
    EXPECT_STREQ(caption, L"Quorvane");
    wchar_t header[64]{};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = header;
    column.cchTextMax = 64;
    ASSERT_TRUE(ListView_GetColumn(list, 0, &column));
    EXPECT_STREQ(header, L" VCF Files");
    EXPECT_FALSE(ListView_GetColumn(list, 1, &column)); // the one and only column
    EXPECT_EQ(GetMenu(window->handle()), nullptr);
}

TEST_F(MainWindowTest, ResizingPlacesTheControlsAsComputedInTwips) {
    // 9600 x 9000 twips at 96 DPI is 640 x 600 pixels.
    ASSERT_EQ(GetDpiForWindow(window->handle()), 96u);
    SetWindowPos(window->handle(), nullptr, 10, 10, 640, 600, SWP_NOZORDER);
    pump();
    const RECT listRect = childRect(window->handle(), list);
    EXPECT_EQ(listRect.left, 8);                           // 120 twips
    EXPECT_EQ(listRect.top, 84);                           // 1260 twips
    EXPECT_NEAR(listRect.right - listRect.left, 617, 1);   // 9260 twips
    EXPECT_NEAR(listRect.bottom - listRect.top, 441, 1);   // 6620 twips
    EXPECT_NEAR(ListView_GetColumnWidth(list, 0), 584, 1); // 8760 twips
    const RECT barRect = childRect(window->handle(), progress);
    EXPECT_NEAR(barRect.left, 9, 1);                   // 140 twips
    EXPECT_NEAR(barRect.top, 531, 1);                  // 7970 twips
    EXPECT_NEAR(barRect.right - barRect.left, 615, 1); // 9220 twips
    EXPECT_EQ(barRect.bottom - barRect.top, 27);       // 405 twips

    // Minimised: nothing moves.
    ShowWindow(window->handle(), SW_MINIMIZE);
    pump();
    const RECT afterMinimise = childRect(window->handle(), list);
    EXPECT_EQ(afterMinimise.right - afterMinimise.left, listRect.right - listRect.left);
    EXPECT_EQ(afterMinimise.bottom - afterMinimise.top, listRect.bottom - listRect.top);
}

TEST_F(MainWindowTest, TheListShowsTheQueueAndTheGesturesRemoveTheSelectedRow) {
    window->form().queue().addMany({"C:\\a.vcf", "C:\\b.vcf", "C:\\Zoë\\c.vcf", "C:\\a.vcf"});
    pump();
    ASSERT_EQ(rows(), 4);
    EXPECT_EQ(rowText(2), L"C:\\Zoë\\c.vcf");
    EXPECT_EQ(rowText(3), L"C:\\a.vcf"); // duplicates kept

    // The Delete key, with Shift held, removes the selected row all the same.
    select(1);
    SetFocus(list);
    NMLVKEYDOWN key{};
    key.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), LVN_KEYDOWN};
    key.wVKey = VK_DELETE;
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window->handle(), WM_NOTIFY, key.hdr.idFrom, reinterpret_cast<LPARAM>(&key));
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    pump();
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(rowText(1), L"C:\\Zoë\\c.vcf");

    // A double-click removes whichever row is selected.
    select(0);
    NMITEMACTIVATE click{};
    click.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), NM_DBLCLK};
    click.iItem = 2; // where it landed does not matter
    SendMessageW(window->handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    pump();
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(rowText(0), L"C:\\Zoë\\c.vcf");

    // With nothing selected neither gesture does anything.
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    SendMessageW(window->handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    SendMessageW(window->handle(), WM_NOTIFY, key.hdr.idFrom, reinterpret_cast<LPARAM>(&key));
    EXPECT_EQ(rows(), 2);

    // Clear File List, sent as the toolbar sends it.
    SendMessageW(window->handle(), WM_COMMAND,
                 MAKEWPARAM(static_cast<int>(CommandId::ClearList), 0), 0);
    EXPECT_EQ(rows(), 0);
}

TEST_F(MainWindowTest, RowsArriveThroughTheAppendMessageInOrder) {
    const std::wstring block = std::wstring(L"C:\\x\\1.vcf") + L'\0' + L"D:\\y z\\2.vcf" + L'\0';
    COPYDATASTRUCT data{CopyDataAppendRows, static_cast<DWORD>(block.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(block.data())};
    EXPECT_TRUE(SendMessageW(window->handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(rowText(1), L"D:\\y z\\2.vcf");
    // Any other copy-data is not ours and adds nothing.
    data.dwData = 7;
    EXPECT_FALSE(SendMessageW(window->handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    EXPECT_EQ(rows(), 2);
}

TEST_F(MainWindowTest, AMouseMoveKeepsTheHourglassAndTheProgressShowsTextAndValue) {
    window->setPointer(PointerKind::Hourglass);
    SendMessageW(window->handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(window->pointer(), PointerKind::Hourglass);
    window->setPointer(PointerKind::Arrow);
    SendMessageW(window->handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(window->pointer(), PointerKind::Arrow);

    wchar_t text[64];
    GetWindowTextW(progress, text, 64);
    EXPECT_STREQ(text, L"Progress Bar");
    window->setProgressText("Processing: Ann.vcf");
    window->setProgressValue(250); // more than 100 shows as 100
    GetWindowTextW(progress, text, 64);
    EXPECT_STREQ(text, L"Processing: Ann.vcf");
    EXPECT_EQ(SendMessageW(progress, ProgressGetValue, 0, 0), 10000);
}

TEST_F(MainWindowTest, ClosingInsideAYieldEndsTheOperationAndSavesThePlacement) {
    SetWindowPos(window->handle(), nullptr, 30, 45, 640, 600, SWP_NOZORDER);
    PostMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window->yield(), YieldResult::WindowClosing);
    EXPECT_TRUE(window->closing());
    EXPECT_EQ(window->yield(), YieldResult::WindowClosing);
    // The quit reaches the outer loop too.
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    wchar_t value[32];
    DWORD size = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER,
                           L"Software\\QuorvaneTest\\Settings\\Trelvik\\Quorvane", L"Left",
                           RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L"450");
}

TEST_F(MainWindowTest, ClosingDuringAFolderSearchEndsItAtOnceAndKeepsWhatWasQueued) {
    // A tree big enough that the search yields many times.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"quorvane-close-search";
    CreateDirectoryW(root.c_str(), nullptr);
    int files = 0;
    for (int folder = 0; folder < 200; ++folder) {
        const std::wstring sub = root + L"\\f" + std::to_wstring(folder);
        CreateDirectoryW(sub.c_str(), nullptr);
        for (int file = 0; file < 5; ++file, ++files) {
            const ScopedFile created(
                CreateFileW((sub + L"\\c" + std::to_wstring(file) + L".vcf").c_str(), GENERIC_WRITE,
                            0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    dialogs.folder = toUtf8(root);

    // The close waits in the queue; the search's first yield handles it.
    PostMessageW(window->handle(), WM_CLOSE, 0, 0);
    const auto started = std::chrono::steady_clock::now();
    window->form().AddFolder();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(window->closing());
    EXPECT_LT(window->form().queue().count(), static_cast<std::size_t>(files));
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace

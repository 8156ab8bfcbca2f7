// The real main window, created in this process: layout at a known size, the
// virtual list over the queue, the removal gestures and type-ahead from real
// keys, the pointer rule, message boxes, the taskbar, the wait and the end of
// the session.

#include "box_answerer.h"
#include "class_override.h"
#include "support/chosen_folder_dialogs.h"
#include "support/message_pump.h"

#include "app/commands.h"
#include "platform/clock.h"
#include "platform/win32/automation_messages.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/com_object.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/import_lock_win32.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/regional_settings_win32.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/run_storage_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/system_facts_win32.h"
#include "platform/win32/text_folding_win32.h"
#include "platform/win32/wide_text.h"
#include "queue/folder_search.h"
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>
#include <shobjidl.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

using namespace quorvane;
using namespace quorvane::win32;
using test::ChosenFolderDialogs;
using test::pump;
using test::pumpFor;

namespace {

INPUT keyInput(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    // Delete sits in the navigation block: an extended key, as a keyboard sends it.
    input.ki.dwFlags = flags | (key == VK_DELETE ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

// Presses the keys in order and lets go of them in reverse, through the
// system's input queue as a keyboard would, then lets the window handle them.
void pressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(keyInput(key, 0));
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        inputs.push_back(keyInput(*key, KEYEVENTF_KEYUP));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    pumpFor(std::chrono::milliseconds(100));
}

// Types the characters quickly enough that the list takes them as one word.
void typeText(std::wstring_view text) {
    for (wchar_t character : text) {
        INPUT keys[2]{};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = character;
            key.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        pumpFor(std::chrono::milliseconds(30));
    }
    pumpFor(std::chrono::milliseconds(50));
}

// Real time, which a test can make run faster: every read moves it on by
// `extraPerRead` more, so work that yields on a time slice yields at once.
// The folder search's thread reads it too.
class HurriedClock final : public Clock {
public:
    std::atomic<std::chrono::milliseconds> extraPerRead{std::chrono::milliseconds(0)};
    TimePoint now() const override {
        const auto ahead = ahead_ += extraPerRead.load().count();
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(ahead);
    }

private:
    mutable std::atomic<std::chrono::milliseconds::rep> ahead_{0};
};

// The taskbar's progress as the program sets it, through an object that
// stands in for the shell's taskbar while it is registered.
class RecordingTaskbar final : public ComObject<ITaskbarList3> {
public:
    std::vector<TBPFLAG> states;
    std::vector<ULONGLONG> values;

    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG state) override {
        states.push_back(state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG done, ULONGLONG) override {
        values.push_back(done);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }
};

RECT childRect(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class MainWindowTest : public ::testing::Test {
protected:
    ComApartment ole{ComApartment::Kind::Ole}; // for the drop target and folder browser

    void SetUp() override {
        window = std::make_unique<MainWindow>(
            GetModuleHandleW(nullptr),
            PlatformServices{settings, outlook, shell, dialogs, clock, files, storage, codePages,
                             textFolding, regional, importLock, systemFacts});
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
    std::vector<std::wstring> allRows() const {
        std::vector<std::wstring> texts;
        for (int i = 0; i < rows(); ++i)
            texts.push_back(rowText(i));
        return texts;
    }
    int selectedIndex() const { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }
    // Real keys go to the focused window of the foreground window.
    void focusList() {
        SetForegroundWindow(window->handle());
        SetFocus(list);
        pumpFor(std::chrono::milliseconds(100));
        ASSERT_EQ(GetFocus(), list);
    }
    std::optional<std::wstring> placement(const wchar_t* name) const {
        wchar_t value[32];
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\QuorvaneTest\\Settings\\Trelvik\\Quorvane",
                         name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(value);
    }

    RegistrySettingsStore settings{HKEY_CURRENT_USER, "Software\\QuorvaneTest\\Settings"};
    ComOutlookAutomation outlook{"Quorvane.NoSuchServer"};
    Win32ShellLauncher shell;
    ChosenFolderDialogs dialogs;
    HurriedClock clock;
    Win32FileSystem files;
    Win32RunStorage storage;
    Win32CodePages codePages;
    Win32TextFolding textFolding;
    Win32RegionalSettings regional;
    Win32ImportLock importLock;
    Win32SystemFacts systemFacts;
    std::unique_ptr<MainWindow> window;
    HWND list = nullptr;
    HWND progress = nullptr;
};

TEST_F(MainWindowTest, StartsCentredAtItsDesignClientSizeWithTheColumnAndCaption) {
    // 9195 x 8580 twips at 96 DPI.
    ASSERT_EQ(GetDpiForWindow(window->handle()), 96u);
    RECT client;
    GetClientRect(window->handle(), &client);
    EXPECT_NEAR(client.right, 613, 1);
    EXPECT_NEAR(client.bottom, 572, 1);

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
    EXPECT_NEAR(afterMinimise.right - afterMinimise.left, 617, 1);
    EXPECT_NEAR(afterMinimise.bottom - afterMinimise.top, 441, 1);
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

TEST_F(MainWindowTest, TheProgressShowsTextAndValue) {
    wchar_t text[64];
    GetWindowTextW(progress, text, 64);
    EXPECT_STREQ(text, L"Progress Bar");
    window->setProgressText("Processing: Ann.vcf");
    window->setProgressValue(250); // more than 100 shows as 100
    GetWindowTextW(progress, text, 64);
    EXPECT_STREQ(text, L"Processing: Ann.vcf");
    EXPECT_EQ(SendMessageW(progress, ProgressGetValue, 0, 0), 10000);
}

// A change that comes within the bar's refresh period of the one before,
// once that one has been painted, is shown when the period ends, even when
// no change follows it and the run only waits (for Outlook, say).
TEST_F(MainWindowTest, TheLastOfQuickChangesIsShownAfterThePause) {
    window->setProgressText("Processing: 0001 Ann.vcf");
    UpdateWindow(progress); // painted: nothing is due any more
    window->setProgressText("Processing: 0002 Bob.vcf");
    wchar_t text[64] = {};
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < until) {
        (void)window->waitForEvents(std::chrono::milliseconds(20));
        GetWindowTextW(progress, text, 64);
        if (std::wstring_view(text) == L"Processing: 0002 Bob.vcf")
            break;
    }
    EXPECT_STREQ(text, L"Processing: 0002 Bob.vcf");
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
    // However fast the disk, the search yields at its first chance.
    clock.extraPerRead = SearchYieldSlice;

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

// Alt+Delete reaches the list as a system key, which the list never reports
// as LVN_KEYDOWN; every Delete still removes the selected row. Real keys, so
// the system decides how each arrives.
TEST_F(MainWindowTest, DeleteRemovesTheSelectedRowWithAltShiftCtrlOrNothingHeld) {
    window->form().queue().addMany(
        {"C:\\0.vcf", "C:\\1.vcf", "C:\\2.vcf", "C:\\3.vcf", "C:\\4.vcf", "C:\\5.vcf"});
    pump();
    ASSERT_NO_FATAL_FAILURE(focusList());
    const std::vector<std::pair<const char*, std::vector<WORD>>> presses = {
        {"Alt", {VK_MENU, VK_DELETE}},
        {"nothing", {VK_DELETE}}, // Alt let go after a key opens no window menu
        {"Shift", {VK_SHIFT, VK_DELETE}},
        {"Ctrl", {VK_CONTROL, VK_DELETE}},
    };
    int expectedRows = rows();
    for (const auto& [held, keys] : presses) {
        SCOPED_TRACE(held);
        const std::wstring chosen = rowText(1);
        select(1);
        pressKeys(keys);
        ASSERT_EQ(rows(), --expectedRows);
        for (const std::wstring& row : allRows())
            EXPECT_NE(row, chosen);
        EXPECT_EQ(rowText(0), L"C:\\0.vcf");
        EXPECT_EQ(GetFocus(), list);
    }
}

// Type-ahead: typing the start of a row selects the next row that starts so,
// as the list shows it (whole paths), letter case aside and past the last row
// round to the first; a Delete then removes that row, never the first.
TEST_F(MainWindowTest, TypingTheStartOfARowSelectsItSoDeleteRemovesThatRow) {
    window->form().queue().addMany({"C:\\contacts\\Ann.vcf", "D:\\cards\\Bob.vcf",
                                    "\\\\alpha\\share\\Cid.vcf", "\\\\beta\\share\\Dee.vcf",
                                    "d:\\more\\Eve.vcf", "E:\\Fay.vcf"});
    pump();
    ASSERT_NO_FATAL_FAILURE(focusList());
    const auto typeThenDelete = [&](int from, std::wstring_view typed) {
        // A pause first, so the list starts a new word.
        pumpFor(std::chrono::milliseconds(1200));
        select(from);
        typeText(typed);
        const int chosen = selectedIndex();
        pressKeys({VK_DELETE});
        return chosen;
    };
    using Rows = std::vector<std::wstring>;

    ASSERT_EQ(typeThenDelete(0, L"d"), 1);
    EXPECT_EQ(allRows(), (Rows{L"C:\\contacts\\Ann.vcf", L"\\\\alpha\\share\\Cid.vcf",
                               L"\\\\beta\\share\\Dee.vcf", L"d:\\more\\Eve.vcf", L"E:\\Fay.vcf"}));
    // Every letter typed narrows the search.
    ASSERT_EQ(typeThenDelete(0, L"\\\\b"), 2);
    EXPECT_EQ(allRows(), (Rows{L"C:\\contacts\\Ann.vcf", L"\\\\alpha\\share\\Cid.vcf",
                               L"d:\\more\\Eve.vcf", L"E:\\Fay.vcf"}));
    // From the last row the search goes on at the first.
    ASSERT_EQ(typeThenDelete(3, L"\\"), 1);
    EXPECT_EQ(allRows(), (Rows{L"C:\\contacts\\Ann.vcf", L"d:\\more\\Eve.vcf", L"E:\\Fay.vcf"}));
    ASSERT_EQ(typeThenDelete(0, L"D"), 1);
    EXPECT_EQ(allRows(), (Rows{L"C:\\contacts\\Ann.vcf", L"E:\\Fay.vcf"}));
    // Letters no row starts with leave the selection where it was.
    ASSERT_EQ(typeThenDelete(1, L"q"), 1);
    EXPECT_EQ(allRows(), (Rows{L"C:\\contacts\\Ann.vcf"}));
}

// Log off and shut down end the process after WM_ENDSESSION, without WM_CLOSE.
TEST_F(MainWindowTest, EndingTheSessionStoresThePlacementAsClosingDoes) {
    SetWindowPos(window->handle(), nullptr, 30, 45, 640, 600, SWP_NOZORDER);
    EXPECT_TRUE(SendMessageW(window->handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    // Another program cancelled the end: nothing is stored and nothing ends.
    SendMessageW(window->handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(window->closing());
    EXPECT_FALSE(placement(L"Left"));

    SendMessageW(window->handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(window->closing());
    EXPECT_EQ(placement(L"Left"), L"450");
    EXPECT_EQ(placement(L"Top"), L"675");
    EXPECT_EQ(placement(L"Width"), L"9600");
    EXPECT_EQ(placement(L"Height"), L"9000");
    EXPECT_EQ(window->yield(), YieldResult::WindowClosing);
}

// While Outlook opens a file the run waits here; a wait that spins instead of
// sleeping on the message queue keeps a processor busy for nothing.
TEST_F(MainWindowTest, WaitingForEventsLeavesTheProcessorFree) {
    pump();
    const auto cpuTime = [] {
        FILETIME created, exited, kernel, user;
        GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
        const auto ticks = [](const FILETIME& time) {
            return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        };
        return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
    };
    using namespace std::chrono;
    constexpr milliseconds Waited{1000};
    const auto cpuBefore = cpuTime();
    const auto started = steady_clock::now();
    int waits = 0;
    for (auto passed = 0ms; passed < Waited;
         passed = duration_cast<milliseconds>(steady_clock::now() - started), ++waits)
        ASSERT_EQ(window->waitForEvents(Waited - passed), YieldResult::KeepGoing);
    const auto cpu = cpuTime() - cpuBefore;
    EXPECT_LT(cpu, Waited / 5) << waits << " waits";
}

TEST_F(MainWindowTest, BoxesAndPointersFollowTheStyleAsked) {
    {
        BoxAnswerer boxes;
        window->showMessage("Plain words.", MessageStyle::Plain, std::nullopt);
        window->showMessage("A warning.", MessageStyle::Exclamation, "Application Error");
        const auto seen = boxes.seen();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].title, L"Quorvane");
        EXPECT_EQ(seen[0].text, L"Plain words.");
        EXPECT_FALSE(seen[0].icon);
        EXPECT_EQ(seen[0].buttons, 1);
        EXPECT_EQ(seen[1].title, L"Application Error");
        EXPECT_TRUE(seen[1].icon);
        EXPECT_EQ(seen[1].buttons, 1);
    }

    // The pointer over the list, as the window decides it.
    SetForegroundWindow(window->handle());
    RECT bounds;
    GetWindowRect(list, &bounds);
    const POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    POINT at{};
    for (int tries = 0; tries < 20 && (at.x != centre.x || at.y != centre.y); ++tries) {
        SetCursorPos(centre.x, centre.y);
        pumpFor(std::chrono::milliseconds(50));
        GetCursorPos(&at);
    }
    ASSERT_EQ(WindowFromPoint(centre), list);
    const auto pointerShown = [&] {
        SendMessageW(window->handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(list),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    window->setPointer(PointerKind::Hourglass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    // A mouse move, over the window or over the list, never clears it.
    SendMessageW(window->handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(pointerShown(), LoadCursorW(nullptr, IDC_WAIT));
    window->setPointer(PointerKind::Arrow);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(pointerShown(), LoadCursorW(nullptr, IDC_ARROW));
}

// The taskbar button shows a run's progress and rests again when the run says
// it has ended; the text of the bar means nothing to it.
TEST_F(MainWindowTest, TheTaskbarShowsProgressUntilTheRunEnds) {
    auto taskbar = makeComObject<RecordingTaskbar>();
    ScopedClassOverride override(CLSID_TaskbarList, [&](REFIID iid, void** out) {
        return taskbar->QueryInterface(iid, out);
    });
    ASSERT_TRUE(override.registered());

    window->setProgressText("Processing: Ann.vcf");
    window->setProgressValue(40);
    EXPECT_EQ(taskbar->states, std::vector<TBPFLAG>{TBPF_NORMAL});
    EXPECT_EQ(taskbar->values, std::vector<ULONGLONG>{4000});
    window->setProgressValue(0);
    window->setProgressText("Progress Bar");
    EXPECT_EQ(taskbar->states, std::vector<TBPFLAG>{TBPF_NORMAL});

    window->runEnded();
    EXPECT_EQ(taskbar->states, (std::vector<TBPFLAG>{TBPF_NORMAL, TBPF_NOPROGRESS}));
    // The next run shows its progress afresh.
    window->setProgressValue(50);
    EXPECT_EQ(taskbar->states, (std::vector<TBPFLAG>{TBPF_NORMAL, TBPF_NOPROGRESS, TBPF_NORMAL}));
}

} // namespace

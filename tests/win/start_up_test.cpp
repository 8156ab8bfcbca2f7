// The main window's start-up when a part of it cannot come up, with faults
// the system itself can produce: a window class refused at creation, an
// imaging component that will not start, a skin with a mistake beside the
// program. Each is told once in a box; only a window
// without its commands does not open.

#include "box_answerer.h"
#include "class_override.h"
#include "platform/clock.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/import_lock_win32.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/regional_settings_win32.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/run_storage_win32.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/system_facts_win32.h"
#include "platform/win32/text_folding_win32.h"
#include "platform/win32/wide_text.h"
#include "shell/main_window.h"
#include "support/chosen_folder_dialogs.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>
#include <wincodec.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

using namespace quorvane;
using namespace quorvane::win32;

namespace {

// Refuses every window of one class created on this thread while it lives, as
// a system short of resources would.
class RefusedWindowClass {
public:
    explicit RefusedWindowClass(const wchar_t* className)
        : hook_(SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId())) {
        refused_ = className;
    }
    ~RefusedWindowClass() {
        UnhookWindowsHookEx(hook_);
        refused_ = nullptr;
    }
    RefusedWindowClass(const RefusedWindowClass&) = delete;
    RefusedWindowClass& operator=(const RefusedWindowClass&) = delete;
    bool hooked() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK refuse(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) {
            const wchar_t* created = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
            if (refused_ && !IS_INTRESOURCE(created) && lstrcmpiW(created, refused_) == 0)
                return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline const wchar_t* refused_ = nullptr;
    HHOOK hook_;
};

bool startsWith(const std::wstring& text, const std::wstring& start) {
    return text.rfind(start, 0) == 0;
}
bool endsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class StartUpTest : public ::testing::Test {
protected:
    ComApartment ole{ComApartment::Kind::Ole}; // for the drop target and folder browser
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvaneTest\\StartUp");
    }

    std::unique_ptr<MainWindow> makeWindow() {
        return std::make_unique<MainWindow>(
            GetModuleHandleW(nullptr),
            PlatformServices{settings, outlook, shell, dialogs, clock, files, storage, codePages,
                             textFolding, regional, importLock, systemFacts});
    }
    // Opens the window, which must come up visible with its five buttons
    // whatever part of it failed; the boxes it showed on the way.
    std::vector<BoxAnswerer::Box> boxesOfAWindowThatOpens() {
        BoxAnswerer boxes;
        auto window = makeWindow();
        if (!window->create(SW_SHOWNORMAL)) {
            ADD_FAILURE() << "the window did not open";
            return boxes.seen();
        }
        EXPECT_TRUE(IsWindowVisible(window->handle()));
        HWND toolbar = FindWindowExW(window->handle(), nullptr, TOOLBARCLASSNAMEW, nullptr);
        EXPECT_EQ(toolbar ? SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0) : -1, 5);
        return boxes.seen();
    }

    RegistrySettingsStore settings{HKEY_CURRENT_USER, "Software\\QuorvaneTest\\StartUp"};
    ComOutlookAutomation outlook{"Quorvane.NoSuchServer"};
    Win32ShellLauncher shell;
    test::ChosenFolderDialogs dialogs;
    SteadyClock clock;
    Win32FileSystem files;
    Win32RunStorage storage;
    Win32CodePages codePages;
    Win32TextFolding textFolding;
    Win32RegionalSettings regional;
    Win32ImportLock importLock;
    Win32SystemFacts systemFacts;
};

TEST_F(StartUpTest, AllPartsUpMeansNoBoxAndFiveButtons) {
    EXPECT_TRUE(boxesOfAWindowThatOpens().empty());
}

// A window without its commands is no use: one box says so and it never opens.
TEST_F(StartUpTest, WithoutItsCommandBarTheWindowSaysSoOnceAndDoesNotOpen) {
    const RefusedWindowClass refused(TOOLBARCLASSNAMEW);
    ASSERT_TRUE(refused.hooked());
    BoxAnswerer boxes;
    auto window = makeWindow();
    EXPECT_FALSE(window->create(SW_SHOWNORMAL));
    EXPECT_FALSE(IsWindowVisible(window->handle()));
    const auto seen = boxes.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"Quorvane");
    EXPECT_TRUE(startsWith(seen[0].text, L"The toolbar could not be created: "))
        << toUtf8(seen[0].text);
    EXPECT_TRUE(endsWith(seen[0].text, L"so Quorvane closes.")) << toUtf8(seen[0].text);
    EXPECT_TRUE(seen[0].icon);
}

TEST_F(StartUpTest, MissingPicturesAreToldOnceAndTheButtonsStayWithTheirCaptions) {
    const ScopedClassOverride noImaging(CLSID_WICImagingFactory,
                                        [](REFIID, void**) { return E_ACCESSDENIED; });
    ASSERT_TRUE(noImaging.registered());
    const auto seen = boxesOfAWindowThatOpens();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(startsWith(seen[0].text, L"The toolbar pictures could not be loaded: "))
        << toUtf8(seen[0].text);
    EXPECT_NE(seen[0].text.find(toWide(systemMessage(static_cast<unsigned long>(E_ACCESSDENIED)))),
              std::wstring::npos)
        << toUtf8(seen[0].text);
    EXPECT_TRUE(endsWith(seen[0].text, L"The buttons show their captions only."));
}

// Dropped files reach the window through a message-only window of the drop
// target's own (QuorvaneDropRelay); without it the list takes no drops.
TEST_F(StartUpTest, AListThatCannotTakeDropsSaysSoOnceAndTheWindowStillOpens) {
    const RefusedWindowClass refused(L"QuorvaneDropRelay");
    ASSERT_TRUE(refused.hooked());
    const auto seen = boxesOfAWindowThatOpens();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Files dropped on the list cannot be taken: Windows refused the "
                            L"window that receives them. Add them with Add VCF Files or Add "
                            L"Folder instead.");
}

// The skin is looked for beside the program file, whichever program that is.
TEST_F(StartUpTest, ASkinBesideTheProgramIsFoundAndAMistakeInItToldOnce) {
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::wstring folder(program, length);
    folder.resize(folder.find_last_of(L'\\'));
    const std::wstring skinFolder = folder + L"\\x";
    const std::wstring skin = skinFolder + L"\\o.cjs";
    const bool madeFolder = CreateDirectoryW(skinFolder.c_str(), nullptr) != FALSE;
    std::ofstream(skin.c_str(), std::ios::binary) << "[window]\ntext = #000000\n";
    struct Tidy {
        std::wstring skin, folder;
        bool madeFolder;
        ~Tidy() {
            DeleteFileW(skin.c_str());
            if (madeFolder)
                RemoveDirectoryW(folder.c_str());
        }
    } tidy{skin, skinFolder, madeFolder};

    const auto seen = boxesOfAWindowThatOpens();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(startsWith(seen[0].text, L"The skin file " + skin + L" has a mistake on line 2: "))
        << toUtf8(seen[0].text);
    EXPECT_TRUE(endsWith(seen[0].text, L"Quorvane starts without the skin."));
}

} // namespace

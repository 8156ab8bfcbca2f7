// The command bar on a plain parent window of the test's own: its buttons,
// its pictures (decoded with WIC from this program's resources), its size at
// 100 % and 200 %, real mouse clicks arriving as commands, and the menu under
// Start Importing's arrow.

#include "support/desktop_input.h"
#include "support/message_pump.h"

#include "app/command_table.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"
#include "shell/command_bar.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace quorvane::win32 {
namespace {

using namespace std::chrono_literals;
using test::pumpFor;
using test::waitUntil;

constexpr wchar_t ParentClass[] = L"QuorvaneCommandBarTestParent";
constexpr int BarId = 102;
// The list's fixed top, 1260 twips, in pixels at 96 DPI: the bar must end above it.
constexpr int ListTopAt96 = 84;
// The buttons left to right, as the user sees them; the IDs do not follow.
constexpr CommandId BarOrder[] = {CommandId::AddFiles, CommandId::AddFolder, CommandId::ClearList,
                                  CommandId::Start, CommandId::Help};

// The bar's parent: a plain window that records the commands it receives.
class ParentWindow final : public test::TopmostWindow {
public:
    std::vector<WPARAM> commands;

    bool create() {
        return createTopmost(GetModuleHandleW(nullptr), {ParentClass, L"Command bar test",
                                                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                                         WHITE_BRUSH, 40, 40, 700, 300});
    }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_COMMAND)
            return defaultHandling(message, wParam, lParam);
        commands.push_back(wParam);
        return 0;
    }
};

// The image list's pixels, straight BGRA, rows top-down.
struct Picture {
    std::vector<std::uint32_t> pixels;
    int size = 0;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

Picture readPicture(HIMAGELIST images, int index) {
    IMAGEINFO info{};
    if (!ImageList_GetImageInfo(images, index, &info))
        return {};
    Picture picture;
    picture.size = info.rcImage.right - info.rcImage.left;
    BITMAP strip{};
    GetObjectW(info.hbmImage, sizeof strip, &strip);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = strip.bmWidth;
    format.bmiHeader.biHeight = -strip.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> all(static_cast<std::size_t>(strip.bmWidth * strip.bmHeight));
    const ScopedWindowDc screen(nullptr);
    GetDIBits(screen.get(), info.hbmImage, 0, static_cast<UINT>(strip.bmHeight), all.data(),
              &format, DIB_RGB_COLORS);
    for (int y = info.rcImage.top; y < info.rcImage.bottom; ++y)
        for (int x = info.rcImage.left; x < info.rcImage.right; ++x)
            picture.pixels.push_back(all[static_cast<std::size_t>(y * strip.bmWidth + x)]);
    return picture;
}

int alpha(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 24);
}
int red(std::uint32_t pixel) {
    return static_cast<int>((pixel >> 16) & 0xFF);
}
int green(std::uint32_t pixel) {
    return static_cast<int>((pixel >> 8) & 0xFF);
}
int blue(std::uint32_t pixel) {
    return static_cast<int>(pixel & 0xFF);
}

// Moves the pointer until the system says it is there: under Wine the
// pointer reaches the X server asynchronously, and a press sent with the
// move can land where the pointer was before.
bool pointerAt(POINT target) {
    POINT at{};
    GetCursorPos(&at);
    return at.x == target.x && at.y == target.y;
}

// The menu as the test saw it while it was up, and the click on its third
// item. Menus run a modal loop of their own, so the test acts from a timer
// that fires inside that loop, one step a tick: find the menu, move onto the
// item, press, let go.
struct MenuVisit {
    HMENU shown = nullptr;
    RECT bounds{};
    POINT target{};
    int ticks = 0;
    bool pressed = false;
};
MenuVisit* menuVisit = nullptr;

void CALLBACK chooseThirdMenuItem(HWND, UINT, UINT_PTR, DWORD) {
    MenuVisit& visit = *menuVisit;
    if (++visit.ticks > 60) {
        EndMenu(); // nothing chosen; the expectations say what went wrong
        return;
    }
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup))
        return;
    if (!visit.shown) {
        visit.shown = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        GetWindowRect(popup, &visit.bounds);
        RECT item{};
        GetMenuItemRect(nullptr, visit.shown, 2, &item);
        visit.target = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    }
    if (!pointerAt(visit.target)) {
        test::movePointer(visit.target);
        return;
    }
    if (!visit.pressed) {
        visit.pressed = test::pressLeftButton();
        return;
    }
    test::releaseLeftButton();
}

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[128]{};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

UINT menuState(HMENU menu, UINT position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    GetMenuItemInfoW(menu, position, TRUE, &item);
    return item.fState;
}

class CommandBarTest : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(parentWindow->create());
        parent = parentWindow->handle();
        toolbar = bar.create(parent, BarId, GetModuleHandleW(nullptr), 96);
        ASSERT_NE(toolbar, nullptr);
    }
    // The bar's window goes with its parent, before the bar itself.
    void TearDown() override { parentWindow.reset(); }

    POINT centreOf(int position) const {
        const RECT button = buttonBounds(position);
        POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        ClientToScreen(toolbar, &centre);
        return centre;
    }
    RECT buttonBounds(int position) const {
        RECT button{};
        SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&button));
        return button;
    }

    // The move goes first and settles before the press.
    void click(POINT screen) {
        for (int tries = 0; tries < 20 && !pointerAt(screen); ++tries) {
            ASSERT_TRUE(test::movePointer(screen));
            pumpFor(50ms);
        }
        pumpFor(100ms);
        ASSERT_TRUE(test::pressLeftButton());
        ASSERT_TRUE(test::releaseLeftButton());
    }

    void showParent() {
        ShowWindow(parent, SW_SHOW);
        SetForegroundWindow(parent);
        UpdateWindow(parent);
        pumpFor(200ms);
    }

    int height() const {
        RECT bounds;
        GetWindowRect(toolbar, &bounds);
        return bounds.bottom - bounds.top;
    }

    // Every caption fits its button, and every button fits the bar.
    void expectNothingClipped() const {
        const ScopedWindowDc dc(toolbar);
        const ScopedSelection font(
            dc.get(), reinterpret_cast<HFONT>(SendMessageW(toolbar, WM_GETFONT, 0, 0)));
        RECT client;
        GetClientRect(toolbar, &client);
        for (int i = 0; i < static_cast<int>(CommandBarButtons.size()); ++i) {
            const std::wstring caption =
                toWide(CommandBarButtons[static_cast<std::size_t>(i)].caption);
            SIZE text{};
            GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()),
                                  &text);
            RECT button{};
            SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&button));
            // The toolbar insets the caption by an edge on either side and
            // cuts it short with an ellipsis when it does not fit.
            EXPECT_GE(button.right - button.left - 2 * GetSystemMetrics(SM_CXEDGE), text.cx)
                << toUtf8(caption);
            EXPECT_LE(button.bottom, client.bottom) << toUtf8(caption);
            EXPECT_LE(button.right, client.right) << toUtf8(caption);
        }
    }

    ComApartment apartment;
    std::unique_ptr<ParentWindow> parentWindow = std::make_unique<ParentWindow>();
    HWND parent = nullptr;
    CommandBar bar;
    HWND toolbar = nullptr;
};

TEST_F(CommandBarTest, FiveButtonsInBarOrderEachWithItsCaptionIdAndOwnPicture) {
    ASSERT_FALSE(bar.pictureFailure()) << bar.pictureFailure()->description;
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5);
    const wchar_t* expectedCaptions[] = {L"Add VCF Files", L"Add Folder", L"Clear File List",
                                         L"Start Importing", L"Help"};
    // The picture list is stored Clear File List, Start Importing, Add Folder,
    // Add VCF Files, Help.
    const int expectedPictures[] = {3, 2, 0, 1, 4};
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ(button.idCommand, static_cast<int>(BarOrder[i]));
        EXPECT_EQ(button.iBitmap, expectedPictures[i]);
        wchar_t caption[64]{};
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand),
                     reinterpret_cast<LPARAM>(caption));
        EXPECT_STREQ(caption, expectedCaptions[i]);
    }
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0)),
              bar.images());
    EXPECT_EQ(GetMenu(parent), nullptr);
}

TEST_F(CommandBarTest, TheImageListHoldsFive48PixelPicturesWithAlphaInStorageOrder) {
    HIMAGELIST images = bar.images();
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 5);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 48);
    EXPECT_EQ(height, 48);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(images, 0, &info));
    BITMAP strip{};
    GetObjectW(info.hbmImage, sizeof strip, &strip);
    EXPECT_EQ(strip.bmBitsPixel, 32);

    // One tell-tale opaque pixel per picture, so a list in the wrong order or
    // with lost colours shows; and every corner is see-through.
    const Picture clear = readPicture(images, 0);
    const Picture start = readPicture(images, 1);
    const Picture folder = readPicture(images, 2);
    const Picture card = readPicture(images, 3);
    const Picture help = readPicture(images, 4);
    for (const Picture* picture : {&clear, &start, &folder, &card, &help}) {
        ASSERT_EQ(picture->size, 48);
        EXPECT_EQ(alpha(picture->at(0, 0)), 0);
        EXPECT_EQ(alpha(picture->at(47, 0)), 0);
    }
    const std::uint32_t cross = clear.at(33, 35); // the red cross
    EXPECT_EQ(alpha(cross), 255);
    EXPECT_GT(red(cross), green(cross) + 80);
    const std::uint32_t wand = start.at(30, 30); // the black wand
    EXPECT_EQ(alpha(wand), 255);
    EXPECT_LT(red(wand) + green(wand) + blue(wand), 240);
    const std::uint32_t front = folder.at(12, 30); // the folder's yellow front
    EXPECT_EQ(alpha(front), 255);
    EXPECT_GT(red(front), 200);
    EXPECT_LT(blue(front), 160);
    const std::uint32_t header = card.at(20, 10); // the card's blue header
    EXPECT_EQ(alpha(header), 255);
    EXPECT_GT(blue(header), red(header) + 60);
    const std::uint32_t disc = help.at(9, 24); // the yellow disc
    EXPECT_EQ(alpha(disc), 255);
    EXPECT_GT(red(disc), 200);
    EXPECT_GT(green(disc), 150);
    EXPECT_LT(blue(disc), 120);
}

TEST_F(CommandBarTest, FitsAboveTheListAndClipsNothingAt100And200Percent) {
    EXPECT_LE(height(), ListTopAt96);
    expectNothingClipped();

    bar.setDpi(144);
    int width = 0;
    int size = 0;
    ImageList_GetIconSize(bar.images(), &width, &size);
    EXPECT_EQ(size, 72);

    // At 200 % the main window is twice as wide too.
    SetWindowPos(parent, nullptr, 0, 0, 1300, 600, SWP_NOMOVE | SWP_NOZORDER);
    bar.setDpi(192);
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    ImageList_GetIconSize(bar.images(), &width, &size);
    EXPECT_EQ(size, 96);
    EXPECT_EQ(ImageList_GetImageCount(bar.images()), 5);
    EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5);
    EXPECT_LE(height(), 2 * ListTopAt96);
    EXPECT_GT(height(), ListTopAt96); // it did grow with the pictures
    expectNothingClipped();
}

TEST_F(CommandBarTest, ARealClickOnEachButtonReachesTheParentAsItsCommand) {
    showParent();
    for (int i = 0; i < 5; ++i) {
        // Start Importing's centre lies on the button itself, left of its
        // arrow: pressed there it imports, as it always did.
        click(centreOf(i));
        pumpFor(150ms);
    }
    std::vector<WPARAM> expected;
    for (const CommandId id : BarOrder)
        expected.push_back(static_cast<WPARAM>(id));
    EXPECT_EQ(parentWindow->commands, expected);
}

// Only Start Importing has an arrow, and its menu lists the three ways to
// import in the command table's order, the button's own command in bold.
TEST_F(CommandBarTest, StartImportingIsASplitButtonWhoseMenuOffersTheThreeWaysToImport) {
    EXPECT_TRUE(SendMessageW(toolbar, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_DRAWDDARROWS);
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&button)));
        const bool split = (button.fsStyle & BTNS_DROPDOWN) != 0;
        EXPECT_EQ(split, BarOrder[i] == CommandId::Start) << i;
        EXPECT_EQ(bar.menu(button.idCommand) != nullptr, split) << i;
    }

    HMENU menu = bar.menu(static_cast<int>(CommandId::Start));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    // A separator (ID 0, no text) sets taking an import back and checking
    // Outlook apart.
    const std::vector<std::pair<UINT, std::wstring>> expected{
        {1002, L"Start Importing"},
        {1005, L"Import Without Windows"},
        {1006, L"Import Without Windows Into Folder\u2026"},
        {0, L""},
        {1007, L"Undo Last Import\u2026"},
        {1008, L"Check Outlook\u2026"}};
    for (UINT i = 0; i < 6; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), expected[i].first);
        EXPECT_EQ(menuText(menu, i), expected[i].second);
        // MFS_DEFAULT is what the system draws in bold.
        EXPECT_EQ((menuState(menu, i) & MFS_DEFAULT) != 0, i == 0) << i;
    }
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(CommandId::Start));
}

// A person's click on the arrow opens the menu below the button; the item
// clicked arrives as its command, as a button's click does, and the button
// itself gives no command of its own on the way.
TEST_F(CommandBarTest,
       ARealClickOnTheArrowOpensTheMenuBelowTheButtonAndTheItemArrivesAsItsCommand) {
    showParent();
    const int start = 3;
    RECT button = buttonBounds(start);
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    const POINT arrow{button.right - 4, (button.top + button.bottom) / 2};

    MenuVisit visit;
    menuVisit = &visit;
    SetTimer(parent, 1, 100, chooseThirdMenuItem);
    click(arrow); // the menu's own loop runs inside the next pump
    waitUntil([&] { return !parentWindow->commands.empty() || visit.ticks > 60; }, 10s);
    KillTimer(parent, 1);
    menuVisit = nullptr;

    EXPECT_EQ(visit.shown, bar.menu(static_cast<int>(CommandId::Start)));
    EXPECT_GE(visit.bounds.top, button.bottom - 1);
    EXPECT_NEAR(visit.bounds.left, button.left, 2);
    EXPECT_EQ(parentWindow->commands,
              std::vector<WPARAM>{static_cast<WPARAM>(CommandId::ImportWithoutWindowsIntoFolder)});
}

TEST_F(CommandBarTest, ASkinsBackgroundFillsTheBarBehindTheButtons) {
    SkinPartStyle style;
    style.background = 0x00FF00FF; // magenta
    style.text = 0x00FFFFFF;
    bar.setStyle(style);
    ShowWindow(parent, SW_SHOW);
    UpdateWindow(parent);
    pumpFor(200ms);
    RECT client;
    GetClientRect(toolbar, &client);
    // Right of the last button the bar shows only its background.
    POINT spot{client.right - 4, client.bottom / 2};
    ClientToScreen(toolbar, &spot);
    const COLORREF seen = GetPixel(ScopedWindowDc(nullptr).get(), spot.x, spot.y);
    EXPECT_EQ(seen, RGB(0xFF, 0x00, 0xFF));
}

} // namespace
} // namespace quorvane::win32

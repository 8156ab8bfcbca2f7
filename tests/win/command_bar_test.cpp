// The command bar on a plain parent window of the test's own: its buttons,
// its pictures (decoded with WIC from this program's resources), its size at
// 100 % and 200 %, and real mouse clicks arriving as commands.

#include "app/command_table.h"
#include "platform/win32/command_bar.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace quorvane::win32 {
namespace {

constexpr wchar_t ParentClass[] = L"QuorvaneCommandBarTestParent";
constexpr int BarId = 102;
// The list's fixed top, 1260 twips, in pixels at 96 DPI: the bar must end above it.
constexpr int ListTopAt96 = 84;

struct Received {
    std::vector<WPARAM> commands;
};

LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        auto* received = reinterpret_cast<Received*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (received)
            received->commands.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void pumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

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
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmImage, 0, static_cast<UINT>(strip.bmHeight), all.data(), &format,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
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

class CommandBarTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = parentProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = ParentClass;
        RegisterClassExW(&windowClass);
        parent = CreateWindowExW(WS_EX_TOPMOST, ParentClass, L"Command bar test",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 700, 300, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        SetWindowLongPtrW(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
        toolbar = bar.create(parent, BarId, GetModuleHandleW(nullptr), 96);
        ASSERT_NE(toolbar, nullptr);
    }
    void TearDown() override {
        if (parent)
            DestroyWindow(parent);
        CoUninitialize();
    }

    int height() const {
        RECT bounds;
        GetWindowRect(toolbar, &bounds);
        return bounds.bottom - bounds.top;
    }

    // Every caption fits its button, and every button fits the bar.
    void expectNothingClipped() const {
        HDC dc = GetDC(toolbar);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(toolbar, WM_GETFONT, 0, 0)));
        RECT client;
        GetClientRect(toolbar, &client);
        for (int i = 0; i < static_cast<int>(CommandBarButtons.size()); ++i) {
            const std::wstring caption =
                toWide(CommandBarButtons[static_cast<std::size_t>(i)].caption);
            SIZE text{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
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
        SelectObject(dc, old);
        ReleaseDC(toolbar, dc);
    }

    Received received;
    HWND parent = nullptr;
    CommandBar bar;
    HWND toolbar = nullptr;
};

TEST_F(CommandBarTest, FiveButtonsInBarOrderEachWithItsCaptionIdAndOwnPicture) {
    ASSERT_FALSE(bar.pictureFailure()) << bar.pictureFailure()->description;
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5);
    const int expectedIds[] = {1000, 1001, 1003, 1002, 1004};
    const wchar_t* expectedCaptions[] = {L"Add VCF Files", L"Add Folder", L"Clear File List",
                                         L"Start Importing", L"Help"};
    // The picture list is stored 1003, 1002, 1001, 1000, 1004.
    const int expectedPictures[] = {3, 2, 0, 1, 4};
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ(button.idCommand, expectedIds[i]);
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
    ShowWindow(parent, SW_SHOW);
    SetForegroundWindow(parent);
    UpdateWindow(parent);
    pumpFor(200);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    for (int i = 0; i < 5; ++i) {
        RECT button{};
        SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&button));
        POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        ClientToScreen(toolbar, &centre);
        // The move goes first and settles before the press: under Wine the
        // pointer reaches the X server asynchronously, and a press sent with
        // the move can land where the pointer was before.
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = MulDiv(centre.x, 65535, screenWidth - 1);
        move.mi.dy = MulDiv(centre.y, 65535, screenHeight - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        POINT at{};
        for (int tries = 0; tries < 20 && (at.x != centre.x || at.y != centre.y); ++tries) {
            ASSERT_EQ(SendInput(1, &move, sizeof(INPUT)), 1u);
            pumpFor(50);
            GetCursorPos(&at);
        }
        pumpFor(100);
        INPUT click[2]{};
        click[0].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].type = INPUT_MOUSE;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(SendInput(2, click, sizeof(INPUT)), 2u);
        pumpFor(150);
    }
    const std::vector<WPARAM> expected{1000, 1001, 1003, 1002, 1004};
    EXPECT_EQ(received.commands, expected);
}

TEST_F(CommandBarTest, ASkinsBackgroundFillsTheBarBehindTheButtons) {
    SkinPartStyle style;
    style.background = 0x00FF00FF; // magenta
    style.text = 0x00FFFFFF;
    bar.setStyle(style);
    ShowWindow(parent, SW_SHOW);
    UpdateWindow(parent);
    pumpFor(200);
    RECT client;
    GetClientRect(toolbar, &client);
    // Right of the last button the bar shows only its background.
    POINT spot{client.right - 4, client.bottom / 2};
    ClientToScreen(toolbar, &spot);
    HDC screen = GetDC(nullptr);
    const COLORREF seen = GetPixel(screen, spot.x, spot.y);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(seen, RGB(0xFF, 0x00, 0xFF));
}

} // namespace
} // namespace quorvane::win32

// At 144 dots per inch (this program runs with the screen set so): what the
// program places in pixels grows with the dialogs' own dialog units.
#include "app/about_box.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "resources/resource_ids.h"
#include "skin/button.h"
#include "skin/paint.h"
#include "skin/record.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <stdlib.h>

#include <algorithm>

class AtHighResolution : public testing::Test {
protected:
    static void SetUpTestSuite() { StartProgram(); }
    void SetUp() override
    {
        HDC screen = GetDC(nullptr);
        const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dotsPerInch, 144) << "run with wine-env run-at-dpi 144";
    }
};

static int ChannelDistance(COLORREF a, COLORREF b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

TEST_F(AtHighResolution, TheAboutPictureFillsItsPlaceInTheFrame)
{
    HBITMAP picture = LoadPictureResource(moduleInstance, IDR_ABOUT_PICTURE);
    ASSERT_TRUE(picture);
    BITMAP size = {};
    GetObjectA(picture, sizeof(size), &size);
    DriveAboutBox([&](HWND about) {
        RECT client, frame;
        GetClientRect(about, &client);
        GetWindowRect(GetDlgItem(about, AboutFrame), &frame);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT *>(&frame), 2);
        // 200 x 190 pixels at (100, 62) at 96 dots per inch.
        const RECT place = {150, 93, 450, 378};
        EXPECT_GE(place.left, frame.left);
        EXPECT_LE(place.right, frame.right);
        EXPECT_LE(place.bottom, frame.bottom);
        Canvas canvas = PrintedClient(about);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, picture);
        // Sampled away from the picture's sharp edges, all of it shows.
        int unlike = 0;
        for (int y = 10; y < 280; y += 15)
            for (int x = 10; x < 295; x += 15) {
                const COLORREF shown = CanvasPixel(canvas, place.left + x, place.top + y);
                const COLORREF source = GetPixel(dc, x * size.bmWidth / 300, y * size.bmHeight / 285);
                unlike += ChannelDistance(shown, source) > 48;
            }
        EXPECT_LT(unlike, 12);
        SelectObject(dc, old);
        DeleteDC(dc);
        DestroyCanvas(canvas);
    });
    DeleteObject(picture);
}

TEST_F(AtHighResolution, TheArrowStripAndTheTooltipGrow)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 60, parent, HMENU(1), nullptr,
                                  nullptr);
    HMENU menu = CreatePopupMenu();
    SkinDescriptor skin;
    SetStandardDescriptor(&skin);
    skin.dropMenu = menu;
    skin.tooltipText = "Grows";
    AttachSkin(button, &skin);

    Canvas canvas = CreateCanvas(150, 60, 0);
    const DRAWITEMSTRUCT item = DrawRequest(button, canvas.dc);
    PaintSkinnedButton(&item, SkinRecord(button));
    // The strip's separator: 30 pixels from the right.
    EXPECT_EQ(CanvasPixel(canvas, 120, 30), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(CanvasPixel(canvas, 121, 30), GetSysColor(COLOR_BTNHIGHLIGHT));
    DestroyCanvas(canvas);

    SendMessageA(button, WM_MOUSEMOVE, 0, 0);
    ShowTooltipTimer(button, WM_TIMER, tooltipTimer, 0);
    ASSERT_TRUE(IsWindow(tooltipWindow));
    EXPECT_EQ(SendMessageA(tooltipWindow, TTM_GETMAXTIPWIDTH, 0, 0), 330);
    SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    DestroyWindow(parent);
    DestroyMenu(menu);
}

static int IconWidth(HICON icon)
{
    ICONINFO info = {};
    GetIconInfo(icon, &info);
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// Whether the icon resource holds an image drawn at size pixels.
static bool HasImageOf(int id, int size)
{
    HRSRC found = FindResourceA(moduleInstance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    const BYTE *group = found ? static_cast<const BYTE *>(LockResource(LoadResource(moduleInstance, found))) : nullptr;
    if (!group)
        return false;
    const int count = group[4] | group[5] << 8;
    for (int i = 0; i < count; i++)
        if (group[6 + 14 * i] == size)  // each entry: its width first
            return true;
    return false;
}

TEST_F(AtHighResolution, TheMainWindowsIconsAreDrawnForTheResolution)
{
    for (int id : {IDI_PROGRAM, IDI_ABOUT, IDI_INSTALL, IDI_REMOVE, IDI_START, IDI_STOP, IDI_CLOSE})
        for (int size : {32, 48, 64})
            EXPECT_TRUE(HasImageOf(id, size)) << id << " at " << size;
    EXPECT_TRUE(HasImageOf(IDI_PROGRAM, 24));  // the caption's and the tray's at 144 dots per inch
    DriveMainWindow([&](HWND window) {
        for (int id = AboutButton; id <= CloseButton; id++) {
            const CTRL_STRUCT *record = SkinRecord(GetDlgItem(window, id));
            ASSERT_TRUE(record && record->skin.normalIcon) << id;
            EXPECT_EQ(IconWidth(record->skin.normalIcon), 48) << id;
        }
        const HICON small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
        ASSERT_TRUE(small);
        EXPECT_EQ(IconWidth(small), 24);
    });
}

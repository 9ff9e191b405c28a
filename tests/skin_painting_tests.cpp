// The skinned-button painter, checked by the pixels it leaves in a DIB
// section: faces of every state, icon and caption, arrow strip, focus frame,
// and the GDI object balance over many paints.
#include "skin/color.h"
#include "skin/draw.h"
#include "skin/paint.h"
#include "skin/record.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/seams.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

constexpr int Width = 100;
constexpr int Height = 40;
constexpr COLORREF Background = RGB(1, 2, 3);
constexpr COLORREF IconColour = RGB(0, 160, 0);
constexpr int Strip = 20;  // the arrow strip at 96 dots per inch

static COLORREF GreenSquare(int x, int y)
{
    return (x >= 8 && x < 24 && y >= 8 && y < 24) ? IconColour : NoPixel;
}
static COLORREF SolidSquare(int, int) { return IconColour; }

struct GradientColours {
    COLORREF top, bottom, outer, inner, row3, row36;
};

// The gradient table worked out by hand for those colours: the accent is
// 70 % window and 30 % caption, (194, 224, 254). Rows 3 and 36 of the 40
// lie 3/40 and 36/40 of the way from top to bottom, rounded down.
static GradientColours GradientFor(int state)
{
    switch (state) {
    case PaintPressed:
        return {RGB(233, 244, 255), RGB(182, 210, 238), RGB(138, 156, 175),
                RGB(192, 202, 212), RGB(229, 241, 253), RGB(187, 213, 239)};
    case PaintHot:
        return {RGB(176, 203, 230), RGB(242, 248, 255), RGB(139, 157, 175),
                RGB(220, 233, 245), RGB(180, 206, 231), RGB(235, 243, 252)};
    default:
        return {RGB(230, 230, 230), RGB(250, 250, 250), RGB(175, 175, 175),
                RGB(205, 205, 205), RGB(231, 231, 231), RGB(248, 248, 248)};
    }
}

static int Channel(COLORREF c, int shift) { return int((c >> shift) & 0xFF); }

static void ExpectNear(COLORREF actual, COLORREF expected, const char *where)
{
    for (int shift : {0, 8, 16})
        EXPECT_LE(abs(Channel(actual, shift) - Channel(expected, shift)), 1)
            << where << ": " << std::hex << actual << " against " << expected;
}

class SkinPainting : public testing::Test {
protected:
    HWND parent = nullptr;
    HWND button = nullptr;
    HICON icon = nullptr;
    SkinDescriptor skin = {};
    // The system colours the faces are made from, set for each test.
    const SystemColours colours{{COLOR_BTNFACE, RGB(245, 245, 245)},  {COLOR_WINDOW, RGB(255, 255, 255)},
                                {COLOR_ACTIVECAPTION, RGB(50, 150, 250)}, {COLOR_HIGHLIGHT, RGB(10, 36, 106)},
                                {COLOR_GRAYTEXT, RGB(166, 166, 166)},   {COLOR_BTNTEXT, RGB(0, 0, 0)}};

    void SetUp() override
    {
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, Width, Height, parent,
                                 HMENU(1), nullptr, nullptr);
        icon = MakeTestIcon(GreenSquare);
        SetStandardDescriptor(&skin);
        hotControl = nullptr;
        menuOwner = nullptr;
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        DestroyIcon(icon);
        hotControl = nullptr;
        ReadHighContrast();  // after a test that overrode it, as the platform says
    }

    // Skins the button with skin and caption, paints it in itemState into a
    // fresh canvas, which the caller destroys.
    Canvas Paint(UINT itemState, const char *caption = "", DWORD checkState = 0)
    {
        SetWindowTextA(button, caption);
        AttachSkin(button, &skin);
        SkinRecord(button)->checkState = checkState;
        Canvas canvas = CreateCanvas(Width, Height, Background);
        const DRAWITEMSTRUCT item = DrawRequest(button, canvas.dc, itemState);
        PaintSkinnedButton(&item, SkinRecord(button));
        return canvas;
    }

    static void ExpectGradientFace(const Canvas &canvas, int state)
    {
        const GradientColours g = GradientFor(state);
        const COLORREF white = RGB(255, 255, 255);
        EXPECT_EQ(CanvasPixel(canvas, 50, 0), g.outer);
        EXPECT_EQ(CanvasPixel(canvas, 50, 1), white);
        EXPECT_EQ(CanvasPixel(canvas, 50, 2), g.inner);
        EXPECT_EQ(CanvasPixel(canvas, 50, Height - 1), g.outer);
        EXPECT_EQ(CanvasPixel(canvas, 50, Height - 2), white);
        EXPECT_EQ(CanvasPixel(canvas, 50, Height - 3), g.inner);
        EXPECT_EQ(CanvasPixel(canvas, 0, 20), g.outer);
        EXPECT_EQ(CanvasPixel(canvas, Width - 3, 20), g.inner);
        ExpectNear(CanvasPixel(canvas, Width - 4, 3), g.row3, "top row");
        ExpectNear(CanvasPixel(canvas, Width - 4, Height - 4), g.row36, "bottom row");
    }
};

TEST_F(SkinPainting, GradientFacesOfEveryState)
{
    struct {
        const char *name;
        UINT itemState;
        DWORD checkState;
        bool hot;
        int face;
    } states[] = {
        {"normal", 0, 0, false, PaintNormal},
        {"hot", 0, 0, true, PaintHot},
        {"pressed", ODS_SELECTED, 0, false, PaintPressed},
        {"checked", 0, 1, false, PaintPressed},
        {"checked and hot", 0, 1, true, PaintPressed},
        {"disabled", ODS_DISABLED, 0, false, PaintNormal},
    };
    for (const auto &s : states) {
        SCOPED_TRACE(s.name);
        hotControl = s.hot ? button : nullptr;
        Canvas canvas = Paint(s.itemState, "", s.checkState);
        ExpectGradientFace(canvas, s.face);
        DestroyCanvas(canvas);
    }
    // Hot and normal faces are darker at the top, the pressed face lighter.
    const GradientColours normal = GradientFor(PaintNormal), pressed = GradientFor(PaintPressed);
    EXPECT_LT(ColorLuminance(normal.top), ColorLuminance(normal.bottom));
    EXPECT_GT(ColorLuminance(pressed.top), ColorLuminance(pressed.bottom));
}

TEST_F(SkinPainting, IconLightenedAndCaptionInTheStateColour)
{
    skin.normalIcon = icon;
    const COLORREF lightened = RGB(64, 184, 64);  // each channel 64/255 of the way to 255
    struct {
        const char *name;
        UINT itemState;
        bool hot;
        COLORREF caption;
    } states[] = {
        {"normal", 0, false, RGB(0, 0, 0x40)},
        {"hot", 0, true, RGB(0x80, 0, 0x60)},
        {"pressed", ODS_SELECTED, false, RGB(0x80, 0, 0x60)},
    };
    for (const auto &s : states) {
        SCOPED_TRACE(s.name);
        hotControl = s.hot ? button : nullptr;
        Canvas canvas = Paint(s.itemState, "Go");
        // The icon keeps the left third: centred in (0, 0, 33, 40), so at (0, 4).
        EXPECT_EQ(CanvasPixel(canvas, 8, 12), lightened);
        EXPECT_EQ(CanvasPixel(canvas, 23, 27), lightened);
        EXPECT_EQ(CountPixels(canvas, lightened), 16 * 16);
        EXPECT_EQ(CountPixels(canvas, IconColour), 0);  // never drawn unlightened
        // The caption lies right of the icon, in its own colour only.
        EXPECT_GT(CountPixels(canvas, s.caption, {33, 0, Width, Height}), 5);
        EXPECT_EQ(CountPixels(canvas, s.caption, {0, 0, 25, Height}), 0);
        DestroyCanvas(canvas);
    }
}

// A green square in a soft black shadow of alpha 3 to 50, which the mask
// counts as part of the icon, as the program's own icons have.
static COLORREF ShadowedSquare(int x, int y)
{
    if (x >= 10 && x < 22 && y >= 10 && y < 22)
        return IconColour;
    const int ring = std::max(std::max(10 - x, x - 21), std::max(10 - y, y - 21));
    return ring <= 5 ? Translucent(RGB(0, 0, 0), BYTE(50 - 9 * (ring - 1))) : NoPixel;
}

TEST_F(SkinPainting, ALightenedIconKeepsItsSoftEdges)
{
    DestroyIcon(icon);
    icon = MakeTestIcon(ShadowedSquare);
    skin.normalIcon = icon;
    Canvas painted = Paint(0);
    skin.normalIcon = nullptr;
    Canvas expected = Paint(0);
    const RECT all = {0, 0, Width, Height};
    DrawIconCentered(expected.dc, &all, icon, IconNormal);  // the icon as it is, over the same face
    for (int y = 0; y < Height; y++)
        for (int x = 0; x < Width; x++)
            for (int shift : {0, 8, 16})
                ASSERT_GE(Channel(CanvasPixel(painted, x, y), shift) + 1,
                          Channel(CanvasPixel(expected, x, y), shift))
                    << x << "," << y;
    DestroyCanvas(expected);
    DestroyCanvas(painted);
}

TEST_F(SkinPainting, DisabledButtonsGreyIconAndCaption)
{
    skin.normalIcon = icon;
    Canvas canvas = Paint(ODS_DISABLED, "Go");
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    ExpectGradientFace(canvas, PaintNormal);
    EXPECT_EQ(CanvasPixel(canvas, 8, 12), grey);  // the icon as a flat silhouette
    EXPECT_EQ(CountPixels(canvas, grey, {0, 0, 33, Height}), 16 * 16);
    EXPECT_GT(CountPixels(canvas, grey, {33, 0, Width, Height}), 5);  // and the caption
    EXPECT_EQ(CountPixels(canvas, RGB(0, 0, 0x40)), 0);
    DestroyCanvas(canvas);
}

TEST_F(SkinPainting, FlatFaceFillAndFrame)
{
    skin.flags = CTRL_FLAT_FACE;
    Canvas canvas = Paint(0);
    // A light face: 86 % face and 14 % selection, framed darker.
    const COLORREF fill = RGB(212, 216, 226);
    EXPECT_EQ(CanvasPixel(canvas, 50, 0), RGB(159, 162, 169));
    EXPECT_EQ(CanvasPixel(canvas, 50, 20), fill);
    DestroyCanvas(canvas);

    // Both tinted looks: the flat face, and no background prepared under it.
    skin.flags = CTRL_FLAT_FACE | CTRL_GRADIENT_FACE;
    canvas = Paint(0);
    EXPECT_EQ(CanvasPixel(canvas, 50, 20), fill);
    DestroyCanvas(canvas);
}

TEST_F(SkinPainting, ClassicBorderedFaceRaisesAndSinks)
{
    skin.flags = CTRL_BORDER;
    skin.normalIcon = MakeTestIcon(SolidSquare);
    Canvas raised = Paint(0);
    EXPECT_EQ(CanvasPixel(raised, 50, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(CanvasPixel(raised, 50, Height - 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(CanvasPixel(raised, 20, 20), GetSysColor(COLOR_BTNFACE));
    // Inset by the border, the icon is centred in (2, 2, 98, 38): at (34, 4).
    EXPECT_EQ(CanvasPixel(raised, 34, 4), IconColour);
    EXPECT_NE(CanvasPixel(raised, 33, 4), IconColour);

    Canvas sunken = Paint(ODS_SELECTED);
    EXPECT_EQ(CanvasPixel(sunken, 50, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(CanvasPixel(sunken, 50, Height - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(CanvasPixel(sunken, 35, 5), IconColour);  // moved one pixel right and down
    EXPECT_NE(CanvasPixel(sunken, 34, 4), IconColour);
    DestroyCanvas(sunken);
    DestroyCanvas(raised);

    // With the hot border the edge shows only while hot.
    skin.flags = CTRL_BORDER | CTRL_HOT_BORDER;
    Canvas cold = Paint(0);
    EXPECT_EQ(CanvasPixel(cold, 50, 0), GetSysColor(COLOR_BTNFACE));
    hotControl = button;
    Canvas hot = Paint(0);
    EXPECT_EQ(CanvasPixel(hot, 50, 0), GetSysColor(COLOR_3DLIGHT));
    DestroyCanvas(hot);
    DestroyCanvas(cold);
    DestroyIcon(skin.normalIcon);
}

TEST_F(SkinPainting, DropMenuKeepsIconAndCaptionOutOfTheStrip)
{
    HMENU menu = CreatePopupMenu();
    skin.dropMenu = menu;
    skin.flags |= CTRL_MENU_BELOW;
    skin.normalIcon = icon;
    Canvas full = Paint(0, "A long caption that wraps");
    skin.normalIcon = nullptr;
    Canvas bare = Paint(0, "");
    for (int y = 0; y < Height; y++)
        for (int x = Width - Strip; x < Width; x++)
            ASSERT_EQ(CanvasPixel(full, x, y), CanvasPixel(bare, x, y)) << x << "," << y;
    // The strip shows its separator and its arrow.
    EXPECT_EQ(CanvasPixel(bare, Width - Strip, 20), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(CanvasPixel(bare, Width - Strip + 1, 20), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_GT(CountPixels(bare, RGB(0, 0, 0x40), {Width - Strip + 2, 0, Width, Height}), 3);
    DestroyCanvas(bare);
    DestroyCanvas(full);

    // While its menu is open the strip is sunken instead.
    menuOwner = button;
    Canvas open = Paint(0);
    EXPECT_NE(CanvasPixel(open, Width - Strip + 1, 20), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(CanvasPixel(open, Width - Strip + 5, 3), GetSysColor(COLOR_BTNSHADOW));
    DestroyCanvas(open);
    menuOwner = nullptr;
    DestroyMenu(menu);
}

TEST_F(SkinPainting, FocusFrameAndAccessKeysFollowTheKeyboardCues)
{
    skin.flags = CTRL_FOCUS_RECT;
    Canvas canvas = Paint(ODS_FOCUS);
    const COLORREF dot = RGB(157, 157, 157);  // grey text and button text mixed, lightened
    // Inset by 1: (1, 1, 99, 39).
    EXPECT_EQ(CanvasPixel(canvas, 2, 1), dot);
    EXPECT_NE(CanvasPixel(canvas, 3, 1), dot);
    EXPECT_EQ(CanvasPixel(canvas, 1, 2), dot);
    EXPECT_NE(CanvasPixel(canvas, 1, 1), dot);
    EXPECT_EQ(CanvasPixel(canvas, Width - 1, 2), dot);  // the right edge, one past the last top dot
    EXPECT_EQ(CountPixels(canvas, dot), 49 + 19 + 19 + 49);
    DestroyCanvas(canvas);

    // The standard skin, which leaves the frame no room, shows it inside
    // the face's three frames; neither shows it while the cues are hidden.
    SetStandardDescriptor(&skin);
    const COLORREF caption = RGB(0, 0, 0x40);
    const struct {
        UINT itemState;  // the cues as the button reports them
        bool frame, underlined;
    } cues[] = {
        {ODS_FOCUS, true, true},
        {ODS_FOCUS | ODS_NOFOCUSRECT | ODS_NOACCEL, false, false},
        {0, false, true},
    };
    Canvas plain = Paint(0, "Go");
    const int plainCaption = CountPixels(plain, caption);
    DestroyCanvas(plain);
    for (const auto &c : cues) {
        SCOPED_TRACE(c.itemState);
        Canvas cued = Paint(c.itemState, "&Go");
        EXPECT_EQ(CanvasPixel(cued, 4, 3) == dot, c.frame);  // inside the face's frames
        EXPECT_EQ(CountPixels(cued, dot) > 0, c.frame);
        EXPECT_EQ(CountPixels(cued, caption) > plainCaption, c.underlined);
        DestroyCanvas(cued);
    }
}

// High contrast, as the seam reports it: every state in the system's
// colours, set here to a dark theme of its own, and the icon as it is.
TEST_F(SkinPainting, HighContrastPaintsInTheSystemsColours)
{
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(26, 235, 255), RGB(0, 0, 1), RGB(63, 242, 63)};
    const SystemColours theme({{COLOR_BTNFACE, dark[0]},
                               {COLOR_BTNTEXT, dark[1]},
                               {COLOR_HIGHLIGHT, dark[2]},
                               {COLOR_HIGHLIGHTTEXT, dark[3]},
                               {COLOR_GRAYTEXT, dark[4]}});
    const ScopedOverride on(screenCalls.systemParametersInfo, HighContrastOn);
    ReadHighContrast();
    skin.normalIcon = icon;
    const struct {
        const char *name;
        UINT itemState;
        bool hot;
        COLORREF fill, frame, caption;
    } states[] = {
        {"normal", 0, false, dark[0], dark[1], dark[1]},
        {"hot", 0, true, dark[0], dark[2], dark[1]},
        {"pressed", ODS_SELECTED, false, dark[2], dark[2], dark[3]},
        {"disabled", ODS_DISABLED, false, dark[0], dark[4], dark[4]},
    };
    for (const auto &s : states) {
        SCOPED_TRACE(s.name);
        hotControl = s.hot ? button : nullptr;
        Canvas canvas = Paint(s.itemState, "Go");
        EXPECT_EQ(CanvasPixel(canvas, 50, 0), s.frame);
        EXPECT_EQ(CanvasPixel(canvas, 50, 1), s.frame);
        EXPECT_EQ(CanvasPixel(canvas, 50, 2), s.fill);
        EXPECT_GT(CountPixels(canvas, s.caption, {33, 0, Width - 2, Height}), 5);
        EXPECT_EQ(CountPixels(canvas, IconColour), s.itemState & ODS_DISABLED ? 0 : 16 * 16);  // not lightened
        DestroyCanvas(canvas);
    }
}

static int WINAPI EightBitScreen(HDC dc, int index)
{
    return index == BITSPIXEL ? 8 : GetDeviceCaps(dc, index);
}

TEST_F(SkinPainting, EightBitScreensGetTheBasicFaces)
{
    const ScopedOverride eightBits(screenCalls.getDeviceCaps, EightBitScreen);
    const struct {
        UINT itemState;
        bool hot;
        int fill, frame;
    } states[] = {
        {0, false, COLOR_BTNFACE, COLOR_BTNSHADOW},
        {0, true, COLOR_3DLIGHT, COLOR_BTNSHADOW},
        {ODS_SELECTED, false, COLOR_WINDOW, COLOR_BTNTEXT},
    };
    for (DWORD look : {CTRL_GRADIENT_FACE, CTRL_FLAT_FACE})
        for (const auto &s : states) {
            skin.flags = look;
            hotControl = s.hot ? button : nullptr;
            Canvas canvas = Paint(s.itemState);
            EXPECT_EQ(CanvasPixel(canvas, 50, 0), GetSysColor(s.frame)) << look;
            EXPECT_EQ(CanvasPixel(canvas, 50, 20), GetSysColor(s.fill)) << look;
            DestroyCanvas(canvas);
        }
}

// The count is exact: a few paints of each state show any object a paint
// keeps; the paint benchmark repeats them by the thousand. What the skin
// keeps (a lightened icon, the arrow font) goes with the last skinned control.
TEST_F(SkinPainting, PaintsLeaveNoGdiObjectsBehind)
{
    Canvas warm = Paint(0, "&Install");  // makes the system's brush of the test's face colour
    DestroyCanvas(warm);
    const int unkept = CountGdiObjects();
    HMENU menu = CreatePopupMenu();
    skin.normalIcon = icon;
    skin.dropMenu = menu;
    skin.flags |= CTRL_ARROW_DOWN;
    warm = Paint(0, "&Install");
    DestroyCanvas(warm);
    Canvas canvas = CreateCanvas(Width, Height, Background);
    DRAWITEMSTRUCT item = DrawRequest(button, canvas.dc);
    const int before = CountGdiObjects();
    const struct {
        UINT itemState;
        bool hot;
        DWORD checked;
    } states[] = {{0, false, 0}, {0, true, 0}, {ODS_SELECTED, false, 0}, {0, false, 1}, {ODS_DISABLED, false, 0}};
    for (const auto &s : states) {
        item.itemState = s.itemState;
        hotControl = s.hot ? button : nullptr;
        SkinRecord(button)->checkState = s.checked;
        for (int i = 0; i < 20; i++)
            PaintSkinnedButton(&item, SkinRecord(button));
        EXPECT_EQ(CountGdiObjects(), before) << s.itemState << " " << s.hot << " " << s.checked;
    }
    DestroyCanvas(canvas);
    DestroyWindow(parent);
    EXPECT_EQ(arrowFont, nullptr);
    EXPECT_EQ(CountGdiObjects(), unkept);
    DestroyMenu(menu);
}

// Colour arithmetic, drawing primitives and the background texture, checked
// by the pixels they leave in DIB sections.
#include "skin/color.h"
#include "skin/draw.h"
#include "skin/texture.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/seams.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

TEST(ColourArithmetic, WorkedValues)
{
    EXPECT_EQ(LightenColor(64, RGB(128, 128, 128)), RGB(160, 160, 160));
    EXPECT_EQ(DarkenColor(64, RGB(255, 255, 255)), RGB(191, 191, 191));
    EXPECT_EQ(MixColors86(RGB(255, 255, 255), RGB(0, 0, 0)), RGB(219, 219, 219));
    EXPECT_EQ(ColorLuminance(RGB(212, 208, 200)), 209);
    EXPECT_EQ(ColorLuminance(RGB(255, 255, 255)), 255);
    EXPECT_EQ(ColorLuminance(RGB(0, 0, 0)), 0);  // 50 / 256 rounds to 0
    // Channels are computed one by one.
    EXPECT_EQ(LightenColor(128, RGB(0, 100, 255)), RGB(128, 178, 255));
    EXPECT_EQ(MixColors70(RGB(100, 0, 200), RGB(0, 100, 50)), RGB(70, 30, 155));
}

TEST(ColourArithmetic, EdgesOfTheAmounts)
{
    for (COLORREF c : {RGB(0, 0, 0), RGB(1, 128, 254), RGB(255, 255, 255), RGB(212, 208, 200)}) {
        EXPECT_EQ(LightenColor(0, c), c);
        EXPECT_EQ(LightenColor(255, c), RGB(255, 255, 255));
        EXPECT_EQ(DarkenColor(0, c), c);
        EXPECT_EQ(DarkenColor(255, c), RGB(0, 0, 0));
    }
    // 70 % and 30 % of 255 both round up: the channel is held at 255 instead
    // of wrapping round to black.
    EXPECT_EQ(MixColors70(RGB(255, 255, 255), RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(MixColors70(RGB(255, 0, 255), RGB(255, 0, 0)), RGB(255, 0, 179));
}

TEST(ColourArithmetic, RoundDivTakesHalvesToEven)
{
    EXPECT_EQ(RoundDiv(5, 2), 2);
    EXPECT_EQ(RoundDiv(7, 2), 4);
    EXPECT_EQ(RoundDiv(-3, 2), -2);
    EXPECT_EQ(RoundDiv(10, 3), 3);
    EXPECT_EQ(RoundDiv(11, 3), 4);
}

static int FakeDepth;
static int WINAPI FakeDeviceCaps(HDC dc, int index)
{
    return index == BITSPIXEL ? FakeDepth : GetDeviceCaps(dc, index);
}

TEST(ColourArithmetic, AccentFollowsTheScreenDepth)
{
    const SystemColours test({{COLOR_WINDOW, RGB(255, 255, 255)}, {COLOR_ACTIVECAPTION, RGB(50, 150, 250)}});
    EXPECT_GT(ScreenColorDepth(), 8);
    EXPECT_EQ(AccentColor(), RGB(194, 224, 254));  // 70 % window, 30 % caption
    const ScopedOverride fake(screenCalls.getDeviceCaps, FakeDeviceCaps);
    FakeDepth = 8;
    EXPECT_EQ(AccentColor(), RGB(255, 255, 255));  // the window's colour alone
    FakeDepth = -1;  // no answer counts as 8 bits
    EXPECT_EQ(ScreenColorDepth(), 8);
}

TEST(Primitives, TwoColourFrameOnTenByTen)
{
    Canvas canvas = CreateCanvas(12, 12, RGB(0, 0, 255));
    const RECT rect = {0, 0, 10, 10};
    DrawTwoColourFrame(canvas.dc, &rect, RGB(255, 0, 0), RGB(0, 255, 0));
    EXPECT_EQ(CountPixels(canvas, RGB(255, 0, 0)), 17);
    EXPECT_EQ(CountPixels(canvas, RGB(0, 255, 0)), 19);
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(CanvasPixel(canvas, i, 0), RGB(255, 0, 0));
        EXPECT_EQ(CanvasPixel(canvas, 0, i), RGB(255, 0, 0));
    }
    EXPECT_EQ(CanvasPixel(canvas, 9, 0), RGB(0, 255, 0));  // top-right corner: bottom-right colour
    EXPECT_EQ(CanvasPixel(canvas, 0, 9), RGB(0, 255, 0));
    EXPECT_EQ(CanvasPixel(canvas, 5, 5), RGB(0, 0, 255));  // inside untouched
    EXPECT_EQ(CanvasPixel(canvas, 10, 5), RGB(0, 0, 255));  // and nothing outside
    DestroyCanvas(canvas);
}

TEST(Primitives, DottedLinesSetEveryOtherPixel)
{
    Canvas canvas = CreateCanvas(20, 20, RGB(255, 255, 255));
    EXPECT_EQ(DrawDottedLine(canvas.dc, 2, 3, 5, TRUE, RGB(0, 0, 0)), 6);
    EXPECT_EQ(CountPixels(canvas, RGB(0, 0, 0)), 3);
    for (int x : {2, 4, 6})
        EXPECT_EQ(CanvasPixel(canvas, x, 3), RGB(0, 0, 0));
    EXPECT_EQ(DrawDottedLine(canvas.dc, 10, 10, 0, FALSE, RGB(255, 0, 0)), 10);  // length 0 still sets one
    EXPECT_EQ(CountPixels(canvas, RGB(255, 0, 0)), 1);
    EXPECT_EQ(DrawDottedLine(canvas.dc, 15, 1, 6, FALSE, RGB(0, 255, 0)), 5);
    EXPECT_EQ(CountPixels(canvas, RGB(0, 255, 0)), 3);
    DestroyCanvas(canvas);
}

TEST(Primitives, OpaqueFillNormalisesNegativeExtents)
{
    Canvas canvas = CreateCanvas(10, 10, RGB(255, 255, 255));
    OpaqueFillRect(canvas.dc, 5, 2, -2, -2, RGB(9, 9, 9));
    EXPECT_EQ(CountPixels(canvas, RGB(9, 9, 9)), 4);
    EXPECT_EQ(CanvasPixel(canvas, 3, 0), RGB(9, 9, 9));
    EXPECT_EQ(CanvasPixel(canvas, 4, 1), RGB(9, 9, 9));
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(255, 255, 255));  // restored
    DestroyCanvas(canvas);
}

static COLORREF SolidRed(int, int) { return RGB(200, 0, 0); }

TEST(Primitives, IconsAreCentredWithHalvesToEven)
{
    HICON icon = MakeTestIcon(SolidRed);
    // The spare pixels, and the icon's offset: 2.5 gives 2, 3.5 gives 4.
    for (const auto &[spare, offset] : {std::pair{5, 2}, {7, 4}, {4, 2}}) {
        Canvas canvas = CreateCanvas(32 + spare, 32 + spare, RGB(255, 255, 255));
        const RECT rect = {0, 0, 32 + spare, 32 + spare};
        DrawIconCentered(canvas.dc, &rect, icon, IconNormal);
        EXPECT_EQ(CanvasPixel(canvas, offset - 1, offset), RGB(255, 255, 255)) << spare;
        EXPECT_EQ(CanvasPixel(canvas, offset, offset), RGB(200, 0, 0)) << spare;
        EXPECT_EQ(CanvasPixel(canvas, offset + 31, offset + 31), RGB(200, 0, 0)) << spare;
        EXPECT_EQ(CanvasPixel(canvas, offset + 32, offset + 32), RGB(255, 255, 255)) << spare;
        DestroyCanvas(canvas);
    }
    DestroyIcon(icon);
}

// A transparent border, a white block and a dark block.
static COLORREF WhiteAndDark(int x, int y)
{
    if (x < 4 || y < 4 || x >= 28 || y >= 28)
        return NoPixel;
    return x < 16 ? RGB(255, 255, 255) : RGB(20, 40, 60);
}

// Wine draws a 32-bit icon with alpha into a monochrome bitmap with its
// white pixels black; the rule is shown with an icon without alpha.
TEST(Primitives, DisabledSilhouetteLeavesWhiteUnpainted)
{
    HICON icon = MakeTestIcon(WhiteAndDark, false);
    Canvas canvas = CreateCanvas(32, 32, RGB(0, 128, 0));
    const RECT rect = {0, 0, 32, 32};
    const int before = CountGdiObjects();
    DrawIconCentered(canvas.dc, &rect, icon, IconDisabled);
    EXPECT_EQ(CountGdiObjects(), before);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    EXPECT_EQ(CanvasPixel(canvas, 1, 1), RGB(0, 128, 0));   // transparent
    EXPECT_EQ(CanvasPixel(canvas, 8, 8), RGB(0, 128, 0));   // pure white
    EXPECT_EQ(CanvasPixel(canvas, 20, 20), grey);           // any other colour
    EXPECT_EQ(CountPixels(canvas, grey), 12 * 24);
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(0, 0, 0));
    DestroyCanvas(canvas);
    DestroyIcon(icon);
}

static COLORREF GreyCentre(int x, int y)
{
    return (x >= 8 && x < 24 && y >= 8 && y < 24) ? RGB(100, 100, 100) : NoPixel;
}

TEST(Primitives, LightenedIconLightensOnlyOpaquePixels)
{
    HICON icon = MakeTestIcon(GreyCentre);
    Canvas canvas = CreateCanvas(32, 32, RGB(0, 0, 0));
    const int before = CountGdiObjects();
    HICON lightened = MakeLightenedIcon(canvas.dc, icon);
    ASSERT_TRUE(lightened);
    const RECT rect = {0, 0, 32, 32};
    DrawIconCentered(canvas.dc, &rect, lightened, IconNormal);
    DestroyIcon(lightened);
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_EQ(CanvasPixel(canvas, 12, 12), RGB(139, 139, 139));  // 100 + 155 x 64 / 255
    EXPECT_EQ(CanvasPixel(canvas, 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(CountPixels(canvas, RGB(139, 139, 139)), 16 * 16);
    DestroyCanvas(canvas);
    DestroyIcon(icon);
}

// A 20 x 20 bitmap: key colour in its top-left quarter, red on the rest of
// the left half, blue on the right half.
static HBITMAP QuarteredBitmap(HDC dc)
{
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 20, 20);
    HDC paint = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(paint, bitmap);
    const RECT left = {0, 0, 10, 20}, right = {10, 0, 20, 20}, key = {0, 0, 10, 10};
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 255, 255)};
    const RECT *areas[] = {&left, &right, &key};
    for (int i = 0; i < 3; i++) {
        HBRUSH brush = CreateSolidBrush(colours[i]);
        FillRect(paint, areas[i], brush);
        DeleteObject(brush);
    }
    SelectObject(paint, old);
    DeleteDC(paint);
    return bitmap;
}

TEST(Primitives, BitmapsAreClippedOrScaledWithTheirKeyTransparent)
{
    Canvas canvas = CreateCanvas(30, 30, RGB(0, 0, 0));
    HBITMAP bitmap = QuarteredBitmap(canvas.dc);
    const int before = CountGdiObjects();

    const RECT small = {5, 5, 15, 15};
    DrawBitmapInRect(canvas.dc, &small, bitmap, FALSE);  // clipped: only the top-left quarter shows
    EXPECT_EQ(CountPixels(canvas, RGB(0, 255, 255)), 100);
    EXPECT_EQ(CanvasPixel(canvas, 5, 5), RGB(0, 255, 255));

    Canvas scaled = CreateCanvas(10, 10, RGB(0, 0, 0));
    const RECT whole = {0, 0, 10, 10};
    DrawBitmapInRect(scaled.dc, &whole, bitmap, TRUE);  // scaled to half, key colour left out
    EXPECT_EQ(CanvasPixel(scaled, 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(CanvasPixel(scaled, 2, 7), RGB(255, 0, 0));
    EXPECT_EQ(CanvasPixel(scaled, 7, 2), RGB(0, 0, 255));
    EXPECT_EQ(CountPixels(scaled, RGB(0, 0, 0)), 25);
    EXPECT_EQ(GetStretchBltMode(scaled.dc), BLACKONWHITE);  // restored
    DestroyCanvas(scaled);

    EXPECT_EQ(CountGdiObjects(), before);
    DeleteObject(bitmap);
    DestroyCanvas(canvas);
}

TEST(Primitives, GradientRunsFromFirstToSecondColour)
{
    Canvas canvas = CreateCanvas(8, 64, RGB(0, 0, 0));
    const RECT rect = {0, 0, 8, 64};
    EXPECT_EQ(GradientFillRect(canvas.dc, &rect, RGB(0, 64, 255), RGB(255, 64, 0), TRUE), 0);
    EXPECT_EQ(CanvasPixel(canvas, 3, 0), RGB(0, 64, 255));
    const COLORREF bottom = CanvasPixel(canvas, 3, 63);
    // The last row is one row short of the second colour: 255 x 63 / 64.
    EXPECT_NEAR(GetRValue(bottom), 251, 1);
    EXPECT_NEAR(GetBValue(bottom), 4, 1);
    EXPECT_EQ(GetGValue(bottom), 64);

    Canvas across = CreateCanvas(64, 4, RGB(0, 0, 0));
    const RECT wide = {0, 0, 64, 4};
    GradientFillRect(across.dc, &wide, RGB(10, 20, 30), RGB(250, 20, 30), FALSE);
    EXPECT_EQ(CanvasPixel(across, 0, 2), RGB(10, 20, 30));
    EXPECT_GT(GetRValue(CanvasPixel(across, 63, 2)), 240);
    DestroyCanvas(across);
    DestroyCanvas(canvas);
}

// The texture as 8-bit DIB sections, whose bytes are the ramp indices.
struct Texture {
    HBITMAP base = nullptr, light = nullptr;
    DIBSECTION section = {};
    ~Texture()
    {
        if (base)
            DeleteObject(base);
        if (light)
            DeleteObject(light);
    }
    BYTE Index(int x, int row) const
    {
        const BYTE *bits = static_cast<const BYTE *>(section.dsBm.bmBits);
        return bits[row * section.dsBm.bmWidthBytes + x];  // rows in memory order
    }
};

static DWORD MakeTexture(Texture &texture, int width, int height, LONG amplitude, BYTE highlight = 15)
{
    const RECT rect = {0, 0, width, height};
    const DWORD result = GenerateTexture(TexturePatternNoise | TextureAsDibSections, &rect, amplitude, highlight,
                                         0, 0, &texture.base, &texture.light);
    if (texture.base)
        GetObjectA(texture.base, sizeof(texture.section), &texture.section);
    return result;
}

TEST(Texture, NoiseIndicesLieInTheBand)
{
    Texture texture;
    ASSERT_EQ(MakeTexture(texture, 200, 100, 30), 0u);
    const BYTE first[] = {117, 144, 120, 121, 121};
    for (int x = 0; x < 5; x++)
        EXPECT_EQ(texture.Index(x, 0), first[x]) << x;
    int lowest = 255, highest = 0;
    for (int row = 0; row < 100; row++)
        for (int x = 0; x < 200; x++) {
            lowest = std::min<int>(lowest, texture.Index(x, row));
            highest = std::max<int>(highest, texture.Index(x, row));
        }
    EXPECT_GE(lowest, 98);
    EXPECT_LE(highest, 158);
    EXPECT_LT(lowest, 102);  // and it uses the band
    EXPECT_GT(highest, 154);

    Texture again;  // equal sizes give equal pixels
    ASSERT_EQ(MakeTexture(again, 200, 100, 30), 0u);
    EXPECT_EQ(memcmp(texture.section.dsBm.bmBits, again.section.dsBm.bmBits, 100 * 200), 0);
}

TEST(Texture, AmplitudeZeroIsFlat)
{
    Texture texture;
    ASSERT_EQ(MakeTexture(texture, 64, 64, 0), 0u);
    for (int row = 0; row < 64; row++)
        for (int x = 0; x < 64; x++) {
            const BYTE index = texture.Index(x, row);
            ASSERT_TRUE(index == 128 || index == 129) << int(index);
        }
}

TEST(Texture, RowsArePaddedToFourBytesWithZeros)
{
    for (int width : {1, 5}) {
        Texture texture;
        ASSERT_EQ(MakeTexture(texture, width, 3, 30), 0u);
        const int stride = width == 1 ? 4 : 8;
        EXPECT_EQ(texture.section.dsBm.bmWidthBytes, stride);
        EXPECT_EQ(texture.section.dsBmih.biSizeImage, DWORD(3 * stride));
        for (int row = 0; row < 3; row++)
            for (int x = width; x < stride; x++)
                EXPECT_EQ(texture.Index(x, row), 0) << width;
    }
}

TEST(Texture, NoHighlightMeansNoSecondBitmap)
{
    const RECT rect = {0, 0, 16, 16};
    HBITMAP base = nullptr, light = HBITMAP(1);
    const int before = CountGdiObjects();
    ASSERT_EQ(GenerateTexture(TexturePatternNoise, &rect, 30, 0, 0, 0, &base, &light), 0u);
    EXPECT_EQ(light, nullptr);
    EXPECT_EQ(CountGdiObjects(), before + 1);
    DeleteObject(base);
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(Texture, RefusesEmptyRectanglesAndUnknownPatterns)
{
    HBITMAP base = HBITMAP(1), light = HBITMAP(1);
    const RECT empty = {5, 5, 5, 9};
    const RECT fine = {0, 0, 4, 4};
    EXPECT_EQ(GenerateTexture(TexturePatternNoise, &empty, 30, 15, 0, 0, &base, &light), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GenerateTexture(1, &fine, 30, 15, 0, 0, &base, &light), DWORD(ERROR_INVALID_PARAMETER));
    // A band wider than the generator's numbers, and an image larger than
    // 32 bits can count.
    EXPECT_EQ(GenerateTexture(TexturePatternNoise, &fine, 16384, 15, 0, 0, &base, &light),
              DWORD(ERROR_INVALID_PARAMETER));
    const RECT huge = {0, 0, 70000, 70000};
    EXPECT_EQ(GenerateTexture(TexturePatternNoise, &huge, 30, 15, 0, 0, &base, &light), DWORD(ERROR_INVALID_PARAMETER));
    const RECT wide = {0, 0, 0x7FFFFFFF, 2};
    EXPECT_EQ(GenerateTexture(TexturePatternNoise, &wide, 30, 15, 0, 0, &base, &light), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(base, HBITMAP(1));  // outputs untouched
    EXPECT_EQ(GenerateTexture(TexturePatternNoise, &fine, 16383, 0, 0, 0, &base, &light), 0u);
    DeleteObject(base);
}

static std::vector<RGBQUAD> ColourTable(HBITMAP bitmap)
{
    std::vector<RGBQUAD> table(256);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    GetDIBColorTable(dc, 0, 256, table.data());
    SelectObject(dc, old);
    DeleteDC(dc);
    return table;
}

static COLORREF Entry(const std::vector<RGBQUAD> &table, int i)
{
    return RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
}

TEST(Texture, RampOfTheClassicColours)
{
    const SystemColours classic(
        {{COLOR_BTNSHADOW, RGB(128, 128, 128)}, {COLOR_BTNFACE, RGB(212, 208, 200)}, {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)}});
    Texture texture;
    ASSERT_EQ(MakeTexture(texture, 8, 8, 30, 15), 0u);
    const auto base = ColourTable(texture.base);
    const auto light = ColourTable(texture.light);
    const struct {
        int index;
        COLORREF base, light;
    } worked[] = {
        {0, RGB(128, 128, 128), RGB(147, 147, 147)},   {98, RGB(192, 189, 183), RGB(201, 198, 193)},
        {127, RGB(211, 207, 199), RGB(217, 214, 207)}, {128, RGB(212, 208, 200), RGB(218, 215, 208)},
        {158, RGB(222, 219, 213), RGB(226, 224, 219)}, {255, RGB(255, 255, 255), RGB(255, 255, 255)},
    };
    for (const auto &w : worked) {
        EXPECT_EQ(Entry(base, w.index), w.base) << w.index;
        EXPECT_EQ(Entry(light, w.index), w.light) << w.index;
    }
}

TEST(Texture, ScreenBitmapShowsTheRampColoursOfTheIndices)
{
    Texture sections;
    ASSERT_EQ(MakeTexture(sections, 40, 20, 30), 0u);
    const auto ramp = ColourTable(sections.base);
    const RECT rect = {0, 0, 40, 20};
    HBITMAP screenBase = nullptr, screenLight = nullptr;
    ASSERT_EQ(GenerateTexture(TexturePatternNoise, &rect, 30, 15, 0, 0, &screenBase, &screenLight), 0u);
    Canvas canvas = CreateCanvas(40, 20, RGB(0, 0, 0));
    HDC source = CreateCompatibleDC(canvas.dc);
    HGDIOBJ old = SelectObject(source, screenBase);
    BitBlt(canvas.dc, 0, 0, 40, 20, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    // The first row in memory is the image's bottom row.
    for (int x = 0; x < 40; x++) {
        EXPECT_EQ(CanvasPixel(canvas, x, 19), Entry(ramp, sections.Index(x, 0))) << x;
        EXPECT_EQ(CanvasPixel(canvas, x, 0), Entry(ramp, sections.Index(x, 19))) << x;
    }
    DestroyCanvas(canvas);
    DeleteObject(screenBase);
    DeleteObject(screenLight);
}

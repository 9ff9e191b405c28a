// The background texture generator.
#include "skin/texture.h"

#include "skin/color.h"

#include <stddef.h>
#include <string.h>

HBITMAP textureBitmap;
static HBRUSH textureBrush;

static DWORD randomState;
constexpr DWORD RandomSeed = 214013;
constexpr int RampSize = 256;
constexpr int RampMiddle = 128;
// Noise is spread over twice the amplitude, which must stay below the
// generator's 32768 numbers.
constexpr LONG AmplitudeLimit = 16384;

int NextRandom()
{
    randomState = randomState * 214013 + 2531011;
    return int((randomState >> 16) & 0x7FFF);
}

// The work block: header, colour table and pixel rows, as one BITMAPINFO.
struct TextureBlock {
    BITMAPINFOHEADER header;
    RGBQUAD colours[RampSize];
    BYTE pixels[1];
};
static_assert(offsetof(TextureBlock, pixels) == 1064, "header and colour table precede the pixels");

static BYTE Blend(int from, int to, int weight, int scale)
{
    return BYTE(((scale - weight) * from + weight * to) / scale);
}

// Stores one ramp entry, tinted, and its lighter variant.
static void StoreEntry(RGBQUAD *colours, RGBQUAD *highlight, int index, COLORREF colour, BYTE tintPercent,
                       COLORREF tintColour, BYTE highlightPercent, COLORREF highlightColour)
{
    BYTE red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
    if (tintPercent) {
        red = Blend(red, GetRValue(tintColour), tintPercent, 100);
        green = Blend(green, GetGValue(tintColour), tintPercent, 100);
        blue = Blend(blue, GetBValue(tintColour), tintPercent, 100);
    }
    colours[index] = {blue, green, red, 0};
    if (highlight)
        highlight[index] = {Blend(blue, GetBValue(highlightColour), highlightPercent, 100),
                            Blend(green, GetGValue(highlightColour), highlightPercent, 100),
                            Blend(red, GetRValue(highlightColour), highlightPercent, 100), 0};
}

static COLORREF BlendColour(COLORREF from, COLORREF to, int weight)
{
    return RGB(Blend(GetRValue(from), GetRValue(to), weight, RampMiddle),
               Blend(GetGValue(from), GetGValue(to), weight, RampMiddle),
               Blend(GetBValue(from), GetBValue(to), weight, RampMiddle));
}

// The code of a failed step; never 0, which would read as success.
static DWORD FailureCode()
{
    const DWORD code = GetLastError();
    return code ? code : ERROR_OUTOFMEMORY;
}

static HBITMAP MakeBitmap(HDC screen, TextureBlock *block, bool dibSection)
{
    const BITMAPINFO *info = reinterpret_cast<BITMAPINFO *>(block);
    if (!dibSection)
        return CreateDIBitmap(screen, &block->header, CBM_INIT, block->pixels, info, DIB_RGB_COLORS);
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        memcpy(bits, block->pixels, block->header.biSizeImage);
    return bitmap;
}

DWORD GenerateTexture(DWORD pattern, const RECT *rect, LONG amplitude, BYTE highlightPercent, BYTE tintPercent,
                      COLORREF tintColour, HBITMAP *baseBitmap, HBITMAP *highlightBitmap)
{
    randomState = RandomSeed;
    const LONGLONG width = LONGLONG(rect->right) - rect->left;
    const LONGLONG height = LONGLONG(rect->bottom) - rect->top;
    if (width < 1 || height < 1 || (pattern & 0xFF) != TexturePatternNoise || amplitude >= AmplitudeLimit)
        return ERROR_INVALID_PARAMETER;
    // Rows of 8-bit pixels padded to 4 bytes; the whole block is counted in
    // 32 bits, as the bitmap header and the allocation do.
    const ULONGLONG stride = (ULONGLONG(width) + 3) & ~3ULL;
    const ULONGLONG image = stride * ULONGLONG(height);
    if (image + offsetof(TextureBlock, pixels) > MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    const DWORD imageSize = DWORD(image);

    auto *block = static_cast<TextureBlock *>(GlobalAlloc(GPTR, offsetof(TextureBlock, pixels) + imageSize));
    if (!block)
        return FailureCode();
    block->header = {sizeof(BITMAPINFOHEADER), LONG(width), LONG(height), 1, 8, BI_RGB, imageSize, 0, 0, 0, 0};
    RGBQUAD *highlight = nullptr;
    if (highlightPercent) {
        highlight = static_cast<RGBQUAD *>(GlobalAlloc(GPTR, sizeof(block->colours)));
        if (!highlight) {
            const DWORD error = FailureCode();
            GlobalFree(block);
            return error;
        }
    }

    // Entries 0-128 run from shadow to face, then 128-255 (overwriting 128)
    // from just above face up to highlight.
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int i = 0; i <= RampMiddle; i++)
        StoreEntry(block->colours, highlight, i, BlendColour(shadow, face, i), tintPercent, tintColour,
                   highlightPercent, light);
    for (int i = 1; i <= RampMiddle; i++)
        StoreEntry(block->colours, highlight, RampMiddle - 1 + i, BlendColour(face, light, i), tintPercent,
                   tintColour, highlightPercent, light);

    // Uniform noise in a band of amplitude around the middle of the ramp,
    // bottom row first as the rows lie in memory.
    const LONGLONG band = 2LL * amplitude > 1 ? 2LL * amplitude : 1;
    const int divisor = int(32767 / band);
    for (LONGLONG y = 0; y < height; y++) {
        BYTE *row = block->pixels + y * stride;
        for (LONGLONG x = 0; x < width; x++)
            row[x] = BYTE(NextRandom() / divisor + RampMiddle - (amplitude & 0xFF));
    }

    const bool dibSections = pattern & TextureAsDibSections;
    DWORD result = 0;
    HBITMAP base = nullptr, lighter = nullptr;
    HDC screen = GetDC(nullptr);
    if (!screen) {
        result = FailureCode();
        goto done;
    }
    base = MakeBitmap(screen, block, dibSections);
    if (!base) {
        result = FailureCode();
        goto done;
    }
    if (highlight) {
        memcpy(block->colours, highlight, sizeof(block->colours));
        lighter = MakeBitmap(screen, block, dibSections);
        if (!lighter) {
            result = FailureCode();
            DeleteObject(base);
            goto done;
        }
    }
    *baseBitmap = base;
    *highlightBitmap = lighter;

done:
    if (screen)
        ReleaseDC(nullptr, screen);
    if (highlight)
        GlobalFree(highlight);
    GlobalFree(block);
    return result;
}

void PaintTexture(HDC dc, HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ old = SelectObject(dc, TextureBrush());
    PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
    SelectObject(dc, old);
}

HBRUSH TextureBrush()
{
    if (!textureBrush && textureBitmap)
        textureBrush = CreatePatternBrush(textureBitmap);
    return textureBrush;
}

bool TextureDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR *result)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    switch (message) {
    case WM_ERASEBKGND:
        if (highContrast) {
            RECT client;
            GetClientRect(dialog, &client);
            FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        } else {
            PaintTexture(dc, dialog);
        }
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
        *result = 1;
        return true;
    case WM_CTLCOLORSTATIC:
        SetBkMode(dc, TRANSPARENT);
        if (highContrast) {
            SetTextColor(dc, GetSysColor(IsWindowEnabled(reinterpret_cast<HWND>(lParam)) ? COLOR_WINDOWTEXT
                                                                                          : COLOR_GRAYTEXT));
            *result = INT_PTR(GetSysColorBrush(COLOR_BTNFACE));
        } else {
            *result = INT_PTR(TextureBrush());
        }
        return true;
    }
    return false;
}

static void DeleteAndForget(HGDIOBJ object)
{
    if (object)
        DeleteObject(object);
}

void DiscardTexture(HBITMAP *highlightBitmap)
{
    DeleteAndForget(textureBrush);
    DeleteAndForget(textureBitmap);
    DeleteAndForget(*highlightBitmap);
    textureBrush = nullptr;
    textureBitmap = nullptr;
    *highlightBitmap = nullptr;
}

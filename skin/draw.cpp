// Drawing primitives of the skinned buttons.
#include "skin/draw.h"

#include "skin/color.h"
#include "skin/system_library.h"

// The ternary raster operation that paints the brush where the source is
// black and keeps the destination where it is white (PSDPxax).
constexpr DWORD BrushWhereSourceBlack = 0x00B8074A;
constexpr int LightenedIconAmount = 64;

int GradientFillRect(HDC dc, const RECT *rect, COLORREF colour1, COLORREF colour2, BYTE vertical)
{
    TRIVERTEX vertices[2] = {
        {rect->left, rect->top, COLOR16(GetRValue(colour1) << 8), COLOR16(GetGValue(colour1) << 8),
         COLOR16(GetBValue(colour1) << 8), 0},
        {rect->right, rect->bottom, COLOR16(GetRValue(colour2) << 8), COLOR16(GetGValue(colour2) << 8),
         COLOR16(GetBValue(colour2) << 8), 0},
    };
    GRADIENT_RECT span = {0, 1};
    static decltype(&GradientFill) gradientFill;
    if (SystemFunction(gradientFill, "msimg32.dll", "GradientFill"))
        gradientFill(dc, vertices, 2, &span, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    return 0;
}

void OpaqueFillRect(HDC dc, int x, int y, int cx, int cy, COLORREF colour)
{
    RECT area = {x, y, x + cx, y + cy};
    if (area.right < area.left)
        area = {area.right, area.top, area.left, area.bottom};
    if (area.bottom < area.top)
        area = {area.left, area.bottom, area.right, area.top};
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void DrawTwoColourFrame(HDC dc, const RECT *rect, COLORREF topLeft, COLORREF bottomRight)
{
    const int w = rect->right - rect->left;
    const int h = rect->bottom - rect->top;
    OpaqueFillRect(dc, rect->left, rect->top, w - 1, 1, topLeft);
    OpaqueFillRect(dc, rect->left, rect->top, 1, h - 1, topLeft);
    OpaqueFillRect(dc, rect->left + w, rect->top, -1, h, bottomRight);
    OpaqueFillRect(dc, rect->left, rect->top + h, w, -1, bottomRight);
}

int DrawDottedLine(HDC dc, int x, int y, int length, BOOL horizontal, COLORREF colour)
{
    SetPixel(dc, x, y, colour);
    int last = horizontal ? x : y;
    for (int at = last + 2; at < (horizontal ? x : y) + length; at += 2) {
        SetPixel(dc, horizontal ? at : x, horizontal ? y : at, colour);
        last = at;
    }
    return last;
}

// The size of an icon: that of its colour bitmap, or for a monochrome icon
// the upper half of its mask.
static SIZE IconSize(const ICONINFO &info)
{
    BITMAP bitmap = {};
    if (info.hbmColor) {
        GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
        return {bitmap.bmWidth, bitmap.bmHeight};
    }
    GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap);
    return {bitmap.bmWidth, bitmap.bmHeight / 2};
}

static void DeleteIconBitmaps(const ICONINFO &info)
{
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

SIZE MeasureIcon(HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return {0, 0};
    const SIZE size = IconSize(info);
    DeleteIconBitmaps(info);
    return size;
}

static void DrawSilhouette(HDC dc, int x, int y, SIZE size, HICON icon)
{
    HDC mask = CreateCompatibleDC(dc);
    // Compatible with the new memory context itself, hence monochrome.
    HBITMAP bits = CreateCompatibleBitmap(mask, size.cx, size.cy);
    HGDIOBJ oldBits = SelectObject(mask, bits);
    PatBlt(mask, 0, 0, size.cx, size.cy, WHITENESS);
    DrawIconEx(mask, 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);

    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    const COLORREF oldBrushColour = SetDCBrushColor(dc, GetSysColor(COLOR_GRAYTEXT));
    BitBlt(dc, x, y, size.cx, size.cy, mask, 0, 0, BrushWhereSourceBlack);
    SetDCBrushColor(dc, oldBrushColour);
    SelectObject(dc, oldBrush);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);

    SelectObject(mask, oldBits);
    DeleteObject(bits);
    DeleteDC(mask);
}

void DrawSizedIconCentered(HDC dc, const RECT *rect, HICON icon, SIZE size, int style)
{
    const int x = rect->left + RoundDiv(rect->right - rect->left - size.cx, 2);
    const int y = rect->top + RoundDiv(rect->bottom - rect->top - size.cy, 2);
    if (style == IconDisabled)
        DrawSilhouette(dc, x, y, size, icon);
    else
        DrawIconEx(dc, x, y, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
}

void DrawIconCentered(HDC dc, const RECT *rect, HICON icon, int style)
{
    DrawSizedIconCentered(dc, rect, icon, MeasureIcon(icon), style);
}

// Lightens the colour of every pixel inside the mask and keeps its alpha, so
// that an icon's soft edges stay soft. One pass over the 32-bit pixels; every
// channel is lightened alike, so their order in the pixel does not matter.
static void LightenColourBits(HDC dc, const ICONINFO &info, SIZE size)
{
    const DWORD count = DWORD(size.cx) * DWORD(size.cy);
    auto *colour = static_cast<DWORD *>(GlobalAlloc(GMEM_FIXED, 2 * count * sizeof(DWORD)));
    if (!colour)
        return;
    DWORD *mask = colour + count;
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    if (GetDIBits(dc, info.hbmColor, 0, size.cy, colour, &format, DIB_RGB_COLORS) == size.cy &&
        GetDIBits(dc, info.hbmMask, 0, size.cy, mask, &format, DIB_RGB_COLORS) == size.cy) {
        for (DWORD i = 0; i < count; i++) {
            if (mask[i] & 0xFFFFFF)
                continue;  // outside the mask
            const COLORREF lighter = LightenColor(LightenedIconAmount, colour[i] & 0xFFFFFF);
            colour[i] = (colour[i] & 0xFF000000) | lighter;
        }
        SetDIBits(dc, info.hbmColor, 0, size.cy, colour, &format, DIB_RGB_COLORS);
    }
    GlobalFree(colour);
}

HICON MakeLightenedIcon(HDC dc, HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return nullptr;
    // A monochrome icon has no colours to lighten: its copy is the same.
    if (info.hbmColor)
        LightenColourBits(dc, info, IconSize(info));
    HICON lightened = CreateIconIndirect(&info);
    DeleteIconBitmaps(info);
    return lightened;
}

void DrawBitmapInRect(HDC dc, const RECT *rect, HBITMAP bitmap, BOOL transparent)
{
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    const int w = rect->right - rect->left;
    const int h = rect->bottom - rect->top;
    if (!transparent) {
        BitBlt(dc, rect->left, rect->top, w, h, source, 0, 0, SRCCOPY);
    } else {
        BITMAP size = {};
        GetObjectA(bitmap, sizeof(size), &size);
        TransparentStretch(dc, rect->left, rect->top, w, h, source, 0, 0, size.bmWidth, size.bmHeight,
                           GetPixel(source, 0, 0));
    }
    SelectObject(source, old);
    DeleteDC(source);
}

void TransparentStretch(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
                        COLORREF key)
{
    const int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
    HDC maskDc = CreateCompatibleDC(src);
    HBITMAP mask = CreateBitmap(sw, sh, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);

    // Source pixels of the key colour become white in the mask, all others black.
    const COLORREF oldSourceBack = SetBkColor(src, key);
    StretchBlt(maskDc, 0, 0, sw, sh, src, sx, sy, sw, sh, SRCCOPY);
    SetBkColor(src, oldSourceBack);

    StretchBlt(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, SRCINVERT);
    const COLORREF oldText = SetTextColor(dst, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dst, RGB(255, 255, 255));
    StretchBlt(dst, dx, dy, dw, dh, maskDc, 0, 0, sw, sh, SRCAND);
    SetBkColor(dst, oldBack);
    SetTextColor(dst, oldText);
    StretchBlt(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, SRCINVERT);

    SelectObject(maskDc, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDc);
    SetStretchBltMode(dst, oldMode);
}

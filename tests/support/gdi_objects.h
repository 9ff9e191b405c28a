// Counting the process's GDI objects, and canvases to draw into and read.
#pragma once

#include <windows.h>

// Live GDI objects of this process. Wine's GetGuiResources always answers 0,
// so this reads the shared GDI handle table that the PEB points to.
int CountGdiObjects();
// Open kernel handles of this process. Wine's GetProcessHandleCount always
// answers 0, so this counts the process's entries of the system's table.
int CountKernelHandles();

// A 32-bit top-down DIB section selected into a memory context.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ oldBitmap;
    DWORD *bits;
    int width;
    int height;
};
Canvas CreateCanvas(int width, int height, COLORREF fill);
void DestroyCanvas(Canvas &canvas);
COLORREF CanvasPixel(const Canvas &canvas, int x, int y);
int CountPixels(const Canvas &canvas, COLORREF colour);

// A 32 x 32 icon of 32-bit colour: pixels(x, y) gives each pixel's colour,
// or NoPixel for a transparent one. With alpha, pixels are opaque (alpha
// 255) unless made Translucent; without, the icon has no alpha channel and
// its mask decides.
constexpr COLORREF NoPixel = 0xFFFFFFFF;
// A colour of alpha 1 to 254, still inside the icon's mask.
constexpr COLORREF Translucent(COLORREF colour, BYTE alpha)
{
    return (colour & 0xFFFFFF) | COLORREF(alpha) << 24;
}
HICON MakeTestIcon(COLORREF (*pixels)(int x, int y), bool withAlpha = true);

// The system's settings with high contrast on, which Wine cannot turn on:
// for the screen seam's place of SystemParametersInfoA.
BOOL WINAPI HighContrastOn(UINT action, UINT size, void *value, UINT flags);

// Counting the process's GDI objects, and canvases to draw into and read.
#pragma once

#include <windows.h>

#include <limits.h>

#include <initializer_list>
#include <utility>
#include <vector>

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
// The window's client area as it paints itself, or as the screen shows it.
Canvas PrintedClient(HWND window);
Canvas ShownClient(HWND window);
void DestroyCanvas(Canvas &canvas);
COLORREF CanvasPixel(const Canvas &canvas, int x, int y);
// The pixels inside area (the whole canvas by default) that are colour, or
// for which match holds.
constexpr RECT WholeCanvas = {0, 0, INT_MAX, INT_MAX};
int CountPixels(const Canvas &canvas, COLORREF colour, RECT area = WholeCanvas);
int CountPixelsWhere(const Canvas &canvas, bool (*match)(COLORREF), RECT area = WholeCanvas);
// The same for the window's client area as client (PrintedClient or
// ShownClient) gives it.
int CountClientPixels(HWND window, Canvas (*client)(HWND), COLORREF colour, RECT area = WholeCanvas);
int CountClientPixelsWhere(HWND window, Canvas (*client)(HWND), bool (*match)(COLORREF));

// The request a button's parent gets to paint it whole into dc.
DRAWITEMSTRUCT DrawRequest(HWND control, HDC dc, UINT itemState = 0);

// System colours set for a scope, and put back however it ends.
struct SystemColours {
    std::vector<int> elements;
    std::vector<COLORREF> saved;
    explicit SystemColours(std::initializer_list<std::pair<int, COLORREF>> colours);
    ~SystemColours();
    SystemColours(const SystemColours &) = delete;
    SystemColours &operator=(const SystemColours &) = delete;
};

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

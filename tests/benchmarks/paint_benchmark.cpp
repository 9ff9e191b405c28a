// Prints the time of one full paint of a 58 x 16 dialog-unit skinned button
// with an icon (8-point MS Sans Serif), and the GDI object balance.
#include "resources/resource_ids.h"
#include "skin/paint.h"
#include "skin/record.h"
#include "tests/support/gdi_objects.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

int main()
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");

    // Dialog units of the font: a quarter of its average width, an eighth of its height.
    HDC screen = GetDC(nullptr);
    HGDIOBJ oldScreenFont = SelectObject(screen, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(screen, &metrics);
    SIZE letters;
    GetTextExtentPoint32A(screen, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    SelectObject(screen, oldScreenFont);
    ReleaseDC(nullptr, screen);
    const int baseX = (letters.cx / 26 + 1) / 2;
    const int width = MulDiv(58, baseX, 4), height = MulDiv(16, metrics.tmHeight, 8);

    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, module, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "&Install", WS_CHILD, 0, 0, width, height, parent, HMENU(31),
                                  module, nullptr);
    SendMessageA(button, WM_SETFONT, WPARAM(font), FALSE);
    SkinDescriptor skin;
    SetStandardDescriptor(&skin);
    skin.normalIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_INSTALL));
    AttachSkin(button, &skin);

    Canvas canvas = CreateCanvas(width, height, RGB(0, 0, 0));
    HGDIOBJ oldFont = SelectObject(canvas.dc, font);
    DRAWITEMSTRUCT item = {ODT_BUTTON, 31, 0, ODA_DRAWENTIRE, 0, button, canvas.dc, {0, 0, width, height}, 0};
    PaintSkinnedButton(&item, SkinRecord(button));  // warm-up: lasting objects of a first paint

    const int before = CountGdiObjects();
    constexpr int Paints = 2000;
    std::vector<double> times;
    for (int i = 0; i < Paints; i++) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        PaintSkinnedButton(&item, SkinRecord(button));
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    const int after = CountGdiObjects();
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times)
        total += t;

    printf("skinned button paint, %d x %d pixels (58 x 16 dialog units), 32 x 32 icon, %d paints\n", width,
           height, Paints);
    printf("  median %.3f ms, mean %.3f ms, fastest %.3f ms, slowest %.3f ms\n", times[Paints / 2], total / Paints,
           times.front(), times.back());
    printf("  GDI objects before %d, after %d: balance %+d\n", before, after, after - before);

    SelectObject(canvas.dc, oldFont);
    DestroyCanvas(canvas);
    DestroyWindow(parent);
    DeleteObject(font);
    return 0;
}

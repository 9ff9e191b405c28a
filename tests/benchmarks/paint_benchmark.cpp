// Prints the time of full paints of the main window's skinned buttons (8-point
// MS Sans Serif dialog units): one 58 x 16 button with its icon, the same
// face with no icon (the floor the icon is measured against), and all nine
// buttons; and the GDI object balance.
#include "resources/resource_ids.h"
#include "skin/paint.h"
#include "skin/record.h"
#include "tests/support/gdi_objects.h"

#include <stdio.h>

#include <algorithm>
#include <functional>
#include <vector>

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Median time of rounds calls of paint.
static double MedianOf(int rounds, const std::function<void()> &paint)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; i++) {
        const double start = Now();
        paint();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Button {
    HWND window;
    Canvas canvas;
    DRAWITEMSTRUCT item;
};

static HINSTANCE module;
static HWND parent;
static HFONT font;
static int baseX, baseY;

static Button MakeButton(int id, int widthUnits, int heightUnits, int icon)
{
    const int width = MulDiv(widthUnits, baseX, 4), height = MulDiv(heightUnits, baseY, 8);
    Button b;
    b.window = CreateWindowExA(0, "BUTTON", "&Install", WS_CHILD, 0, 0, width, height, parent, HMENU(INT_PTR(id)),
                               module, nullptr);
    SendMessageA(b.window, WM_SETFONT, WPARAM(font), FALSE);
    SkinDescriptor skin;
    SetStandardDescriptor(&skin);
    skin.normalIcon = icon ? LoadIconA(module, MAKEINTRESOURCEA(icon)) : nullptr;
    AttachSkin(b.window, &skin);
    b.canvas = CreateCanvas(width, height, RGB(0, 0, 0));
    SelectObject(b.canvas.dc, font);
    b.item = DrawRequest(b.window, b.canvas.dc);
    PaintSkinnedButton(&b.item, SkinRecord(b.window));  // warm-up: what a first paint keeps
    return b;
}

static void Paint(Button &b)
{
    PaintSkinnedButton(&b.item, SkinRecord(b.window));
}

int main()
{
    module = GetModuleHandleA(nullptr);
    font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    // Dialog units of the font: a quarter of its average width, an eighth of its height.
    HDC screen = GetDC(nullptr);
    HGDIOBJ oldScreenFont = SelectObject(screen, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(screen, &metrics);
    SIZE letters;
    GetTextExtentPoint32A(screen, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    SelectObject(screen, oldScreenFont);
    ReleaseDC(nullptr, screen);
    baseX = (letters.cx / 26 + 1) / 2;
    baseY = metrics.tmHeight;
    parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, module, nullptr);

    Button lit = MakeButton(31, 58, 16, IDI_INSTALL);
    Button bare = MakeButton(32, 58, 16, 0);
    std::vector<Button> nine;
    for (int id : {4, 7, 25})
        nine.push_back(MakeButton(id, 12, 12, 0));
    for (int icon : {IDI_ABOUT, IDI_INSTALL, IDI_REMOVE, IDI_START, IDI_STOP, IDI_CLOSE})
        nine.push_back(MakeButton(icon, 58, 16, icon));

    const int before = CountGdiObjects();
    const double one = MedianOf(2000, [&] { Paint(lit); });
    const double floor = MedianOf(2000, [&] { Paint(bare); });
    const double all = MedianOf(300, [&] {
        for (Button &b : nine)
            Paint(b);
    });
    const int after = CountGdiObjects();

    printf("skinned button paint, %ld x %ld pixels (58 x 16 dialog units), medians\n", lit.item.rcItem.right,
           lit.item.rcItem.bottom);
    printf("  with its lit 32 x 32 icon:  %.3f ms\n", one);
    printf("  the same face, no icon:     %.3f ms  (icon paint / no icon: %.2f)\n", floor, one / floor);
    printf("  all nine of the main window: %.3f ms\n", all);
    printf("  GDI objects before %d, after %d: balance %+d\n", before, after, after - before);

    // Volume: ten thousand paints of each state of the lit button.
    const struct {
        UINT itemState;
        bool hot;
        DWORD checked;
    } states[] = {{0, false, 0}, {0, true, 0}, {ODS_SELECTED, false, 0}, {0, false, 1}, {ODS_DISABLED, false, 0}};
    const int volumeBefore = CountGdiObjects();
    const double start = Now();
    for (const auto &s : states) {
        lit.item.itemState = s.itemState;
        hotControl = s.hot ? lit.window : nullptr;
        SkinRecord(lit.window)->checkState = s.checked;
        for (int i = 0; i < 10000; i++)
            Paint(lit);
    }
    const int volumeAfter = CountGdiObjects();
    printf("50,000 paints of the five states in %.1f s: GDI objects before %d, after %d: balance %+d\n",
           (Now() - start) / 1000, volumeBefore, volumeAfter, volumeAfter - volumeBefore);
    return 0;
}

// Colour arithmetic of the skinned buttons.
#include "skin/color.h"

#include <math.h>

ScreenCalls screenCalls = {GetDeviceCaps, SystemParametersInfoA};
bool highContrast;

void ReadHighContrast()
{
    HIGHCONTRASTA setting = {};
    setting.cbSize = sizeof(setting);
    highContrast = screenCalls.systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
                   (setting.dwFlags & HCF_HIGHCONTRASTON);
}

int RoundDiv(int a, int b)
{
    // The default rounding mode of nearbyint takes halves to even.
    return int(nearbyint(double(a) / double(b)));
}

static int Red(COLORREF c) { return int(c & 0xFF); }
static int Green(COLORREF c) { return int((c >> 8) & 0xFF); }
static int Blue(COLORREF c) { return int(c >> 16); }

static COLORREF Pack(int red, int green, int blue)
{
    return COLORREF((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}

static int Lighten(int amount, int c) { return c + MulDiv(255 - c, amount, 255); }
static int Darken(int amount, int c) { return MulDiv(c, 255 - amount, 255); }
static int Mix86(int a, int b) { return MulDiv(86, a, 100) + MulDiv(14, b, 100); }
// Both rounded terms reach their maxima together when both channels are 255
// (179 + 77 = 256): the sum is held at 255 rather than wrapping to black.
static int Mix70(int a, int b)
{
    const int sum = MulDiv(7, a, 10) + MulDiv(3, b, 10);
    return sum > 255 ? 255 : sum;
}

COLORREF LightenColor(int amount, COLORREF c)
{
    return Pack(Lighten(amount, Red(c)), Lighten(amount, Green(c)), Lighten(amount, Blue(c)));
}

COLORREF DarkenColor(int amount, COLORREF c)
{
    return Pack(Darken(amount, Red(c)), Darken(amount, Green(c)), Darken(amount, Blue(c)));
}

COLORREF MixColors86(COLORREF a, COLORREF b)
{
    return Pack(Mix86(Red(a), Red(b)), Mix86(Green(a), Green(b)), Mix86(Blue(a), Blue(b)));
}

COLORREF MixColors70(COLORREF a, COLORREF b)
{
    return Pack(Mix70(Red(a), Red(b)), Mix70(Green(a), Green(b)), Mix70(Blue(a), Blue(b)));
}

COLORREF AccentColorAtDepth(int depth)
{
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    if (depth > 8)
        return MixColors70(window, GetSysColor(COLOR_ACTIVECAPTION));
    return window;
}

COLORREF AccentColor()
{
    return AccentColorAtDepth(ScreenColorDepth());
}

int ColorLuminance(COLORREF c)
{
    return RoundDiv(77 * Red(c) + 151 * Green(c) + 28 * Blue(c) + 50, 256);
}

int ScreenColorDepth()
{
    HDC screen = GetDC(nullptr);
    const int depth = screenCalls.getDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth == -1 ? 8 : depth;
}

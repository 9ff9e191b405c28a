// Sizes in pixels that follow the screen's resolution.
#include "skin/screen_scale.h"

constexpr int DesignDotsPerInch = 96;

int ScaleToScreen(int pixels)
{
    static int dotsPerInch;
    if (!dotsPerInch) {
        HDC screen = GetDC(nullptr);
        dotsPerInch = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        if (dotsPerInch <= 0)
            dotsPerInch = DesignDotsPerInch;
    }
    return MulDiv(pixels, dotsPerInch, DesignDotsPerInch);
}

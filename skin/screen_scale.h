// Sizes in pixels that follow the screen's resolution.
#pragma once

#include <windows.h>

// pixels, given for 96 dots per inch, at the screen's resolution. The
// program is aware of the system resolution, which is fixed while it runs.
int ScaleToScreen(int pixels);

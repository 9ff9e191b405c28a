// The screen query whose answers Wine cannot vary (an 8-bit screen). The
// program always asks the platform; tests may point this elsewhere.
#pragma once

#include <windows.h>

struct ScreenCalls {
    decltype(&GetDeviceCaps) getDeviceCaps;
};

extern ScreenCalls screenCalls;

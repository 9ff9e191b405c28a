// The screen queries whose answers Wine cannot vary: an 8-bit screen, and
// high contrast (Wine cannot turn it on). The program always asks the
// platform; tests may point these elsewhere.
#pragma once

#include <windows.h>

struct ScreenCalls {
    decltype(&GetDeviceCaps) getDeviceCaps;
    decltype(&SystemParametersInfoA) systemParametersInfo;
};

extern ScreenCalls screenCalls;

// Colour arithmetic of the skinned buttons. Colours are 0x00BBGGRR with a
// zero top byte; amounts run from 0 (unchanged) to 255 (white or black).
#pragma once

#include <windows.h>

// a / b rounded to the nearest integer, halves to even.
int RoundDiv(int a, int b);

COLORREF LightenColor(int amount, COLORREF colour);
COLORREF DarkenColor(int amount, COLORREF colour);
COLORREF MixColors86(COLORREF a, COLORREF b);  // 86 % of a, 14 % of b
COLORREF MixColors70(COLORREF a, COLORREF b);  // 70 % of a, 30 % of b
COLORREF AccentColor();
// The same for a screen depth already known.
COLORREF AccentColorAtDepth(int depth);
int ColorLuminance(COLORREF colour);
int ScreenColorDepth();

// Whether the user has asked Windows for high contrast, as last read: every
// window of the program then draws in the system's colours alone. Read
// again whenever the system's settings or colours change.
extern bool highContrast;
void ReadHighContrast();

// The screen queries whose answers Wine cannot vary: an 8-bit screen, and
// high contrast (Wine cannot turn it on). The program asks the platform;
// tests may point these elsewhere.
struct ScreenCalls {
    decltype(&GetDeviceCaps) getDeviceCaps;
    decltype(&SystemParametersInfoA) systemParametersInfo;
};
extern ScreenCalls screenCalls;

// Saving what a program drew, for a person to look at.
#pragma once

#include <windows.h>

// Writes the bitmap as a 32-bit BMP file; false when it cannot.
bool SaveBitmapFile(HBITMAP bitmap, const char *path);

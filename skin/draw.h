// Drawing primitives of the skinned buttons. Each restores what it changed
// in the device context it is given and deletes what it created.
#pragma once

#include <windows.h>

constexpr int IconNormal = 0;
constexpr int IconDisabled = 1;  // a flat COLOR_GRAYTEXT silhouette

int GradientFillRect(HDC dc, const RECT *rect, COLORREF colour1, COLORREF colour2, BYTE vertical);
void OpaqueFillRect(HDC dc, int x, int y, int cx, int cy, COLORREF colour);
void DrawTwoColourFrame(HDC dc, const RECT *rect, COLORREF topLeft, COLORREF bottomRight);
// Sets every other pixel from (x, y); returns the last coordinate set.
int DrawDottedLine(HDC dc, int x, int y, int length, BOOL horizontal, COLORREF colour);
void DrawIconCentered(HDC dc, const RECT *rect, HICON icon, int style);
// The same for an icon whose size is known.
void DrawSizedIconCentered(HDC dc, const RECT *rect, HICON icon, SIZE size, int style);
// The size of an icon's image; zero for no icon.
SIZE MeasureIcon(HICON icon);
// A copy of icon whose pixels inside its mask are lightened, each keeping
// its alpha; the caller destroys it.
HICON MakeLightenedIcon(HDC dc, HICON icon);
void DrawBitmapInRect(HDC dc, const RECT *rect, HBITMAP bitmap, BOOL transparent);
void TransparentStretch(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
                        COLORREF key);

// The background texture: a fine grain of random dots around the button-face
// colour, generated once and painted with pattern brushes.
#pragma once

#include <windows.h>

// Pattern selector: the low byte names the pattern, the second byte may ask
// for 8-bit DIB sections (pixels are then the ramp indices) instead of
// bitmaps in the screen's format.
constexpr DWORD TexturePatternNoise = 2;
constexpr DWORD TextureAsDibSections = 0x100;

// Builds the base texture, and a lighter one when highlightPercent is not 0
// (else null), as large as rect. Returns 0, or the failing step's error code
// with both outputs untouched.
DWORD GenerateTexture(DWORD pattern, const RECT *rect, LONG amplitude, BYTE highlightPercent, BYTE tintPercent,
                      COLORREF tintColour, HBITMAP *baseBitmap, HBITMAP *highlightBitmap);

// The generator's pseudo-random numbers, 0 to 32767.
int NextRandom();

// The tile that every window of the program paints its background with.
extern HBITMAP textureBitmap;

// Fills the window's client area in dc with the texture, from its top left.
void PaintTexture(HDC dc, HWND window);
// The texture's brush, which the erase paints with and the windows hand
// out for WM_CTLCOLORSTATIC: made once from the texture and kept, so that
// none pile up.
HBRUSH TextureBrush();
// The texture's part in a dialog procedure: the background (WM_ERASEBKGND)
// and the background of static texts, frames and greyed fields
// (WM_CTLCOLORSTATIC). True, with the procedure's result, for those two.
// Under high contrast both are the system's button face instead, and the
// texts take the system's text colours.
bool TextureDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR *result);
// Deletes the texture, its kept brush and the lighter texture before a new
// one is generated.
void DiscardTexture(HBITMAP *highlightBitmap);

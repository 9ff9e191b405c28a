// The skinned-button painter.
#pragma once

#include "skin/record.h"

enum PaintState { PaintNormal = 0, PaintHot = 1, PaintPressed = 2, PaintDisabled = 3 };

// Paints the whole button off-screen and copies it to the item's context.
// Keeps what it learns of the icons in the record.
void PaintSkinnedButton(const DRAWITEMSTRUCT *item, CTRL_STRUCT *record);
// Faces for the normal, hot and pressed states; others paint nothing.
void PaintGradientFace(HDC dc, const RECT *rect, int state);
void PaintFlatFace(HDC dc, const RECT *rect, int state);
void PaintBasicFace(HDC dc, const RECT *rect, int state);
// The face in the system's colours alone, for high contrast: the button
// face framed in the text's colour, the frame in the highlight's while hot,
// and all of it while pressed; greyed when disabled.
void PaintContrastFace(HDC dc, const RECT *rect, int state);

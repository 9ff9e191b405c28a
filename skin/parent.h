// The subclass of a skinned button's parent: routes its drawing requests to
// the painter and keeps skinned children owner-drawn and fresh.
#pragma once

#include <windows.h>

LRESULT CALLBACK SkinParentProc(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
// Paints a skinned button's WM_DRAWITEM; 0 when the item has no skin.
int DrawSkinnedItem(const DRAWITEMSTRUCT *item);
void ReassertOwnerDraw(HWND control);

// Hyperlink labels: a static text that is blue, underlined under the mouse,
// shows the hand cursor and tells its dialog when it is clicked.
#pragma once

#include <windows.h>

constexpr COLORREF HyperlinkColour = RGB(0, 0, 196);

int AttachHyperlink(HWND dialog, int id);
LRESULT CALLBACK HyperlinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HyperlinkParentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

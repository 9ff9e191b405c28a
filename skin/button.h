// The skinned button's behaviour: hover, tooltip, check state, drop-down menu.
#pragma once

#include <windows.h>

LRESULT CALLBACK SkinButtonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK ShowTooltipTimer(HWND control, UINT message, UINT_PTR timer, DWORD time);
void CALLBACK HideTooltipTimer(HWND control, UINT message, UINT_PTR timer, DWORD time);

constexpr UINT TooltipDelay = 2000;
constexpr UINT TooltipLifetime = 8000;

// The picker of installed services or load-order groups.
#pragma once

#include <windows.h>

// Lists the services (pickerMode not 0) or the groups (pickerMode 0) and
// leaves the chosen name in pickedName, empty when nothing was chosen.
INT_PTR RunServicesPicker(HWND owner, HICON icon);
INT_PTR CALLBACK ServicesPickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PickerListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// The picker's controls.
constexpr int PickerFrame = 100;
constexpr int PickerList = 102;
constexpr int PickerSelect = 103;

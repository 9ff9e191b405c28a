// The picker of installed services or load-order groups.
#pragma once

#include "service/settings.h"

#include <windows.h>

// What the picker lists; PickedNeither records that the group-or-service
// question got neither answer.
enum PickerMode : LONG { PickGroups = 0, PickServices = 1, PickedNeither = 3 };
extern LONG pickerMode;
// The name chosen, empty when nothing was.
extern char pickedName[FieldSize];

// Lists the services or the groups, as pickerMode says, and leaves the
// chosen name in pickedName.
INT_PTR RunServicesPicker(HWND owner, HICON icon);
INT_PTR CALLBACK ServicesPickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PickerListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// The picker's controls.
constexpr int PickerFrame = 100;
constexpr int PickerList = 102;
constexpr int PickerSelect = 103;

// The system's own consoles, opened from the tray menu.
#pragma once

#include <windows.h>

// Opens file of the system folder. The program runs elevated: a same-named
// file in the current folder must never be the one that runs.
void OpenSystemTool(const char *file, const char *parameters);

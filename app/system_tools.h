// The system's own consoles, opened from the tray menu.
#pragma once

#include <windows.h>

// The full path of file in the system folder; false when it does not fit.
// The program runs elevated: a same-named file in the current folder must
// never be the one that runs.
bool SystemToolPath(const char *file, char *path, DWORD pathSize);
void OpenSystemTool(const char *file, const char *parameters);

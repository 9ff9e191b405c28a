// Start-up: the program-wide values that every window of the program shares.
#pragma once

#include <windows.h>

extern HINSTANCE moduleInstance;
extern HICON mainIcon;              // icon 500, the program's icon
extern char programPath[MAX_PATH];  // the program's own file, full path

// Prepares the process and the program-wide values; the main window runs next.
void StartProgram();

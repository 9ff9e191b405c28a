// Start-up: the program-wide values that every window of the program shares.
#pragma once

#include <windows.h>

extern HINSTANCE moduleInstance;
extern HICON mainIcon;              // icon 500, the program's icon
// The program's own file, full path, whatever the folder's length: a path
// in any language takes more bytes in UTF-8 than MAX_PATH holds long before
// it takes more characters.
extern WCHAR programPath[UNICODE_STRING_MAX_CHARS + 1];

// Prepares the process and the program-wide values; the main window runs next.
void StartProgram();

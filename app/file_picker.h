// The standard Open dialog for choosing a service's executable.
#pragma once

#include <windows.h>

// The filter of the binary-path picker: "All files" with "*.*".
extern const char AllFilesFilter[];

// Shows the Open dialog with path as the proposed file name; non-zero when a
// file was chosen, its full path then in path.
BOOL PickFile(HWND owner, const char *title, char *path, DWORD pathSize, const char *filter);
